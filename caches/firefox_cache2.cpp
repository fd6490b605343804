#include "caches/firefox_cache2.h"

#include <algorithm>
#include <cstring>

#include "caches/cache_files.h"
#include "caches/firefox_key.h"
#include "caches/firefox_response.h"

namespace {

// Seconds between 1601-01-01 and 1970-01-01.
constexpr int64_t kEpochDelta = 11644473600;
// Firefox keeps a cache of up to about 1 GiB; a million files is far past any real one.
constexpr size_t kMaxEntryFiles = 1000000;

int64_t FromUnixSeconds(uint32_t seconds)
{
    if (seconds == 0)
        return 0;
    return (static_cast<int64_t>(seconds) + kEpochDelta) * 1000000;
}

// "alt-data" is "<version>;<offset>,<type>": compiled script stored after the
// body, which then ends at that offset.
uint64_t BodyEndBeforeAltData(const FirefoxMetadata& metadata)
{
    const std::string* altData = FindElement(metadata, "alt-data");
    if (!altData)
        return metadata.bodySize;
    size_t semicolon = altData->find(';');
    if (semicolon == std::string::npos)
        return metadata.bodySize;
    size_t comma = altData->find(',', semicolon);
    int64_t offset = ParseLength(altData->substr(
        semicolon + 1, comma == std::string::npos ? std::string::npos : comma - semicolon - 1));
    if (offset < 0 || static_cast<uint64_t>(offset) > metadata.bodySize)
        return metadata.bodySize;
    return static_cast<uint64_t>(offset);
}

void AddProblem(CacheEntry& entry, const std::string& text)
{
    if (!entry.problem.empty())
        entry.problem += "; ";
    entry.problem += text;
}

// A 206 holds the whole resource only when its range runs from 0 to the end.
bool RangeCoversWhole(const std::vector<HttpHeader>& headers, uint64_t storedSize)
{
    const std::string* value = FindHeader(headers, "Content-Range");
    if (!value)
        return false;
    ContentRange range = ParseContentRange(*value);
    return range.valid && range.first == 0 && range.total >= 0 && range.last + 1 == range.total &&
           storedSize == static_cast<uint64_t>(range.total);
}

void FillResponse(const FirefoxMetadata& metadata, CacheEntry& entry)
{
    const std::string* head = FindElement(metadata, "response-head");
    if (!head)
        return;
    ResponseHead parsed = ParseResponseHead(*head);
    entry.statusLine = parsed.statusLine;
    entry.status = parsed.status;
    entry.headers = std::move(parsed.headers);
    DeriveContentFacts(entry);
}

void FillBodyState(const FirefoxMetadata& metadata, CacheEntry& entry)
{
    if (metadata.encrypted) {
        entry.body = BodyAvailability::Unreadable;
        AddProblem(entry, "encrypted entry: the body cannot be read");
        return;
    }
    if (!metadata.problem.empty() && !metadata.knownVersion) {
        entry.body = entry.storedSize ? BodyAvailability::Unreadable : BodyAvailability::Absent;
        return;
    }
    if (entry.storedSize == 0) {
        entry.body = BodyAvailability::Absent;
        return;
    }
    entry.body = BodyAvailability::Complete;
    if (entry.status == 206) {
        const std::string* value = FindHeader(entry.headers, "Content-Range");
        ContentRange range = value ? ParseContentRange(*value) : ContentRange();
        // Stored bytes that begin inside the resource have no start to show.
        if (range.valid && range.first != 0) {
            entry.body = BodyAvailability::Unreadable;
            AddProblem(entry, "stored range starts at byte " + std::to_string(range.first));
        } else if (!RangeCoversWhole(entry.headers, entry.storedSize)) {
            entry.body = BodyAvailability::Partial;
        }
    } else if (entry.contentLength >= 0 &&
               entry.storedSize < static_cast<uint64_t>(entry.contentLength)) {
        entry.body = BodyAvailability::Partial;
        AddProblem(entry, "body stored in part");
    }
}

}  // namespace

void FillEntryFromMetadata(const FirefoxMetadata& metadata, CacheEntry& entry)
{
    entry.key = metadata.key;
    FirefoxKey key = ParseFirefoxKey(metadata.key);
    if (key.valid) {
        entry.url = key.url;
        entry.topLevelSite = key.topLevelSite;
    } else {
        AddProblem(entry, "key in an unknown form");
    }
    if (!metadata.problem.empty())
        AddProblem(entry, metadata.problem);
    entry.responseTime = FromUnixSeconds(metadata.lastFetched);
    entry.modifiedTime = FromUnixSeconds(metadata.lastModified);
    entry.storedSize = BodyEndBeforeAltData(metadata);
    FillResponse(metadata, entry);
    FillBodyState(metadata, entry);
}

bool IsFirefoxCache2Folder(const std::string& folder)
{
    return CacheFolderExists(JoinCachePath(folder, "entries"));
}

std::unique_ptr<CacheReader> OpenFirefoxCache2(const std::string& folder, std::string& problem)
{
    std::string entries = JoinCachePath(folder, "entries");
    if (!CacheFolderExists(entries)) {
        problem = "no cache2 entries folder in " + folder;
        return nullptr;
    }
    return std::make_unique<FirefoxCache2Reader>(entries);
}

FirefoxCache2Reader::FirefoxCache2Reader(const std::string& entriesFolder)
    : m_entriesFolder(entriesFolder), m_names(ListCacheFolder(entriesFolder, kMaxEntryFiles))
{
    // Name order, so two listings of the same folder agree.
    std::sort(m_names.begin(), m_names.end());
}

bool FirefoxCache2Reader::Next(CacheEntry& entry, const CacheStopCheck& stop)
{
    while (m_next < m_names.size()) {
        if (stop && stop())
            return false;
        std::string path = JoinCachePath(m_entriesFolder, m_names[m_next++]);
        entry = CacheEntry();
        if (ReadEntryFile(path, entry))
            return true;
        ++m_skipped;
    }
    return false;
}

bool FirefoxCache2Reader::ReadEntryFile(const std::string& path, CacheEntry& entry)
{
    CacheFile file;
    if (!file.Open(path))
        return false;
    FileRangeReader read = [&file](uint64_t offset, void* buffer, size_t count) {
        return file.ReadExact(offset, buffer, count);
    };
    FirefoxMetadata metadata;
    if (ReadFirefoxMetadata(read, static_cast<uint64_t>(file.Size()), metadata) !=
        FirefoxMetadataStatus::Ok)
        return false;
    FillEntryFromMetadata(metadata, entry);
    entry.bodyFile = path;
    entry.bodyOffset = 0;
    entry.bodyLocator = metadata.bodySize;
    return true;
}

RawBodyReader FirefoxCache2Reader::OpenStoredBody(const CacheEntry& entry)
{
    auto file = std::make_shared<CacheFile>();
    bool readable =
        entry.body == BodyAvailability::Complete || entry.body == BodyAvailability::Partial;
    bool opened = readable && file->Open(entry.bodyFile);
    // The body must still lie before the metadata it was listed with.
    if (opened && static_cast<uint64_t>(file->Size()) < entry.bodyLocator)
        opened = false;
    auto position = std::make_shared<uint64_t>(0);
    uint64_t end = entry.storedSize;
    bool absent = entry.body == BodyAvailability::Absent;
    return [file, opened, absent, position, end](uint8_t* buffer, size_t capacity) -> int64_t {
        if (absent)
            return 0;
        if (!opened)
            return -1;
        uint64_t left = end - *position;
        if (left == 0)
            return 0;
        size_t want = static_cast<size_t>(std::min<uint64_t>(left, capacity));
        int64_t got = file->ReadAt(*position, buffer, want);
        if (got <= 0)
            return -1;
        *position += static_cast<uint64_t>(got);
        return got;
    };
}
