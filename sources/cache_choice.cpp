#include "sources/cache_choice.h"

#include "caches/cache_discovery.h"
#include "caches/cache_reader.h"
#include "platform/settings.h"
#include "sources/inet_cache_folder.h"
#include "sources/local_app_data.h"

#include <windows.h>

#include <algorithm>

namespace {

const char kAddedValue[] = "AddedCacheFolders";
const char kUncheckedValue[] = "UncheckedCacheFolders";
// Folder names hold no '|' on Windows, so it can part them in one value.
const char kSeparator = '|';
// More added folders than anyone keeps, few enough that their paths fit the
// 32,767 characters a setting is read back at.
const size_t kMostAdded = 64;
// Folders read back from one value, unchecked ones included.
const size_t kMostListed = 1024;

bool SameFolder(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && ::lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::vector<std::string> ReadFolderList(const char* valueName)
{
    std::vector<std::string> folders;
    std::string text;
    if (!ReadSettingText(valueName, text))
        return folders;
    size_t start = 0;
    while (start <= text.size() && folders.size() < kMostListed) {
        size_t end = text.find(kSeparator, start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start && end - start < MAX_PATH)
            folders.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

bool WriteFolderList(const char* valueName, const std::vector<std::string>& folders)
{
    std::string text;
    for (const std::string& folder : folders) {
        if (!text.empty())
            text += kSeparator;
        text += folder;
    }
    return WriteSetting(valueName, text.c_str()) != 0;
}

bool Contains(const std::vector<std::string>& folders, const std::string& folder)
{
    return std::any_of(folders.begin(), folders.end(),
                       [&](const std::string& listed) { return SameFolder(listed, folder); });
}

// The folder's last name, for the row of an added folder.
std::string LeafName(const std::string& folder)
{
    size_t end = folder.find_last_not_of("\\/");
    if (end == std::string::npos)
        return folder;
    size_t start = folder.find_last_of("\\/", end);
    start = start == std::string::npos ? 0 : start + 1;
    return folder.substr(start, end - start + 1);
}

}  // namespace

void CCacheChoice::Load()
{
    Load(FindUserCaches());
}

void CCacheChoice::Load(const std::vector<ChosenCache>& found)
{
    m_rows.clear();
    std::vector<std::string> unchecked = ReadFolderList(kUncheckedValue);
    for (const ChosenCache& cache : found) {
        if (!Lists(cache.folder))
            m_rows.push_back({ cache, !Contains(unchecked, cache.folder) });
    }
    // An added folder the scan cannot read now (a drive not plugged in)
    // stays listed, so its row can say why.
    for (const std::string& folder : ReadFolderList(kAddedValue)) {
        if (Lists(folder))
            continue;
        ChosenCache cache;
        std::string refusal;
        if (!RecogniseCacheFolder(folder, cache, refusal)) {
            cache.folder = folder;
            cache.name = "Added (" + LeafName(folder) + ")";
            cache.added = true;
        }
        m_rows.push_back({ cache, !Contains(unchecked, folder) });
    }
}

bool CCacheChoice::Save() const
{
    std::vector<std::string> added, unchecked;
    for (const Row& row : m_rows) {
        if (row.cache.added)
            added.push_back(row.cache.folder);
        if (!row.checked)
            unchecked.push_back(row.cache.folder);
    }
    bool addedKept = WriteFolderList(kAddedValue, added);
    return WriteFolderList(kUncheckedValue, unchecked) && addedKept;
}

void CCacheChoice::SetChecked(size_t row, bool checked)
{
    if (row < m_rows.size())
        m_rows[row].checked = checked;
}

bool CCacheChoice::Add(const ChosenCache& cache)
{
    size_t added = static_cast<size_t>(std::count_if(
        m_rows.begin(), m_rows.end(), [](const Row& row) { return row.cache.added; }));
    if (Lists(cache.folder) || added >= kMostAdded)
        return false;
    Row row{ cache, true };
    row.cache.added = true;
    m_rows.push_back(row);
    return true;
}

bool CCacheChoice::Remove(size_t row)
{
    if (row >= m_rows.size() || !m_rows[row].cache.added)
        return false;
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(row));
    return true;
}

std::vector<ChosenCache> CCacheChoice::CheckedCaches() const
{
    std::vector<ChosenCache> checked;
    for (const Row& row : m_rows) {
        if (row.checked)
            checked.push_back(row.cache);
    }
    return checked;
}

bool CCacheChoice::Lists(const std::string& folder) const
{
    return std::any_of(m_rows.begin(), m_rows.end(),
                       [&](const Row& row) { return SameFolder(row.cache.folder, folder); });
}

std::vector<ChosenCache> FindUserCaches()
{
    std::vector<ChosenCache> caches;
    char inetFolder[MAX_PATH];
    if (LocateCacheFolder(inetFolder))
        caches.push_back({ "Internet Explorer", inetFolder, CacheSourceKind::InetCache, false });
    for (const FoundCache& found : FindBrowserCaches(LocalAppDataFolder()))
        caches.push_back({ found.name, found.folder, CacheSourceKind::BrowserCache, false });
    return caches;
}

bool RecogniseCacheFolder(const std::string& folder, ChosenCache& cache, std::string& refusal)
{
    cache.folder = folder;
    cache.name = "Added (" + LeafName(folder) + ")";
    cache.added = true;
    if (DetectCacheFormat(folder) != CacheFormat::None) {
        cache.kind = CacheSourceKind::BrowserCache;
        return true;
    }
    if (IsInetCacheFolder(folder)) {
        cache.kind = CacheSourceKind::InetCache;
        return true;
    }
    refusal = "No cache in this folder.\r\n\r\nChoose a folder a browser keeps its cache in "
              "(such as Cache_Data or cache2) or an Internet cache folder.";
    return false;
}
