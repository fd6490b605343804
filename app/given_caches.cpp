#include "app/given_caches.h"

#include "app/console_message.h"
#include "sources/cache_choice.h"
#include "sources/caches_to_scan.h"

#include <windows.h>

namespace {

// A relative folder is the current folder's: the scan's workers and the
// readers must not depend on where the process stands later.
std::string FullPath(const std::string& folder)
{
    char full[MAX_PATH];
    const DWORD length = ::GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full)
        return folder;
    std::string path(full, length);
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

// The refusal's paragraphs on one line, as a console shows them.
std::string OneLine(std::string text)
{
    for (size_t at; (at = text.find("\r\n\r\n")) != std::string::npos;)
        text.replace(at, 4, " ");
    return text;
}

}  // namespace

bool ScanOnlyGivenFolders(const std::vector<std::string>& folders)
{
    std::vector<ChosenCache> caches;
    for (const std::string& given : folders) {
        const std::string folder = FullPath(given);
        ChosenCache cache;
        std::string refusal;
        if (!RecogniseCacheFolder(folder, cache, refusal)) {
            TellUser("Zema: " + folder + ": " + OneLine(refusal), true);
            return false;
        }
        caches.push_back(cache);
    }
    if (!caches.empty())
        ScanOnlyCaches(std::move(caches));
    return true;
}
