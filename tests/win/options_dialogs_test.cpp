// The four Options dialogs: their templates, the defaults they show, what they
// refuse with which message and focus, and what they hand over after OK.
#include "tests/win/dialog_template.h"
#include "tests/win/modal_driver.h"
#include "res/resource.h"
#include "browser/date_options_dlg.h"
#include "images/image_options_dlg.h"
#include "files/other_options_dlg.h"
#include "files/text_options_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char positivePrompt[] = "Please enter a positive integer.";
const char edgePrompt[] = "Please enter an integer between 32 and 200.";

int32_t Today()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return now.wYear * 10000 + now.wMonth * 100 + now.wDay;
}

int Checked(const ModalScript& script, int id)
{
    return static_cast<int>(::SendMessageA(script.Item(id), BM_GETCHECK, 0, 0));
}

// The one checked button of a group of consecutive ids, -1 when none is.
int CheckedOf(const ModalScript& script, int first, int count)
{
    int found = -1;
    for (int i = 0; i < count; ++i)
        if (Checked(script, first + i) == BST_CHECKED)
            found = found == -1 ? i : -2;
    return found;
}

int32_t PickerDay(const ModalScript& script)
{
    SYSTEMTIME shown = {};
    ::SendMessageA(script.Item(IDC_DATE_PICKER), DTM_GETSYSTEMTIME, 0,
                   reinterpret_cast<LPARAM>(&shown));
    return shown.wYear * 10000 + shown.wMonth * 100 + shown.wDay;
}

std::function<void()> ExpectDateDefaults(const ModalScript& script)
{
    return [&script] {
        EXPECT_EQ(CheckedOf(script, IDC_ANY_DATE, 4), 0) << "Any date";
        EXPECT_EQ(PickerDay(script), Today());
        EXPECT_TRUE(::IsWindowEnabled(script.Item(IDC_DATE_PICKER)));
    };
}

std::function<void()> SetPickerDate(const ModalScript& script, WORD year, WORD month, WORD day,
                                    WORD hour)
{
    return [&script, year, month, day, hour] {
        SYSTEMTIME time = {};
        time.wYear = year;
        time.wMonth = month;
        time.wDay = day;
        time.wHour = hour;
        time.wMinute = 59;
        ::SendMessageA(script.Item(IDC_DATE_PICKER), DTM_SETSYSTEMTIME, GDT_VALID,
                       reinterpret_cast<LPARAM>(&time));
    };
}

// ---- templates ----

// What a user tells a control by: its kind and its caption.
std::string KindOf(const DialogItem& item)
{
    if (lstrcmpiA(item.className.c_str(), "Button") == 0) {
        switch (item.style & BS_TYPEMASK) {
        case BS_GROUPBOX:
            return "group box";
        case BS_AUTORADIOBUTTON:
            return "radio button";
        case BS_AUTOCHECKBOX:
            return "check box";
        case BS_DEFPUSHBUTTON:
            return "default button";
        case BS_PUSHBUTTON:
            return "button";
        default:
            return "button of type " + std::to_string(item.style & BS_TYPEMASK);
        }
    }
    if (lstrcmpiA(item.className.c_str(), "Static") == 0)
        return "label";
    if (lstrcmpiA(item.className.c_str(), "Edit") == 0)
        return "edit";
    if (lstrcmpiA(item.className.c_str(), "SysDateTimePick32") == 0)
        return "date picker";
    return item.className;
}

std::string Describe(const DialogItem& item)
{
    return KindOf(item) + " \"" + item.text + "\" #" + std::to_string(item.id);
}

bool IsGroupBox(const DialogItem& item)
{
    return KindOf(item) == "group box";
}

struct Box {
    int left, top, right, bottom;
};

Box BoxOf(const DialogItem& item)
{
    return { item.x, item.y, item.x + item.cx, item.y + item.cy };
}

bool Holds(const Box& outer, const Box& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool OnOneLine(const Box& a, const Box& b)
{
    return a.top < b.bottom && b.top < a.bottom;
}

bool InOneColumn(const Box& a, const Box& b)
{
    return a.left < b.right && b.left < a.right;
}

// Whether a reader meets b before a: b holds a, or b is left of a on its
// line, above it in its column, or above and left of it. Controls that are
// neither (one above and right of the other) may come in either order:
// columns are read one after the other, rows of label and edit across.
bool ReadsBefore(const DialogItem& b, const DialogItem& a)
{
    const Box first = BoxOf(b), second = BoxOf(a);
    if (IsGroupBox(b) && Holds(first, second))
        return true;
    if (IsGroupBox(a) && Holds(second, first))
        return false;
    const bool left = first.right <= second.left, above = first.bottom <= second.top;
    if (OnOneLine(first, second))
        return left;
    if (InOneColumn(first, second))
        return above;
    return left && above;
}

// A user sees every control whole, none drawn over another but in its
// group box, and Tab walks them as the eye reads.
void ExpectReadableLayout(const DialogTemplate& dialog)
{
    const Box page = { 0, 0, dialog.cx, dialog.cy };
    const std::vector<DialogItem>& items = dialog.items;
    for (size_t i = 0; i < items.size(); ++i) {
        const Box box = BoxOf(items[i]);
        EXPECT_TRUE(items[i].cx > 0 && items[i].cy > 0) << Describe(items[i]) << " has no size";
        EXPECT_TRUE(Holds(page, box)) << Describe(items[i]) << " reaches out of the dialog";
        for (size_t j = i + 1; j < items.size(); ++j) {
            const Box other = BoxOf(items[j]);
            const bool overlap = OnOneLine(box, other) && InOneColumn(box, other);
            const bool held = (IsGroupBox(items[i]) && Holds(box, other)) ||
                              (IsGroupBox(items[j]) && Holds(other, box));
            EXPECT_TRUE(!overlap || held)
                << Describe(items[i]) << " and " << Describe(items[j]) << " overlap";
            EXPECT_FALSE(ReadsBefore(items[j], items[i]))
                << "Tab reaches " << Describe(items[i]) << " before " << Describe(items[j]);
        }
    }
}

// Radio groups start with WS_GROUP and the control after a group carries it
// too, so that DDX_Radio counts exactly the buttons of its group and the
// arrow keys stay inside it.
void ExpectRadioGroups(const DialogTemplate& dialog)
{
    const std::vector<DialogItem>& items = dialog.items;
    for (size_t i = 0; i < items.size(); ++i) {
        if (KindOf(items[i]) != "radio button")
            continue;
        const bool first = i == 0 || KindOf(items[i - 1]) != "radio button";
        EXPECT_EQ((items[i].style & WS_GROUP) != 0, first) << Describe(items[i]);
        if (i + 1 < items.size() && KindOf(items[i + 1]) != "radio button") {
            EXPECT_TRUE(items[i + 1].style & WS_GROUP)
                << Describe(items[i + 1]) << " ends no group";
        }
    }
}

struct Expected {
    int id;
    const char* kind;
    const char* text;
};

// The dialog's frame, its controls by kind and caption in any order, and how
// they read; positions are left to the resource script.
void ExpectTemplate(int id, const std::vector<Expected>& controls)
{
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(nullptr, id, dialog)) << id;
    EXPECT_EQ(dialog.title, "Options");
    EXPECT_EQ(dialog.typeface, "MS Sans Serif");
    EXPECT_EQ(dialog.pointSize, 9);
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    EXPECT_EQ(dialog.style & frame, frame);

    std::vector<std::string> shown, wanted;
    for (const DialogItem& item : dialog.items)
        shown.push_back(Describe(item));
    for (const Expected& control : controls)
        wanted.push_back(std::string(control.kind) + " \"" + control.text + "\" #" +
                         std::to_string(control.id));
    std::sort(shown.begin(), shown.end());
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(shown, wanted) << id;

    ExpectReadableLayout(dialog);
    ExpectRadioGroups(dialog);
    for (const DialogItem& item : dialog.items) {
        if (item.id == IDC_DATE_PICKER) {
            EXPECT_EQ(item.style & (DTS_RIGHTALIGN | DTS_SHOWNONE | DTS_LONGDATEFORMAT |
                                    DTS_TIMEFORMAT | WS_GROUP),
                      static_cast<DWORD>(DTS_RIGHTALIGN | WS_GROUP));
        }
        if (item.id == IDC_WIDTH || item.id == IDC_HEIGHT || item.id == IDC_THUMBNAIL_EDGE) {
            EXPECT_TRUE(item.style & ES_NUMBER) << item.id;
        }
    }
}

std::vector<Expected> DateGroup(const char* since)
{
    return {
        { -1, "group box", "Date" },
        { IDC_ANY_DATE, "radio button", "Any date" },
        { IDC_BEFORE, "radio button", "Before:" },
        { IDC_SINCE, "radio button", since },
        { IDC_EXACTLY, "radio button", "Exactly:" },
        { IDC_DATE_PICKER, "date picker", "" },
        { IDOK, "default button", "OK" },
        { IDCANCEL, "button", "Cancel" },
    };
}

std::vector<Expected> Join(std::vector<Expected> a, const std::vector<Expected>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(OptionsTemplates, ImageOptionsShowsItsControlsWholeAndInReadingOrder)
{
    ExpectTemplate(
        IDD_IMAGE_OPTIONS,
        Join(DateGroup("Since"), {
                                     { -1, "group box", "Size (Pixels)" },
                                     { IDC_ANY_SIZE, "radio button", "Any size" },
                                     { IDC_NOT_SMALLER, "radio button", "Not smaller than:" },
                                     { IDC_SMALLER, "radio button", "Smaller than:" },
                                     { IDC_EXACT_SIZE, "radio button", "Exactly:" },
                                     { -1, "label", "width:" },
                                     { IDC_WIDTH, "edit", "" },
                                     { -1, "label", "height:" },
                                     { IDC_HEIGHT, "edit", "" },
                                     { -1, "group box", "File Types" },
                                     { IDC_ANY_TYPE, "radio button", "Any type" },
                                     { IDC_THESE_TYPES, "radio button", "These types:" },
                                     { IDC_IMAGE_TYPES, "edit", "" },
                                     { -1, "group box", "Thumbnails Size (Pixels)" },
                                     { IDC_THUMBNAIL_EDGE, "edit", "" },
                                 }));
}

TEST(OptionsTemplates, DateTextAndOtherOptionsShowTheirControlsWholeAndInReadingOrder)
{
    ExpectTemplate(IDD_DATE_OPTIONS, DateGroup("Since:"));
    ExpectTemplate(IDD_TEXT_OPTIONS, Join(DateGroup("Since:"), {
                                                                   { -1, "label", "File Types:" },
                                                                   { IDC_TEXT_TYPES, "edit", "" },
                                                                   { -1, "label", "Search Text:" },
                                                                   { IDC_SEARCH_TEXT, "edit", "" },
                                                               }));
    ExpectTemplate(IDD_OTHER_OPTIONS,
                   Join(DateGroup("Since:"), {
                                                 { -1, "label", "Wildcard File Name Filter:" },
                                                 { IDC_WILDCARD, "edit", "" },
                                             }));
}

// ---- Image options ----

TEST(ImageOptions, ShowsTheDefaultsAndHandsThemOverOnOk)
{
    CImageOptionsDlg dialog;
    ModalScript script;
    script.Do([&] {
        EXPECT_EQ(CheckedOf(script, IDC_ANY_SIZE, 4), 0);
        EXPECT_EQ(CheckedOf(script, IDC_ANY_TYPE, 2), 0);
        EXPECT_EQ(WindowText(script.Item(IDC_WIDTH)), "320");
        EXPECT_EQ(WindowText(script.Item(IDC_HEIGHT)), "200");
        EXPECT_EQ(WindowText(script.Item(IDC_IMAGE_TYPES)), "GIF;JPG;JPEG");
        EXPECT_EQ(WindowText(script.Item(IDC_THUMBNAIL_EDGE)), "120");
    });
    script.Do(ExpectDateDefaults(script));
    script.Do(steps::Click(script, IDOK));
    EXPECT_EQ(script.Run(dialog), IDOK);
    EXPECT_EQ(dialog.m_sizeMode, 0);
    EXPECT_EQ(dialog.m_width, 320u);
    EXPECT_EQ(dialog.m_height, 200u);
    EXPECT_EQ(dialog.m_typeMode, 0);
    EXPECT_STREQ(dialog.Filters().typeList, "") << "Any type hands over no list";
    EXPECT_EQ(dialog.m_thumbnailEdge, 120u);
    EXPECT_EQ(dialog.m_dateMode, 0);
    EXPECT_EQ(dialog.m_dayNumber, Today());
}

// The exchange runs size mode, type mode, types, width, height, date mode,
// date, edge: each refusal shows that the members before the refused control
// took their new values and those after it did not.
TEST(ImageOptions, RefusalsComeInExchangeOrderWithTheControlFocused)
{
    CImageOptionsDlg dialog;
    ModalScript script;
    script.Do([&] {
        ::SendMessageA(script.Item(IDC_SMALLER), BM_CLICK, 0, 0);
        ::SendMessageA(script.Item(IDC_THESE_TYPES), BM_CLICK, 0, 0);
        ::SendMessageA(script.Item(IDC_EXACTLY), BM_CLICK, 0, 0);
        ::SetWindowTextA(script.Item(IDC_IMAGE_TYPES), " PNG;Gif ");
        ::SetWindowTextA(script.Item(IDC_WIDTH), "");
        ::SetWindowTextA(script.Item(IDC_HEIGHT), "");
        ::SetWindowTextA(script.Item(IDC_THUMBNAIL_EDGE), "500");
    });
    script.Do(steps::Click(script, IDOK));
    script.WaitFor("width prompt", steps::DismissBox(script, positivePrompt, IDI_EXCLAMATION));
    script.WaitFor("width focused", steps::FocusedAfterBox(script, IDC_WIDTH));
    script.Do([&] {
        EXPECT_EQ(dialog.m_sizeMode, 2);
        EXPECT_EQ(dialog.m_typeMode, 1);
        EXPECT_STREQ(dialog.m_types, " PNG;Gif ");
        EXPECT_EQ(dialog.m_dateMode, 0) << "not exchanged yet";
    });
    script.Do(steps::SetText(script, IDC_WIDTH, "0"));
    script.Do(steps::Click(script, IDOK));
    script.WaitFor("height prompt", steps::DismissBox(script, positivePrompt, IDI_EXCLAMATION));
    script.WaitFor("height focused", steps::FocusedAfterBox(script, IDC_HEIGHT));
    script.Do([&] {
        EXPECT_EQ(dialog.m_width, 0u);
        EXPECT_EQ(dialog.m_dateMode, 0);
    });
    script.Do(steps::SetText(script, IDC_HEIGHT, "7"));
    script.Do(steps::Click(script, IDOK));
    script.WaitFor("edge prompt", steps::DismissBox(script, edgePrompt, IDI_EXCLAMATION));
    script.WaitFor("edge focused", steps::FocusedAfterBox(script, IDC_THUMBNAIL_EDGE));
    script.Do([&] { EXPECT_EQ(dialog.m_dateMode, 3) << "exchanged before the edge"; });
    script.Do(steps::SetText(script, IDC_THUMBNAIL_EDGE, "200"));
    script.Do(steps::Click(script, IDOK));
    EXPECT_EQ(script.Run(dialog), IDOK);
    EXPECT_EQ(dialog.m_sizeMode, 2);
    EXPECT_EQ(dialog.m_width, 0u) << "no range check on the width";
    EXPECT_EQ(dialog.m_height, 7u);
    EXPECT_STREQ(dialog.Filters().typeList, " PNG;Gif ") << "handed over as typed";
    EXPECT_EQ(dialog.m_thumbnailEdge, 200u);
    EXPECT_EQ(dialog.m_dateMode, 3);
    EXPECT_EQ(dialog.m_dayNumber, Today()) << "Exactly with today's date";
}

TEST(ImageOptions, EdgeOf31And201IsRefusedAnd32IsAccepted)
{
    CImageOptionsDlg dialog;
    ModalScript script;
    for (const char* edge : { "31", "201" }) {
        script.Do(steps::SetText(script, IDC_THUMBNAIL_EDGE, edge));
        script.Do(steps::Click(script, IDOK));
        script.WaitFor(edge, steps::DismissBox(script, edgePrompt, IDI_EXCLAMATION));
        script.WaitFor("edge focused", steps::FocusedAfterBox(script, IDC_THUMBNAIL_EDGE));
    }
    script.Do(steps::SetText(script, IDC_THUMBNAIL_EDGE, ""));
    script.Do(steps::Click(script, IDOK));
    script.WaitFor("empty edge", steps::DismissBox(script, positivePrompt, IDI_EXCLAMATION));
    script.WaitFor("edge focused", steps::FocusedAfterBox(script, IDC_THUMBNAIL_EDGE));
    script.Do(steps::SetText(script, IDC_THUMBNAIL_EDGE, "32"));
    script.Do(steps::Click(script, IDOK));
    EXPECT_EQ(script.Run(dialog), IDOK);
    EXPECT_EQ(dialog.m_thumbnailEdge, 32u);
}

TEST(ImageOptions, TheseTypesHandsOverItsListAndAChosenDateGivesItsDayNumber)
{
    CImageOptionsDlg dialog;
    ModalScript script;
    script.Do(steps::Click(script, IDC_THESE_TYPES));
    script.Do(steps::Click(script, IDC_BEFORE));
    script.Do(SetPickerDate(script, 2005, 12, 5, 23));
    script.Do(steps::Click(script, IDOK));
    EXPECT_EQ(script.Run(dialog), IDOK);
    EXPECT_EQ(dialog.m_typeMode, 1);
    EXPECT_STREQ(dialog.Filters().typeList, "GIF;JPG;JPEG");
    EXPECT_EQ(dialog.m_dateMode, 1);
    EXPECT_EQ(dialog.m_dayNumber, 20051205) << "the time of day is dropped";
}

TEST(ImageOptions, EachNewDialogShowsTheDefaultsAgainAndCancelHandsNothingOver)
{
    CImageOptionsDlg first;
    ModalScript change;
    change.Do(steps::SetText(change, IDC_THUMBNAIL_EDGE, "64"));
    change.Do(steps::Click(change, IDC_NOT_SMALLER));
    change.Do(steps::Click(change, IDOK));
    ASSERT_EQ(change.Run(first), IDOK);
    EXPECT_EQ(first.m_thumbnailEdge, 64u);

    CImageOptionsDlg second;
    ModalScript look;
    look.Do([&] {
        EXPECT_EQ(WindowText(look.Item(IDC_THUMBNAIL_EDGE)), "120");
        EXPECT_EQ(CheckedOf(look, IDC_ANY_SIZE, 4), 0);
    });
    look.Do(steps::SetText(look, IDC_THUMBNAIL_EDGE, "500"));
    look.Do(steps::Click(look, IDCANCEL));
    EXPECT_EQ(look.Run(second), IDCANCEL) << "Cancel neither validates nor exchanges";
    EXPECT_EQ(second.m_thumbnailEdge, 120u);
}

// ---- Date options ----

TEST(DateOptions, ShowsTodayWithAnyDateAndHandsOverModeAndDayNumber)
{
    CDateOptionsDlg defaults;
    ModalScript look;
    look.Do(ExpectDateDefaults(look));
    look.Do(steps::Click(look, IDOK));
    EXPECT_EQ(look.Run(defaults), IDOK);
    EXPECT_EQ(defaults.m_dateMode, 0);
    EXPECT_EQ(defaults.m_dayNumber, Today());

    CDateOptionsDlg since;
    ModalScript choose;
    choose.Do(steps::Click(choose, IDC_SINCE));
    choose.Do(SetPickerDate(choose, 2005, 12, 5, 0));
    choose.Do(steps::Click(choose, IDOK));
    EXPECT_EQ(choose.Run(since), IDOK);
    EXPECT_EQ(since.m_dateMode, 2);
    EXPECT_EQ(since.m_dayNumber, 20051205);
}

// ---- Text options ----

TEST(TextOptions, ABlankSearchTextIsRefusedAndTheDialogStays)
{
    CTextOptionsDlg dialog;
    ModalScript script;
    script.Do([&] {
        EXPECT_EQ(WindowText(script.Item(IDC_TEXT_TYPES)), "txt;htm;html;js;vbs");
        EXPECT_EQ(WindowText(script.Item(IDC_SEARCH_TEXT)), "");
    });
    script.Do(ExpectDateDefaults(script));
    script.Do(steps::Click(script, IDOK));
    script.WaitFor("blank",
                   steps::DismissBox(script, "Search Text can not be blank.", IDI_ASTERISK));
    script.WaitFor("box gone", steps::BoxGone(script));
    script.Do(steps::SetText(script, IDC_SEARCH_TEXT, " \t  "));
    script.Do(steps::Click(script, IDC_EXACTLY));
    script.Do(steps::Click(script, IDOK));
    script.WaitFor("spaces",
                   steps::DismissBox(script, "Search Text can not be blank.", IDI_ASTERISK));
    script.WaitFor("box gone", steps::BoxGone(script));
    script.Do([&] {
        EXPECT_TRUE(::IsWindowVisible(script.Dialog()));
        EXPECT_EQ(dialog.m_dateMode, 3) << "the whole exchange ran before the check";
    });
    script.Do(steps::Click(script, IDCANCEL));
    EXPECT_EQ(script.Run(dialog), IDCANCEL);
}

TEST(TextOptions, HandsOverTrimmedLowerCaseTypesTrimmedSearchTextAndTheDay)
{
    CTextOptionsDlg dialog;
    ModalScript script;
    script.Do(steps::SetText(script, IDC_TEXT_TYPES, "  TXT;Htm  "));
    script.Do(steps::SetText(script, IDC_SEARCH_TEXT, "  Needle In Hay  "));
    script.Do(steps::Click(script, IDC_EXACTLY));
    script.Do(steps::Click(script, IDOK));
    EXPECT_EQ(script.Run(dialog), IDOK);
    EXPECT_STREQ(dialog.m_types, "txt;htm");
    EXPECT_STREQ(dialog.m_searchText, "Needle In Hay") << "the case of the search text stays";
    EXPECT_EQ(dialog.m_dateMode, 3);
    EXPECT_EQ(dialog.m_dayNumber, Today());
}

TEST(TextOptions, EmptyTypesAreHandedOverEmpty)
{
    CTextOptionsDlg dialog;
    ModalScript script;
    script.Do(steps::SetText(script, IDC_TEXT_TYPES, "   "));
    script.Do(steps::SetText(script, IDC_SEARCH_TEXT, "x"));
    script.Do(steps::Click(script, IDOK));
    EXPECT_EQ(script.Run(dialog), IDOK);
    EXPECT_STREQ(dialog.m_types, "");
    EXPECT_STREQ(dialog.m_searchText, "x");
}

// ---- Other options ----

// Types the wildcard and presses OK: the dialog refuses it with the message
// and stays open.
void RefuseWildcard(ModalScript& script, const char* wildcard, const char* message)
{
    script.Do(steps::SetText(script, IDC_WILDCARD, wildcard));
    script.Do(steps::Click(script, IDOK));
    script.WaitFor(std::string("refused: ") + wildcard,
                   steps::DismissBox(script, message, IDI_ASTERISK));
    script.WaitFor("box gone", steps::BoxGone(script));
}

TEST(OtherOptions, AWildcardOfSpacesIsRefusedAsBlank)
{
    COtherOptionsDlg dialog;
    ModalScript script;
    script.Do([&] { EXPECT_EQ(WindowText(script.Item(IDC_WILDCARD)), "some*.pdf"); });
    script.Do(ExpectDateDefaults(script));
    RefuseWildcard(script, "    ", "Filter can not be blank.");
    script.Do([&] { EXPECT_TRUE(::IsWindowVisible(script.Dialog())); });
    RefuseWildcard(script, "", "Filter can not be blank.");
    script.Do(steps::Click(script, IDCANCEL));
    EXPECT_EQ(script.Run(dialog), IDCANCEL);
}

TEST(OtherOptions, AWildcardWithAPathPartIsRefused)
{
    static const char refusal[] = "Filter can not name a folder or drive.\r\n\r\n"
                                  "Enter a pattern for file names only, such as some*.pdf.";
    COtherOptionsDlg dialog;
    ModalScript script;
    for (const char* pattern : { "..\\*", "C:*.pdf" })
        RefuseWildcard(script, pattern, refusal);
    script.Do(steps::SetText(script, IDC_WILDCARD, "..pdf"));
    script.Do(steps::Click(script, IDOK));
    EXPECT_EQ(script.Run(dialog), IDOK) << "dots inside a name are no path part";
    EXPECT_STREQ(dialog.m_wildcard, "..pdf");
}

TEST(OtherOptions, HandsOverTheTrimmedWildcardModeAndDay)
{
    COtherOptionsDlg dialog;
    ModalScript script;
    script.Do(steps::SetText(script, IDC_WILDCARD, "  *.pdf  "));
    script.Do(steps::Click(script, IDC_BEFORE));
    script.Do(SetPickerDate(script, 2005, 12, 5, 12));
    script.Do(steps::Click(script, IDOK));
    EXPECT_EQ(script.Run(dialog), IDOK);
    EXPECT_STREQ(dialog.m_wildcard, "*.pdf");
    EXPECT_EQ(dialog.m_dateMode, 1);
    EXPECT_EQ(dialog.m_dayNumber, 20051205);

    COtherOptionsDlg defaults;
    ModalScript ok;
    ok.Do(steps::Click(ok, IDOK));
    EXPECT_EQ(ok.Run(defaults), IDOK);
    EXPECT_STREQ(defaults.m_wildcard, "some*.pdf");
    EXPECT_EQ(defaults.m_dayNumber, Today());
}

TEST(DayNumber, IsYearMonthDayOfTheLocalDate)
{
    SYSTEMTIME late = {};
    late.wYear = 2005;
    late.wMonth = 12;
    late.wDay = 5;
    late.wHour = 23;
    late.wMinute = 59;
    late.wSecond = 59;
    EXPECT_EQ(DayNumberOf(COleDateTime(late)), 20051205);
    SYSTEMTIME first = {};
    first.wYear = 1999;
    first.wMonth = 1;
    first.wDay = 1;
    EXPECT_EQ(DayNumberOf(COleDateTime(first)), 19990101);
}

}  // namespace
