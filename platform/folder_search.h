// A folder search that hands out only names the 8-bit calls can open again,
// and only entries that lie inside the folder searched.
#pragma once
#include <windows.h>

// The ANSI search calls give a name without an ANSI form in its best-fit
// spelling ("Łódź" becomes "Lodz"), which can name another file of the same
// folder or none. This search reads the wide names and passes each on in its
// exact ANSI form, or as its short name when the long one has none; an entry
// with neither is passed over.
//
// Links are passed over too: a symbolic link, junction or other reparse point
// may lead anywhere, the folder itself or its parent among them, so a walk
// that followed one could visit the same files for ever or list files that
// are not in the cache. Every walk searches through this class, so none
// leaves the folder it was given.
class CFolderSearch {
public:
    CFolderSearch() = default;
    ~CFolderSearch();
    CFolderSearch(const CFolderSearch&) = delete;
    CFolderSearch& operator=(const CFolderSearch&) = delete;

    // Opens the search on an ANSI pattern ("folder\*.*") and reads the first
    // entry; false when nothing matches or the folder cannot be searched.
    bool First(const char* pattern, WIN32_FIND_DATAA& entry);
    // The next entry; false at the end.
    bool Next(WIN32_FIND_DATAA& entry);

private:
    // Skips links and entries without an ANSI name; false at the end.
    bool Deliver(WIN32_FIND_DATAW& wide, WIN32_FIND_DATAA& entry);
    // The entry in its ANSI form; false when it is to be passed over.
    static bool Translate(const WIN32_FIND_DATAW& wide, WIN32_FIND_DATAA& entry);

    HANDLE m_search = INVALID_HANDLE_VALUE;
};

// The exact ANSI form of a wide name; false when a character has none.
bool ExactAnsiName(const wchar_t* name, char* ansi, int size);
