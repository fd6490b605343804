// The framework's message maps, reflection, modal dialogs and data exchange,
// run for real on Wine's window manager.
#include "framework/afxmt.h"
#include "framework/afxwin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

constexpr UINT testDialog = 200;
constexpr int editId = 300, labelId = 301, pressId = 302;
constexpr UINT WM_RUN_SCRIPT = WM_APP + 1;

// A label whose colour handler records that the parent's WM_CTLCOLORSTATIC
// was reflected to it.
class CReflectingLabel : public CStatic {
public:
    int colourRequests = 0;
    bool presubclassed = false;
    CBrush brush;

protected:
    void PreSubclassWindow() override { presubclassed = m_hWnd != nullptr; }
    HBRUSH CtlColor(HDC, UINT ctlColor)
    {
        ++colourRequests;
        lastCtlColor = ctlColor;
        if (!brush.GetSafeHandle())
            brush.CreateSolidBrush(RGB(1, 2, 3));
        return brush;
    }

public:
    UINT lastCtlColor = 0;

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingLabel, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class CBaseTestDialog : public CDialog {
public:
    CBaseTestDialog() : CDialog(testDialog) {}
    int pressedInBase = 0;
    int systemCommands = 0;

protected:
    virtual void OnPress() { ++pressedInBase; }
    void OnSysCommand(UINT id, LPARAM)
    {
        ++systemCommands;
        if (id != SC_CLOSE)
            Default();
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTestDialog, CDialog)
    ON_COMMAND(pressId, OnPress)
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

// Runs a script of checks from inside its own modal loop, then ends itself.
class CTestDialog : public CBaseTestDialog {
public:
    std::function<void(CTestDialog&)> script;
    bool endAfterScript = true;
    bool failExchange = false;
    int exchanges = 0;
    CReflectingLabel label;
    CWnd edit;

    using CDialog::OnOK;

protected:
    BOOL OnInitDialog() override
    {
        CBaseTestDialog::OnInitDialog();
        PostMessage(WM_RUN_SCRIPT);
        return TRUE;
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        ++exchanges;
        DDX_Control(pDX, labelId, label);
        DDX_Control(pDX, editId, edit);
        if (pDX->m_bSaveAndValidate && failExchange) {
            pDX->PrepareEditCtrl(editId);
            pDX->Fail();
        }
    }
    LRESULT OnRunScript(WPARAM, LPARAM)
    {
        script(*this);
        if (endAfterScript)
            EndDialog(IDABORT);
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDialog, CBaseTestDialog)
    ON_MESSAGE(WM_RUN_SCRIPT, OnRunScript)
END_MESSAGE_MAP()

INT_PTR RunDialog(CTestDialog& dialog, std::function<void(CTestDialog&)> script)
{
    dialog.script = std::move(script);
    return dialog.DoModal();
}

TEST(MessageMap, BaseClassEntriesServeTheDerivedDialog)
{
    CTestDialog dialog;
    RunDialog(dialog, [](CTestDialog& d) {
        d.SendMessage(WM_COMMAND, MAKEWPARAM(pressId, BN_CLICKED),
                      reinterpret_cast<LPARAM>(::GetDlgItem(d.m_hWnd, pressId)));
        d.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(dialog.pressedInBase, 1);
    EXPECT_EQ(dialog.systemCommands, 1);
    EXPECT_EQ(dialog.m_hWnd, nullptr) << "detached when the dialog was destroyed";
}

TEST(MessageMap, OkAndCancelEndTheDialogWithTheirIds)
{
    CTestDialog dialog;
    dialog.endAfterScript = false;
    EXPECT_EQ(RunDialog(dialog, [](CTestDialog& d) { d.SendMessage(WM_COMMAND, IDOK, 0); }), IDOK);
    EXPECT_EQ(dialog.exchanges, 2) << "one exchange into the controls, one back";

    CTestDialog cancelled;
    cancelled.endAfterScript = false;
    EXPECT_EQ(RunDialog(cancelled, [](CTestDialog& d) { d.SendMessage(WM_COMMAND, IDCANCEL, 0); }),
              IDCANCEL);
    EXPECT_EQ(cancelled.exchanges, 1) << "Cancel exchanges nothing back";
}

TEST(Reflection, ControlColourGoesToTheControlsOwnMap)
{
    CTestDialog dialog;
    RunDialog(dialog, [](CTestDialog& d) {
        EXPECT_TRUE(d.label.presubclassed);
        EXPECT_EQ(CWnd::FromHandlePermanent(::GetDlgItem(d.m_hWnd, labelId)), &d.label);
        HDC dc = ::GetDC(d.label.m_hWnd);
        LRESULT brush = d.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(d.label.m_hWnd));
        ::ReleaseDC(d.label.m_hWnd, dc);
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), static_cast<HBRUSH>(d.label.brush));
    });
    EXPECT_GE(dialog.label.colourRequests, 1);
    EXPECT_EQ(dialog.label.lastCtlColor, static_cast<UINT>(CTLCOLOR_STATIC));
}

TEST(DataExchange, AFailedValidationKeepsTheDialogOpenWithTheControlFocused)
{
    CTestDialog dialog;
    dialog.failExchange = true;
    bool stillOpen = false;
    HWND focused = nullptr, edit = nullptr;
    RunDialog(dialog, [&](CTestDialog& d) {
        EXPECT_FALSE(d.UpdateData(TRUE));
        d.OnOK();
        stillOpen = ::IsWindow(d.m_hWnd) != FALSE;
        focused = ::GetFocus();
        edit = ::GetDlgItem(d.m_hWnd, editId);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(focused, edit);
}

TEST(DataExchange, ControlsAreSubclassedOnceAcrossExchanges)
{
    CTestDialog dialog;
    RunDialog(dialog, [](CTestDialog& d) {
        HWND label = d.label.m_hWnd;
        EXPECT_TRUE(d.UpdateData(TRUE));
        EXPECT_TRUE(d.UpdateData(FALSE));
        EXPECT_EQ(d.label.m_hWnd, label);
        CString text;
        d.label.GetWindowText(text);
        EXPECT_STREQ(text, "Label");
    });
}

TEST(Window, ObjectDestroyedBeforeItsWindowGivesTheWindowBack)
{
    HWND window =
        ::CreateWindowA("STATIC", "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    {
        CReflectingLabel label;
        ASSERT_TRUE(label.SubclassWindow(window));
        EXPECT_EQ(reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC)),
                  &AfxWndProc);
    }
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
    EXPECT_NE(reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC)), &AfxWndProc);
    char text[8] = {};
    ::GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "x");
    ::DestroyWindow(window);
}

TEST(String, FormatsBuffersAndCompares)
{
    CString text;
    EXPECT_TRUE(text.IsEmpty());
    text.Format("%s %d%%", "page", 100);
    EXPECT_STREQ(text, "page 100%");
    EXPECT_EQ(text.GetLength(), 9);
    char* buffer = text.GetBuffer(300);
    lstrcpyA(buffer, "short");
    text.ReleaseBuffer();
    EXPECT_TRUE(text == "short");
    text += nullptr;
    text += "er";
    EXPECT_TRUE(text == "shorter");
    CString none(nullptr);
    EXPECT_TRUE(none.IsEmpty());
    text.Format("%s", std::string(5000, 'x').c_str());
    EXPECT_EQ(text.GetLength(), 5000);
}

TEST(Mutex, ExcludesOtherThreadsAndUnlocksWithItsScope)
{
    CMutex mutex;
    std::atomic<int> inside{ 0 };
    std::atomic<int> overlaps{ 0 };
    auto work = [&] {
        for (int i = 0; i < 200; ++i) {
            CSingleLock lock(&mutex, TRUE);
            ASSERT_TRUE(lock.IsLocked());
            if (inside.fetch_add(1) != 0)
                ++overlaps;
            inside.fetch_sub(1);
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(overlaps.load(), 0);

    {
        CSingleLock held(&mutex, TRUE);
        std::thread other([&] { EXPECT_FALSE(CSingleLock(&mutex).Lock(50)); });
        other.join();
        EXPECT_TRUE(held.Unlock());
        EXPECT_FALSE(held.IsLocked());
    }
    std::thread after([&] { EXPECT_TRUE(CSingleLock(&mutex).Lock(50)); });
    after.join();
}

}  // namespace
