// The folder chooser driven from inside: a thread timer acts on the shell's
// dialog while ChooseFolder runs it modally, as a user would between clicks.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "widgets/folder_chooser.h"

namespace {

// A step answers true when it is done, false to be tried again at the next
// tick: the shell fills its tree and follows a selection in its own time,
// which a brand-new Wine prefix makes slower. A step that never gets done
// fails the test after a while and cancels the dialog.
using Step = std::function<bool(HWND dialog)>;

std::vector<Step> g_steps;
size_t g_next = 0;
DWORD g_stepStarted = 0;
bool g_dialogSeen = false;
const DWORD kStepPatienceMs = 10000;

BOOL CALLBACK FindDialog(HWND window, LPARAM found)
{
    char name[16] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (::IsWindowVisible(window) && std::string(name) == "#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog)
        return;
    if (!g_dialogSeen)
        g_stepStarted = ::GetTickCount();
    g_dialogSeen = true;
    if (g_next >= g_steps.size()) {
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);  // a test that forgot to end it
    } else if (g_steps[g_next](dialog)) {
        ++g_next;
        g_stepStarted = ::GetTickCount();
    } else if (::GetTickCount() - g_stepStarted > kStepPatienceMs) {
        ADD_FAILURE() << "step " << g_next << " never got done";
        g_next = g_steps.size();
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

// Runs ChooseFolder with the steps acting on its dialog; all must have run.
int RunChooser(char* path, std::vector<Step> steps, int root = 0)
{
    g_steps = std::move(steps);
    g_next = 0;
    g_dialogSeen = false;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 150, OnTimer);
    int chosen = ChooseFolder(nullptr, path, nullptr, root);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(g_next, g_steps.size()) << "not every step ran";
    return chosen;
}

// A folder of the test's own, so that nothing depends on which folders a
// new prefix has made yet; removed with the object.
class OwnFolder {
public:
    OwnFolder() : m_path("C:\\zema-chooser-" + std::to_string(::GetTickCount()))
    {
        ::CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~OwnFolder() { ::RemoveDirectoryA(m_path.c_str()); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// The status line: the static whose text is the given path, or whose text
// was, once it has been found.
HWND g_status = nullptr;

BOOL CALLBACK FindStatic(HWND window, LPARAM text)
{
    char name[16] = {}, shown[MAX_PATH] = {};
    ::GetClassNameA(window, name, sizeof name);
    ::GetWindowTextA(window, shown, sizeof shown);
    if (std::string(name) == "Static" &&
        lstrcmpiA(shown, reinterpret_cast<const char*>(text)) == 0) {
        g_status = window;
        return FALSE;
    }
    return TRUE;
}

std::string StatusText()
{
    char shown[MAX_PATH] = {};
    ::GetWindowTextA(g_status, shown, sizeof shown);
    return shown;
}

bool OkEnabled(HWND dialog)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != 0;
}

Step AtItsPosition()
{
    return [](HWND dialog) {
        RECT rect;
        ::GetWindowRect(dialog, &rect);
        EXPECT_EQ(rect.left, 50);
        EXPECT_EQ(rect.top, 50);
        return true;
    };
}

Step Press(int id)
{
    return [id](HWND dialog) {
        ::PostMessageA(dialog, WM_COMMAND, id, 0);
        return true;
    };
}

TEST(FolderChooserFlags, NewStyleOnlyOnTheNtFamilyFromVersionFive)
{
    EXPECT_EQ(FolderChooserFlags(0x00000004u), 0x0Du);  // NT 4
    EXPECT_EQ(FolderChooserFlags(0xC0000A04u), 0x0Du);  // Windows 98 (high bit set)
    EXPECT_EQ(FolderChooserFlags(0x80000005u), 0x0Du);
    EXPECT_EQ(FolderChooserFlags(0x0A280105u), 0x4Du);  // 2000
    EXPECT_EQ(FolderChooserFlags(0x1DB10106u), 0x4Du);  // 7
    EXPECT_EQ(FolderChooserFlags(0x0000000Au), 0x4Du);
}

TEST(ChooseFolder, AnUnresolvableRootShowsNoDialog)
{
    char path[MAX_PATH] = "C:\\";
    EXPECT_EQ(RunChooser(path, {}, 0x7FFF), 0);
    EXPECT_FALSE(g_dialogSeen);
    EXPECT_STREQ(path, "C:\\");
}

// Waits until the status line shows the remembered folder, selected when the
// dialog opened, with OK enabled.
Step ShowsTheRememberedFolder(const std::string& folder)
{
    g_status = nullptr;
    return [&folder](HWND dialog) {
        ::EnumChildWindows(dialog, FindStatic, reinterpret_cast<LPARAM>(folder.c_str()));
        return g_status && OkEnabled(dialog);
    };
}

TEST(ChooseFolder, HighlightsTheRememberedFolderAndReturnsIt)
{
    OwnFolder own;
    char path[MAX_PATH];
    lstrcpynA(path, own.Path().c_str(), MAX_PATH);
    int chosen =
        RunChooser(path, { AtItsPosition(), ShowsTheRememberedFolder(own.Path()), Press(IDOK) });
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(lstrcmpiA(path, own.Path().c_str()), 0) << path;
}

// A folder deleted since, or named by a path too long for the chooser's
// buffer, starts the dialog at the nearest folder that is there.
TEST(ChooseFolder, AGoneFolderHighlightsItsNearestParent)
{
    OwnFolder own;
    std::string gone = own.Path() + "\\gone\\deeper";
    char path[MAX_PATH];
    lstrcpynA(path, gone.c_str(), MAX_PATH);
    int chosen = RunChooser(path, { ShowsTheRememberedFolder(own.Path()), Press(IDOK) });
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(lstrcmpiA(path, own.Path().c_str()), 0) << path;

    std::string tooLong = own.Path() + "\\" + std::string(120, 'a') + "\\" + std::string(140, 'b');
    FitRememberedFolder(tooLong, path);
    EXPECT_EQ(path, own.Path() + "\\" + std::string(120, 'a'));
    FitRememberedFolder(std::string(300, 'c'), path);
    EXPECT_STREQ(path, "");
}

// Selecting a folder again after this is left out on purpose: Wine's dialog
// now and then ignores every later selection by path in a brand-new prefix,
// which says nothing about the chooser.
TEST(ChooseFolder, AFolderWithoutAPathBlanksTheStatusAndDisablesOk)
{
    OwnFolder own;
    char path[MAX_PATH];
    lstrcpynA(path, own.Path().c_str(), MAX_PATH);
    LPITEMIDLIST drives = nullptr;
    ASSERT_TRUE(SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)));
    int chosen = RunChooser(
        path, {
                  ShowsTheRememberedFolder(own.Path()),
                  [&](HWND dialog) {
                      // "My Computer" has no file-system path.
                      ::SendMessageA(dialog, BFFM_SETSELECTIONA, FALSE,
                                     reinterpret_cast<LPARAM>(drives));
                      return true;
                  },
                  [&](HWND dialog) { return StatusText().empty() && !OkEnabled(dialog); },
                  Press(IDCANCEL),
              });
    ::CoTaskMemFree(drives);
    EXPECT_EQ(chosen, 0);
    EXPECT_EQ(lstrcmpiA(path, own.Path().c_str()), 0) << path;
}

TEST(ChooseFolder, CancelLeavesTheBufferAsItWas)
{
    char path[MAX_PATH] = "C:\\No Such Folder Of Zema";
    int chosen = RunChooser(path, { AtItsPosition(), Press(IDCANCEL) });
    EXPECT_EQ(chosen, 0);
    EXPECT_STREQ(path, "C:\\No Such Folder Of Zema");
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int result = RUN_ALL_TESTS();
    ::CoUninitialize();
    return result;
}
