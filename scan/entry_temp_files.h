// Files written from cache entries' decoded bodies for the programs that need
// a file: the shell's default program, the media preview. An entry has no
// file of its own, and a cache's files are never handed out (they hold the
// body still coded, and a program could change them).
//
// Each list keeps its files in a folder of its own under a folder of this
// program's process in the user's temporary folder ("Zema-<process id>"),
// and removes them when it goes. A file another program still holds open
// cannot go then; the next start removes what a program no longer running
// left behind, so nothing stays in the temporary folder for long.
#pragma once
#include "scan/cached_entry.h"

#include <map>
#include <memory>
#include <string>

class CEntryTempFiles {
public:
    CEntryTempFiles() = default;
    ~CEntryTempFiles();
    CEntryTempFiles(const CEntryTempFiles&) = delete;
    CEntryTempFiles& operator=(const CEntryTempFiles&) = delete;

    // The entry's decoded body as a file under the row's name, written on
    // first asking and given again afterwards; "" when it cannot be written.
    // The entry is kept with its file: a new scan's entry at the same address
    // is never taken for it.
    std::string FileFor(const std::shared_ptr<const CachedEntry>& entry, const char* rowName);

private:
    bool MakeFolder();
    void RemoveAll();

    std::string m_folder;  // made on first use
    std::map<std::shared_ptr<const CachedEntry>, std::string> m_written;
};

// Removes the temporary folders of this program's processes that have ended,
// with everything in them. Called once at start-up.
void RemoveTempFoldersLeftBehind();
