#include "platform/folder_search.h"

#include <cstring>

bool ExactAnsiName(const wchar_t* name, char* ansi, int size)
{
    BOOL lossy = FALSE;
    int written =
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, ansi, size, nullptr, &lossy);
    return written > 0 && !lossy;
}

CFolderSearch::~CFolderSearch()
{
    if (m_search != INVALID_HANDLE_VALUE)
        ::FindClose(m_search);
}

bool CFolderSearch::First(const char* pattern, WIN32_FIND_DATAA& entry)
{
    wchar_t widePattern[MAX_PATH];
    if (!::MultiByteToWideChar(CP_ACP, 0, pattern, -1, widePattern, MAX_PATH))
        return false;
    WIN32_FIND_DATAW wide;
    m_search = ::FindFirstFileW(widePattern, &wide);
    return m_search != INVALID_HANDLE_VALUE && Deliver(wide, entry);
}

bool CFolderSearch::Next(WIN32_FIND_DATAA& entry)
{
    WIN32_FIND_DATAW wide;
    return ::FindNextFileW(m_search, &wide) && Deliver(wide, entry);
}

bool CFolderSearch::Deliver(WIN32_FIND_DATAW& wide, WIN32_FIND_DATAA& entry)
{
    while (!Translate(wide, entry)) {
        if (!::FindNextFileW(m_search, &wide))
            return false;
    }
    return true;
}

bool CFolderSearch::Translate(const WIN32_FIND_DATAW& wide, WIN32_FIND_DATAA& entry)
{
    if (wide.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return false;
    std::memset(&entry, 0, sizeof entry);
    entry.dwFileAttributes = wide.dwFileAttributes;
    entry.ftCreationTime = wide.ftCreationTime;
    entry.ftLastAccessTime = wide.ftLastAccessTime;
    entry.ftLastWriteTime = wide.ftLastWriteTime;
    entry.nFileSizeHigh = wide.nFileSizeHigh;
    entry.nFileSizeLow = wide.nFileSizeLow;
    bool hasShortName = ExactAnsiName(wide.cAlternateFileName, entry.cAlternateFileName,
                                      sizeof entry.cAlternateFileName);
    if (ExactAnsiName(wide.cFileName, entry.cFileName, sizeof entry.cFileName))
        return true;
    if (!hasShortName || !entry.cAlternateFileName[0])
        return false;
    lstrcpynA(entry.cFileName, entry.cAlternateFileName, sizeof entry.cFileName);
    return true;
}
