// The framework's data exchange and validation, in a real dialog: values into
// the controls and back, the prompts with their icon, and the focus and
// selection a refused value leaves behind.
#include "framework/afxwin.h"
#include "tests/win/modal_driver.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT exchangeDialog = 210;
constexpr int textId = 310, numberId = 311, firstA = 320, firstB = 323, checkId = 330,
              threeStateId = 331, pickerId = 340;
const char positivePrompt[] = "Please enter a positive integer.";

SYSTEMTIME Date(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    return time;
}

class CExchangeDialog : public CDialog {
public:
    CExchangeDialog() : CDialog(exchangeDialog), date(Date(2005, 12, 5, 13, 14)) {}

    CString text = "hello";
    UINT number = 4294967295u;
    int radioA = 2;
    int radioB = 0;
    int check = 1;
    int threeState = BST_INDETERMINATE;
    COleDateTime date;
    bool checkRange = false;
    UINT low = 32, high = 200;
    int exchangesAfterNumber = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, textId, text);
        DDX_Text(pDX, numberId, number);
        if (checkRange)
            DDV_MinMaxUInt(pDX, number, low, high);
        ++exchangesAfterNumber;
        DDX_Radio(pDX, firstA, radioA);
        DDX_Radio(pDX, firstB, radioB);
        DDX_Check(pDX, checkId, check);
        DDX_Check(pDX, threeStateId, threeState);
        DDX_DateTimeCtrl(pDX, pickerId, date);
    }
};

int Checked(HWND control)
{
    return static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
}

SYSTEMTIME PickerDate(HWND picker)
{
    SYSTEMTIME time = {};
    EXPECT_EQ(::SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)),
              GDT_VALID);
    return time;
}

TEST(DataExchange, LoadsEveryKindOfValueIntoItsControl)
{
    CExchangeDialog dialog;
    ModalScript script;
    script.Do([&] {
        EXPECT_EQ(WindowText(script.Item(textId)), "hello");
        EXPECT_EQ(WindowText(script.Item(numberId)), "4294967295");
        EXPECT_EQ(Checked(script.Item(firstA)), BST_UNCHECKED);
        EXPECT_EQ(Checked(script.Item(firstA + 1)), BST_UNCHECKED);
        EXPECT_EQ(Checked(script.Item(firstA + 2)), BST_CHECKED) << "the static between is skipped";
        EXPECT_EQ(Checked(script.Item(firstB)), BST_CHECKED);
        EXPECT_EQ(Checked(script.Item(firstB + 1)), BST_UNCHECKED);
        EXPECT_EQ(Checked(script.Item(checkId)), BST_CHECKED);
        EXPECT_EQ(Checked(script.Item(threeStateId)), BST_INDETERMINATE);
        SYSTEMTIME shown = PickerDate(script.Item(pickerId));
        EXPECT_EQ(shown.wYear, 2005);
        EXPECT_EQ(shown.wMonth, 12);
        EXPECT_EQ(shown.wDay, 5);
        EXPECT_EQ(shown.wHour, 13);
        EXPECT_EQ(shown.wMinute, 14);
    });
    script.Do(steps::Click(script, IDCANCEL));
    EXPECT_EQ(script.Run(dialog), IDCANCEL);
}

TEST(DataExchange, SavesWhatTheUserSetAndEachRadioGroupStopsAtTheNextGroup)
{
    CExchangeDialog dialog;
    ModalScript script;
    script.Do(steps::SetText(script, textId, "  typed  "));
    script.Do(steps::SetText(script, numberId, " 42 "));
    script.Do([&] {
        ::SendMessageA(script.Item(firstA + 1), BM_CLICK, 0, 0);
        ::SendMessageA(script.Item(firstB + 1), BM_CLICK, 0, 0);
        ::SendMessageA(script.Item(checkId), BM_CLICK, 0, 0);
        ::SendMessageA(script.Item(threeStateId), BM_SETCHECK, BST_CHECKED, 0);
        SYSTEMTIME chosen = Date(1999, 2, 28, 23, 59);
        ::SendMessageA(script.Item(pickerId), DTM_SETSYSTEMTIME, GDT_VALID,
                       reinterpret_cast<LPARAM>(&chosen));
    });
    script.Do(steps::Click(script, IDOK));
    EXPECT_EQ(script.Run(dialog), IDOK);
    EXPECT_STREQ(dialog.text, "  typed  ") << "text is handed over as typed";
    EXPECT_EQ(dialog.number, 42u) << "blanks around the digits are allowed";
    EXPECT_EQ(dialog.radioA, 1);
    EXPECT_EQ(dialog.radioB, 1);
    EXPECT_EQ(dialog.check, BST_UNCHECKED);
    EXPECT_EQ(dialog.threeState, BST_CHECKED);
    EXPECT_EQ(dialog.date.GetYear(), 1999);
    EXPECT_EQ(dialog.date.GetMonth(), 2);
    EXPECT_EQ(dialog.date.GetDay(), 28);
}

TEST(DataExchange, RadioGroupWithNothingCheckedSavesMinusOneAndLoadsNone)
{
    CExchangeDialog dialog;
    ModalScript script;
    script.Do([&] {
        for (int id = firstA; id < firstA + 3; ++id)
            ::SendMessageA(script.Item(id), BM_SETCHECK, BST_UNCHECKED, 0);
        EXPECT_TRUE(dialog.UpdateData(TRUE));
        EXPECT_EQ(dialog.radioA, -1);
        EXPECT_EQ(dialog.radioB, 0) << "the next group keeps its own index";
        dialog.radioA = 7;
        EXPECT_TRUE(dialog.UpdateData(FALSE));
        for (int id = firstA; id < firstA + 3; ++id)
            EXPECT_EQ(Checked(script.Item(id)), BST_UNCHECKED) << id;
    });
    script.Do(steps::Click(script, IDCANCEL));
    script.Run(dialog);
}

// Each refused text: the prompt with the exclamation icon, the dialog stays
// open, the edit has the focus with its text selected, the member keeps its
// value and the exchange stops at the refused control.
void ExpectRefused(ModalScript& script, int id, const char* text, const std::string& prompt)
{
    script.Do(steps::SetText(script, id, text));
    script.Do(steps::Click(script, IDOK));
    script.WaitFor(prompt, steps::DismissBox(script, prompt, IDI_EXCLAMATION));
    script.WaitFor("focus", steps::FocusedAfterBox(script, id));
}

TEST(DataExchange, NumberEditRefusesWhatIsNotAPositiveInteger)
{
    CExchangeDialog dialog;
    dialog.number = 5;
    ModalScript script;
    for (const char* text : { "", "-1", "12a", "4294967296", "1 2", " " })
        ExpectRefused(script, numberId, text, positivePrompt);
    script.Do([&] {
        EXPECT_EQ(dialog.number, 5u);
        EXPECT_EQ(dialog.exchangesAfterNumber, 1) << "only the initial load got past the number";
    });
    script.Do(steps::SetText(script, numberId, "0"));
    script.Do(steps::Click(script, IDOK));
    EXPECT_EQ(script.Run(dialog), IDOK);
    EXPECT_EQ(dialog.number, 0u);
}

TEST(DataExchange, RangeCheckRefusesValuesJustOutsideAndAcceptsTheBounds)
{
    CExchangeDialog dialog;
    dialog.checkRange = true;
    dialog.number = 120;
    ModalScript script;
    const std::string prompt = "Please enter an integer between 32 and 200.";
    ExpectRefused(script, numberId, "31", prompt);
    ExpectRefused(script, numberId, "201", prompt);
    script.Do([&] {
        for (const char* bound : { "32", "200" }) {
            ::SetWindowTextA(script.Item(numberId), bound);
            EXPECT_TRUE(dialog.UpdateData(TRUE)) << bound;
        }
        EXPECT_EQ(dialog.number, 200u);
        dialog.number = 500;
        EXPECT_TRUE(dialog.UpdateData(FALSE)) << "loading never validates";
        EXPECT_EQ(WindowText(script.Item(numberId)), "500");
    });
    script.Do(steps::SetText(script, numberId, "32"));
    script.Do(steps::Click(script, IDOK));
    EXPECT_EQ(script.Run(dialog), IDOK);
    EXPECT_EQ(dialog.number, 32u);
}

TEST(DataExchange, RangePromptNamesOtherBoundsToo)
{
    CExchangeDialog dialog;
    dialog.checkRange = true;
    dialog.low = 0;
    dialog.high = 4294967294u;
    ModalScript script;
    ExpectRefused(script, numberId, "4294967295",
                  "Please enter an integer between 0 and 4294967294.");
    script.Do(steps::Click(script, IDCANCEL));
    EXPECT_EQ(script.Run(dialog), IDCANCEL);
}

TEST(Prompts, FormatString2ReplacesBothPlaceholdersWherever)
{
    EXPECT_STREQ(AfxFormatString2(AFX_IDP_PARSE_INT_RANGE, "32", "200"),
                 "Please enter an integer between 32 and 200.");
    EXPECT_STREQ(AfxFormatString2("%2-%1-%2", "a", "b"), "b-a-b");
    EXPECT_STREQ(AfxFormatString2("%3 %% 100%", "a", "b"), "%3 %% 100%");
    EXPECT_STREQ(AfxFormatString2("", "a", "b"), "");
    EXPECT_STREQ(AFX_IDP_PARSE_UINT, positivePrompt);
}

}  // namespace
