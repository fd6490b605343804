// The end-to-end driver's eyes inside Wine: prints what a user would see of
// the windows on the screen, one JSON object per line, and records what the
// shell was asked to open.
//
//   probe windows              top-level visible windows
//   probe controls HWND        the child windows of one window
//   probe cursor               the cursor now shown
//   probe record FILE ARG      appends ARG to FILE (registered as an opener)
//   probe link FILE            the target and description of a shell link
//   probe folder CSIDL         the path of a special folder
//   probe cwd                  the current directory a program started here gets
//   probe items HWND           the rows of a list view: text, state, rectangle
//   probe count HWND           the number of rows of a list view
//   probe show HWND INDEX      scrolls a row into view; its text and picture's rectangle
//   probe syscommand HWND CODE what the title bar's buttons send (SC_MAXIMIZE...)
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string JsonString(const char* text)
{
    std::string out = "\"";
    for (const char* p = text; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

void PrintWindow(HWND hWnd)
{
    char className[256] = {};
    char text[1024] = {};
    ::GetClassNameA(hWnd, className, sizeof className);
    // Another process's edit keeps its text to itself: GetWindowText answers
    // with an empty caption, WM_GETTEXT (marshalled by the system) with the text.
    DWORD_PTR copied = 0;
    if (::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD)
        ::SendMessageTimeoutA(hWnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                              SMTO_ABORTIFHUNG, 1000, &copied);
    else
        ::GetWindowTextA(hWnd, text, sizeof text);
    RECT rect;
    ::GetWindowRect(hWnd, &rect);
    RECT client;
    ::GetClientRect(hWnd, &client);
    ::MapWindowPoints(hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    // Only buttons answer BM_GETCHECK; anything else would return garbage.
    int checked = std::strcmp(className, "Button") == 0
                      ? static_cast<int>(::SendMessageA(hWnd, BM_GETCHECK, 0, 0))
                      : 0;
    std::printf(
        "{\"hwnd\": %lu, \"id\": %d, \"class\": %s, \"text\": %s, "
        "\"rect\": [%ld, %ld, %ld, %ld], \"client\": [%ld, %ld, %ld, %ld], "
        "\"style\": %lu, \"exstyle\": %lu, "
        "\"visible\": %d, \"enabled\": %d, \"checked\": %d, \"owner\": %lu}\n",
        static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hWnd)),
        static_cast<int>(::GetWindowLongA(hWnd, GWL_ID)), JsonString(className).c_str(),
        JsonString(text).c_str(), rect.left, rect.top, rect.right, rect.bottom, client.left,
        client.top, client.right, client.bottom,
        static_cast<unsigned long>(::GetWindowLongA(hWnd, GWL_STYLE)),
        static_cast<unsigned long>(::GetWindowLongA(hWnd, GWL_EXSTYLE)),
        ::IsWindowVisible(hWnd) ? 1 : 0, ::IsWindowEnabled(hWnd) ? 1 : 0, checked,
        static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(::GetWindow(hWnd, GW_OWNER))));
}

BOOL CALLBACK PrintTopLevel(HWND hWnd, LPARAM)
{
    if (::IsWindowVisible(hWnd))
        PrintWindow(hWnd);
    return TRUE;
}

BOOL CALLBACK PrintChild(HWND hWnd, LPARAM)
{
    PrintWindow(hWnd);
    return TRUE;
}

void PrintCursor()
{
    CURSORINFO info = {};
    info.cbSize = sizeof info;
    ::GetCursorInfo(&info);
    HCURSOR arrow = ::LoadCursorA(nullptr, IDC_ARROW);
    std::printf("{\"cursor\": %lu, \"arrow\": %d, \"shown\": %d, \"x\": %ld, \"y\": %ld}\n",
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(info.hCursor)),
                info.hCursor == arrow ? 1 : 0, (info.flags & CURSOR_SHOWING) ? 1 : 0,
                info.ptScreenPos.x, info.ptScreenPos.y);
}

int Record(const char* file, const char* argument)
{
    FILE* out = std::fopen(file, "a");
    if (!out)
        return 1;
    std::fprintf(out, "%s\n", argument);
    std::fclose(out);
    return 0;
}

int PrintLink(const char* file)
{
    ::CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* persist = nullptr;
    WCHAR wide[MAX_PATH] = {};
    char target[MAX_PATH] = {};
    char description[1024] = {};
    char arguments[1024] = {};
    bool read =
        SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkA, reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        ::MultiByteToWideChar(CP_ACP, 0, file, -1, wide, MAX_PATH) > 0 &&
        SUCCEEDED(persist->Load(wide, STGM_READ));
    if (read) {
        // SLGP_RAWPATH: the path as stored, not one the shell resolved anew.
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetDescription(description, sizeof description);
        link->GetArguments(arguments, sizeof arguments);
        std::printf("{\"path\": %s, \"description\": %s, \"arguments\": %s}\n",
                    JsonString(target).c_str(), JsonString(description).c_str(),
                    JsonString(arguments).c_str());
    }
    if (persist)
        persist->Release();
    if (link)
        link->Release();
    ::CoUninitialize();
    return read ? 0 : 1;
}

int PrintFolder(int csidl)
{
    char path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return 1;
    std::printf("{\"path\": %s}\n", JsonString(path).c_str());
    return 0;
}

int PrintCurrentDirectory()
{
    char path[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, path);
    std::printf("{\"path\": %s}\n", JsonString(path).c_str());
    return 0;
}

// A list view keeps its rows in its own process: the request and the answer
// travel through memory allocated there.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, SIZE_T size)
    {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        m_process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                  processId);
        if (m_process)
            m_address = ::VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBuffer()
    {
        if (m_address)
            ::VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process)
            ::CloseHandle(m_process);
    }
    bool ok() const { return m_address != nullptr; }
    void* address() const { return m_address; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size)
    {
        return ::WriteProcessMemory(m_process, static_cast<char*>(m_address) + offset, data, size,
                                    nullptr);
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size)
    {
        return ::ReadProcessMemory(m_process, static_cast<char*>(m_address) + offset, data, size,
                                   nullptr);
    }

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
};

// One row of a list view: its text, image, state and the rectangle of the
// part asked for (LVIR_BOUNDS, LVIR_ICON, ...) on the screen.
void PrintItem(HWND list, RemoteBuffer& remote, int index, LONG part)
{
    const SIZE_T textOffset = 512, textSize = MAX_PATH;
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_STATE | LVIF_IMAGE;
    item.iItem = index;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.pszText = static_cast<char*>(remote.address()) + textOffset;
    item.cchTextMax = textSize;
    remote.Write(0, &item, sizeof item);
    ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.address()));
    remote.Read(0, &item, sizeof item);
    char text[MAX_PATH] = {};
    remote.Read(textOffset, text, textSize - 1);
    RECT rect = {};
    rect.left = part;
    remote.Write(0, &rect, sizeof rect);
    ::SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(remote.address()));
    remote.Read(0, &rect, sizeof rect);
    ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    std::printf("{\"index\": %d, \"text\": %s, \"image\": %d, \"selected\": %d, "
                "\"rect\": [%ld, %ld, %ld, %ld]}\n",
                index, JsonString(text).c_str(), item.iImage, (item.state & LVIS_SELECTED) ? 1 : 0,
                rect.left, rect.top, rect.right, rect.bottom);
}

// The room PrintItem needs in the list's process: the item, then its text.
constexpr SIZE_T itemBufferSize = 512 + MAX_PATH;

int PrintItems(HWND list)
{
    if (!::IsWindow(list))
        return 2;
    RemoteBuffer remote(list, itemBufferSize);
    if (!remote.ok())
        return 1;
    int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        PrintItem(list, remote, i, LVIR_BOUNDS);
    return 0;
}

// Scrolls a row into view, as a user would to look at it, waits for the list
// to repaint, and prints the row with the rectangle of its picture.
int ShowItem(HWND list, int index)
{
    if (index < 0 || index >= static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)))
        return 2;
    RemoteBuffer remote(list, itemBufferSize);
    if (!remote.ok())
        return 1;
    ::SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
    ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PrintItem(list, remote, index, LVIR_ICON);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "windows") == 0) {
        ::EnumWindows(PrintTopLevel, 0);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "controls") == 0) {
        HWND parent =
            reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(argv[2], nullptr, 10)));
        if (!::IsWindow(parent))
            return 2;
        ::EnumChildWindows(parent, PrintChild, 0);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "cursor") == 0) {
        PrintCursor();
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "record") == 0)
        return Record(argv[2], argv[3]);
    if (argc >= 3 && std::strcmp(argv[1], "link") == 0)
        return PrintLink(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "folder") == 0)
        return PrintFolder(std::atoi(argv[2]));
    if (argc >= 2 && std::strcmp(argv[1], "cwd") == 0)
        return PrintCurrentDirectory();
    if (argc >= 4 && std::strcmp(argv[1], "syscommand") == 0)
        return ::PostMessageA(reinterpret_cast<HWND>(
                                  static_cast<UINT_PTR>(std::strtoul(argv[2], nullptr, 10))),
                              WM_SYSCOMMAND, std::strtoul(argv[3], nullptr, 0), 0)
                   ? 0
                   : 1;
    if (argc >= 3 && std::strcmp(argv[1], "count") == 0) {
        std::printf("%ld\n",
                    static_cast<long>(::SendMessageA(reinterpret_cast<HWND>(static_cast<UINT_PTR>(
                                                         std::strtoul(argv[2], nullptr, 10))),
                                                     LVM_GETITEMCOUNT, 0, 0)));
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "show") == 0)
        return ShowItem(
            reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(argv[2], nullptr, 10))),
            std::atoi(argv[3]));
    if (argc >= 3 && std::strcmp(argv[1], "items") == 0)
        return PrintItems(
            reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(argv[2], nullptr, 10))));
    std::fprintf(stderr,
                 "usage: probe windows | controls HWND | cursor | record FILE ARG | link FILE |"
                 " folder CSIDL | cwd | items HWND | count HWND | show HWND INDEX |"
                 " syscommand HWND CODE\n");
    return 2;
}
