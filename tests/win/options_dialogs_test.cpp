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

struct Expected {
    int id;
    const char* cls;
    const char* text;
    short x, y, cx, cy;
};

void ExpectTemplate(int id, short cx, short cy, const std::vector<Expected>& items)
{
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(nullptr, id, dialog)) << id;
    EXPECT_EQ(dialog.title, "Options");
    EXPECT_EQ(dialog.typeface, "MS Sans Serif");
    EXPECT_EQ(dialog.pointSize, 9);
    EXPECT_EQ(dialog.cx, cx);
    EXPECT_EQ(dialog.cy, cy);
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    EXPECT_EQ(dialog.style & frame, frame);
    ASSERT_EQ(dialog.items.size(), items.size()) << id;
    for (size_t i = 0; i < items.size(); ++i) {
        const DialogItem& got = dialog.items[i];
        const Expected& want = items[i];
        EXPECT_EQ(got.id, want.id) << want.text;
        // windres stores a class name it does not know in capitals.
        EXPECT_EQ(lstrcmpiA(got.className.c_str(), want.cls), 0) << got.className;
        EXPECT_EQ(got.text, want.text) << want.id;
        EXPECT_EQ(got.x, want.x) << want.text;
        EXPECT_EQ(got.y, want.y) << want.text;
        EXPECT_EQ(got.cx, want.cx) << want.text;
        EXPECT_EQ(got.cy, want.cy) << want.text;
        DWORD type = got.style & BS_TYPEMASK;
        if (got.id >= IDC_ANY_SIZE && got.id <= IDC_EXACTLY && got.className == std::string("Button")) {
            EXPECT_EQ(type, static_cast<DWORD>(BS_AUTORADIOBUTTON)) << want.text;
            bool first = got.id == IDC_ANY_SIZE || got.id == IDC_ANY_TYPE || got.id == IDC_ANY_DATE;
            EXPECT_EQ((got.style & WS_GROUP) != 0, first) << want.text;
        }
        if (got.id == IDC_DATE_PICKER) {
            EXPECT_EQ(got.style & (DTS_RIGHTALIGN | DTS_SHOWNONE | DTS_LONGDATEFORMAT |
                                   DTS_TIMEFORMAT | WS_GROUP),
                      static_cast<DWORD>(DTS_RIGHTALIGN | WS_GROUP));
        }
        if (got.id == IDC_WIDTH || got.id == IDC_HEIGHT || got.id == IDC_THUMBNAIL_EDGE) {
            EXPECT_TRUE(got.style & ES_NUMBER) << got.id;
        }
        if (got.id == IDOK) {
            EXPECT_EQ(type, static_cast<DWORD>(BS_DEFPUSHBUTTON));
        }
    }
}

std::vector<Expected> DateGroup(short gx, short gy, short gw, const short radioY[4], short radioW,
                                const char* since, short px, short py, short pw)
{
    return {
        {-1, "Button", "Date", gx, gy, gw, 67},
        {IDC_ANY_DATE, "Button", "Any date", 15, radioY[0], radioW, 10},
        {IDC_BEFORE, "Button", "Before:", 15, radioY[1], radioW, 10},
        {IDC_SINCE, "Button", since, 15, radioY[2], radioW, 10},
        {IDC_EXACTLY, "Button", "Exactly:", 15, radioY[3], radioW, 10},
        {IDC_DATE_PICKER, "SysDateTimePick32", "", px, py, pw, 15},
    };
}

std::vector<Expected> Join(std::vector<Expected> a, const std::vector<Expected>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<Expected> Buttons(short okX, short cancelX, short y)
{
    return {{IDOK, "Button", "OK", okX, y, 50, 14}, {IDCANCEL, "Button", "Cancel", cancelX, y, 50, 14}};
}

TEST(OptionsTemplates, ImageOptionsHasItsControlsAtTheirPlaces)
{
    const short dateY[] = {93, 106, 119, 132};
    std::vector<Expected> items = {
        {-1, "Button", "Size (Pixels)", 7, 7, 168, 67},
        {IDC_ANY_SIZE, "Button", "Any size", 15, 19, 67, 10},
        {IDC_NOT_SMALLER, "Button", "Not smaller than:", 15, 32, 67, 10},
        {IDC_SMALLER, "Button", "Smaller than:", 15, 45, 67, 10},
        {IDC_EXACT_SIZE, "Button", "Exactly:", 15, 58, 67, 10},
        {-1, "Static", "width:", 91, 37, 32, 10},
        {IDC_WIDTH, "Edit", "", 125, 35, 40, 12},
        {-1, "Static", "height:", 91, 53, 32, 10},
        {IDC_HEIGHT, "Edit", "", 125, 51, 40, 12},
    };
    items = Join(items, DateGroup(7, 81, 168, dateY, 68, "Since", 90, 115, 75));
    items = Join(items, {
        {-1, "Button", "File Types", 186, 7, 168, 67},
        {IDC_ANY_TYPE, "Button", "Any type", 194, 20, 67, 10},
        {IDC_THESE_TYPES, "Button", "These types:", 194, 33, 63, 10},
        {IDC_IMAGE_TYPES, "Edit", "", 260, 31, 85, 14},
        {-1, "Button", "Thumbnails Size (Pixels)", 186, 81, 168, 40},
        {IDC_THUMBNAIL_EDGE, "Edit", "", 196, 97, 34, 12},
    });
    ExpectTemplate(IDD_IMAGE_OPTIONS, 361, 154, Join(items, Buttons(254, 304, 133)));
}

TEST(OptionsTemplates, DateTextAndOtherOptionsHaveTheirControlsAtTheirPlaces)
{
    const short dateY[] = {18, 31, 44, 57};
    ExpectTemplate(IDD_DATE_OPTIONS, 177, 102,
                   Join(DateGroup(7, 7, 163, dateY, 68, "Since:", 87, 40, 74), Buttons(68, 120, 81)));

    const short textY[] = {55, 68, 82, 95};
    std::vector<Expected> text = {
        {-1, "Static", "File Types:", 7, 9, 60, 10},
        {IDC_TEXT_TYPES, "Edit", "", 69, 7, 145, 12},
        {-1, "Static", "Search Text:", 7, 24, 60, 10},
        {IDC_SEARCH_TEXT, "Edit", "", 69, 22, 145, 12},
    };
    text = Join(text, DateGroup(7, 44, 207, textY, 68, "Since:", 87, 77, 74));
    ExpectTemplate(IDD_TEXT_OPTIONS, 221, 138, Join(text, Buttons(113, 164, 117)));

    const short otherY[] = {33, 46, 60, 73};
    std::vector<Expected> other = {
        {-1, "Static", "Wildcard File Name Filter:", 7, 9, 91, 10},
        {IDC_WILDCARD, "Edit", "", 99, 7, 115, 12},
    };
    other = Join(other, DateGroup(7, 22, 207, otherY, 68, "Since:", 87, 55, 74));
    ExpectTemplate(IDD_OTHER_OPTIONS, 221, 114, Join(other, Buttons(113, 164, 93)));
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
    script.Do([&] {
        EXPECT_EQ(dialog.m_dateMode, 3) << "exchanged before the edge";
    });
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
    for (const char* edge : {"31", "201"}) {
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
    script.WaitFor("blank", steps::DismissBox(script, "Search Text can not be blank.", IDI_ASTERISK));
    script.WaitFor("box gone", steps::BoxGone(script));
    script.Do(steps::SetText(script, IDC_SEARCH_TEXT, " \t  "));
    script.Do(steps::Click(script, IDC_EXACTLY));
    script.Do(steps::Click(script, IDOK));
    script.WaitFor("spaces", steps::DismissBox(script, "Search Text can not be blank.", IDI_ASTERISK));
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
    script.WaitFor(std::string("refused: ") + wildcard, steps::DismissBox(script, message, IDI_ASTERISK));
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
    static const char refusal[] =
        "Filter can not name a folder or drive.\r\n\r\n"
        "Enter a pattern for file names only, such as some*.pdf.";
    COtherOptionsDlg dialog;
    ModalScript script;
    for (const char* pattern : {"..\\*", "C:*.pdf"})
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
