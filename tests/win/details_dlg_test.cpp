// The Details dialog: its template, the source URL found for a file committed
// through WinINet, the words shown for an unknown file, and the close that
// waits for the look-up.
#include "tests/win/dialog_template.h"
#include "tests/win/modal_driver.h"
#include "res/resource.h"
#include "browser/details_dlg.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

bool OpenEnabled(const ModalScript& script)
{
    return ::IsWindowEnabled(script.Item(IDC_OPEN_SOURCE_URL)) != FALSE;
}

// The dialog under test, with a gate that holds the look-up until the test
// opens it, and a count of every Close it handled.
class CHeldDetailsDlg : public CDetailsDlg {
public:
    CHeldDetailsDlg() : m_gate(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~CHeldDetailsDlg() override
    {
        Release();
        ::CloseHandle(m_gate);
    }
    void Release() { ::SetEvent(m_gate); }

    std::atomic<int> cancels{ 0 };
    std::atomic<int> lookUpsStarted{ 0 };

protected:
    void LookUpSourceUrl() override
    {
        ++lookUpsStarted;
        ::WaitForSingleObject(m_gate, INFINITE);
        CDetailsDlg::LookUpSourceUrl();
    }
    void OnCancel() override
    {
        ++cancels;
        CDetailsDlg::OnCancel();
    }

private:
    HANDLE m_gate;
};

// A file committed to the prefix's Internet cache under a source URL, removed
// again at the end of the test.
class CommittedCacheFile {
public:
    explicit CommittedCacheFile(const char* url) : m_url(url)
    {
        char file[MAX_PATH] = {};
        if (!::CreateUrlCacheEntryA(url, 0, "gif", file, 0))
            return;
        HANDLE out = ::CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ::WriteFile(out, "GIF89a", 6, &written, nullptr);
        ::CloseHandle(out);
        FILETIME none = {};
        if (::CommitUrlCacheEntryA(url, file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr,
                                   nullptr))
            m_file = file;
    }
    ~CommittedCacheFile()
    {
        if (!m_file.empty())
            ::DeleteUrlCacheEntryA(m_url.c_str());
    }
    const std::string& File() const { return m_file; }

private:
    std::string m_url;
    std::string m_file;
};

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

ModalScript::Step LookUpFinished(const CDetailsDlg& dialog)
{
    return [&dialog] { return !dialog.IsLookingUp(); };
}

std::function<void()> Key(const ModalScript& script, UINT key)
{
    return [&script, key] {
        HWND target = ::GetFocus() ? ::GetFocus() : script.Dialog();
        ::PostMessageA(target, WM_KEYDOWN, key, 1);
        ::PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    };
}

TEST(DetailsTemplate, HasThePathTheUrlOpenAndClose)
{
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(nullptr, IDD_DETAILS, dialog));
    EXPECT_EQ(dialog.title, "Drill");
    EXPECT_EQ(dialog.typeface, "MS Sans Serif");
    EXPECT_EQ(dialog.pointSize, 9);
    EXPECT_EQ(dialog.cx, 324);
    EXPECT_EQ(dialog.cy, 74);
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    EXPECT_EQ(dialog.style & frame, frame);

    struct Expected {
        int id;
        const char* cls;
        const char* text;
        short x, y, cx, cy;
        DWORD style;
    };
    const Expected expected[] = {
        { -1, "Static", "Cache File Path:", 7, 9, 60, 10, 0 },
        { IDC_CACHE_FILE_PATH, "Edit", "", 68, 7, 249, 12,
          ES_READONLY | ES_AUTOHSCROLL | WS_BORDER },
        { -1, "Static", "Source URL:", 7, 25, 60, 10, 0 },
        { IDC_SOURCE_URL, "Edit", "", 68, 23, 219, 12, ES_READONLY | ES_AUTOHSCROLL | WS_BORDER },
        { IDC_OPEN_SOURCE_URL, "Button", "Open", 289, 23, 28, 12, BS_FLAT },
        { -1, "Static", "", 7, 45, 310, 1, SS_ETCHEDHORZ },
        { IDCANCEL, "Button", "Close", 267, 53, 50, 14, 0 },
    };
    ASSERT_EQ(dialog.items.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const DialogItem& got = dialog.items[i];
        const Expected& want = expected[i];
        EXPECT_EQ(got.id, want.id) << want.text;
        EXPECT_EQ(got.className, want.cls) << want.text;
        EXPECT_EQ(got.text, want.text) << want.id;
        EXPECT_EQ(got.x, want.x) << want.text;
        EXPECT_EQ(got.y, want.y) << want.text;
        EXPECT_EQ(got.cx, want.cx) << want.text;
        EXPECT_EQ(got.cy, want.cy) << want.text;
        EXPECT_EQ(got.style & want.style, want.style) << want.text;
        if (got.className == "Button") {
            EXPECT_EQ(got.style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON)) << want.text;
        }
    }
}

bool Overlap(const DialogItem& a, const DialogItem& b)
{
    return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

// An entry's template: every field a read-only edit with its label on its
// row, Open beside the URL, nothing overlapping, all inside the dialog.
TEST(DetailsTemplate, AnEntryLabelsEachReadOnlyFieldAndKeepsOpenBesideTheUrl)
{
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(nullptr, IDD_ENTRY_DETAILS, dialog));
    EXPECT_EQ(dialog.title, "Drill");
    EXPECT_EQ(dialog.typeface, "MS Sans Serif");
    const DialogItem* url = nullptr;
    const DialogItem* open = nullptr;
    int fields = 0;
    for (const DialogItem& item : dialog.items) {
        EXPECT_LE(item.x + item.cx, dialog.cx) << item.id;
        EXPECT_LE(item.y + item.cy, dialog.cy) << item.id;
        for (const DialogItem& other : dialog.items)
            EXPECT_TRUE(&item == &other || !Overlap(item, other)) << item.id << " " << other.id;
        if (item.id == IDC_SOURCE_URL)
            url = &item;
        if (item.id == IDC_OPEN_SOURCE_URL)
            open = &item;
        if (item.className != "Edit")
            continue;
        ++fields;
        EXPECT_EQ(item.style & (ES_READONLY | ES_AUTOHSCROLL), DWORD(ES_READONLY | ES_AUTOHSCROLL))
            << item.id;
        const bool labelled =
            std::any_of(dialog.items.begin(), dialog.items.end(), [&](const DialogItem& label) {
                return label.className == "Static" && !label.text.empty() &&
                       label.text.back() == ':' && label.x + label.cx <= item.x &&
                       std::abs(label.y - item.y) <= 2;
            });
        EXPECT_TRUE(labelled) << item.id;
    }
    EXPECT_EQ(fields, 10) << "URL, site, browser, status, type, encoding, two sizes, time, body";
    ASSERT_TRUE(url && open);
    EXPECT_EQ(open->y, url->y);
    EXPECT_GT(open->x, url->x);
}

TEST(DetailsDialog, FindsTheSourceUrlOfACommittedFileAndEnablesOpen)
{
    const char url[] = "http://zema.test/details/picture.gif";
    CommittedCacheFile cached(url);
    ASSERT_FALSE(cached.File().empty()) << "WinINet refused the cache entry";

    CDetailsDlg dialog;
    dialog.m_cacheFilePath = Upper(cached.File()).c_str();
    ModalScript script;
    script.WaitFor("look-up", LookUpFinished(dialog));
    script.Do([&] {
        EXPECT_EQ(WindowText(script.Item(IDC_SOURCE_URL)), url);
        EXPECT_EQ(WindowText(script.Item(IDC_CACHE_FILE_PATH)), Upper(cached.File()));
        EXPECT_TRUE(OpenEnabled(script));
    });
    script.Do(steps::Click(script, IDCANCEL));
    EXPECT_EQ(script.Run(dialog), IDCANCEL);
}

TEST(DetailsDialog, SaysSoInWordsWhenTheIndexHasNoEntryAndKeepsOpenDisabled)
{
    const std::string path = "C:\\users\\nobody\\not-in-the-cache\\none[1].gif";
    CDetailsDlg dialog;
    dialog.m_cacheFilePath = path.c_str();
    ModalScript script;
    script.WaitFor("look-up", LookUpFinished(dialog));
    script.Do([&] {
        EXPECT_EQ(WindowText(script.Item(IDC_SOURCE_URL)), CDetailsDlg::noSourceUrlText);
        EXPECT_FALSE(OpenEnabled(script));
        HWND pathEdit = script.Item(IDC_CACHE_FILE_PATH);
        EXPECT_EQ(WindowText(pathEdit), path);
        EXPECT_TRUE(::GetWindowLongA(pathEdit, GWL_STYLE) & ES_READONLY);
        ::SendMessageA(pathEdit, WM_CHAR, 'x', 1);
        EXPECT_EQ(WindowText(pathEdit), path) << "typing does not change the path";
    });
    script.Do(steps::Click(script, IDCANCEL));
    EXPECT_EQ(script.Run(dialog), IDCANCEL);
}

TEST(DetailsDialog, CloseTwiceDuringTheLookUpClosesOnceWhenItEnds)
{
    CHeldDetailsDlg dialog;
    dialog.m_cacheFilePath = "C:\\held.gif";
    HCURSOR appStarting = ::LoadCursorA(nullptr, IDC_APPSTARTING);
    ModalScript script;
    script.WaitFor("worker", [&] { return dialog.lookUpsStarted == 1; });
    script.Do([&] {
        EXPECT_FALSE(OpenEnabled(script)) << "disabled while the look-up runs";
        LRESULT handled =
            ::SendMessageA(script.Dialog(), WM_SETCURSOR, reinterpret_cast<WPARAM>(script.Dialog()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_TRUE(handled);
        EXPECT_EQ(::GetCursor(), appStarting);
        ::SendMessageA(script.Item(IDCANCEL), BM_CLICK, 0, 0);
        ::SendMessageA(script.Item(IDCANCEL), BM_CLICK, 0, 0);
    });
    script.Pause(200);
    script.Do([&] {
        EXPECT_TRUE(::IsWindowVisible(script.Dialog())) << "the close waits for the look-up";
        EXPECT_EQ(dialog.cancels, 2);
        EXPECT_TRUE(dialog.CloseRequested());
        dialog.Release();
    });
    script.UntilClosed("closed by the look-up's end");
    EXPECT_EQ(script.Run(dialog), IDCANCEL);
}

TEST(DetailsDialog, EnterNeverClosesAndEscapeActsAsClose)
{
    CHeldDetailsDlg dialog;
    dialog.m_cacheFilePath = "C:\\keys.gif";
    ModalScript script;
    script.Do(Key(script, VK_RETURN));
    script.Pause(200);
    script.Do([&] {
        EXPECT_TRUE(::IsWindowVisible(script.Dialog())) << "Enter closed the dialog";
        EXPECT_EQ(dialog.cancels, 0);
    });
    script.Do(Key(script, VK_ESCAPE));
    script.WaitFor("Escape", [&] { return dialog.cancels == 1; });
    script.Do([&] {
        EXPECT_TRUE(dialog.CloseRequested()) << "Escape while busy is a deferred Close";
        EXPECT_TRUE(::IsWindowVisible(script.Dialog()));
        dialog.Release();
    });
    script.UntilClosed("closed by the look-up's end");
    EXPECT_EQ(script.Run(dialog), IDCANCEL);
    EXPECT_EQ(dialog.cancels, 2) << "Escape, then the look-up's own IDCANCEL";
}

TEST(DetailsDialog, EscapeWhenIdleClosesAtOnce)
{
    CDetailsDlg dialog;
    dialog.m_cacheFilePath = "C:\\idle.gif";
    ModalScript script;
    script.WaitFor("look-up", LookUpFinished(dialog));
    script.Do(Key(script, VK_RETURN));
    script.Pause(150);
    script.Do([&] { EXPECT_TRUE(::IsWindowVisible(script.Dialog())) << "Enter closed it"; });
    script.Do(Key(script, VK_ESCAPE));
    script.UntilClosed("closed");
    EXPECT_EQ(script.Run(dialog), IDCANCEL);
}

}  // namespace
