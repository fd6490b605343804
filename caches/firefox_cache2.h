// Firefox's cache2: one file per entry in `entries`, named by the SHA-1 of the
// key. The entry files are walked; the `index` beside them is only a look-up
// aid that Firefox often has not written yet.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "caches/cache_reader.h"
#include "caches/firefox_metadata.h"

// True when folder is a cache2 folder (it holds `entries`).
bool IsFirefoxCache2Folder(const std::string& folder);
// Null, with problem set, when folder's `entries` cannot be listed.
std::unique_ptr<CacheReader> OpenFirefoxCache2(const std::string& folder, std::string& problem);
// The model's entry from parsed metadata (exposed for the tests and the fuzzer).
void FillEntryFromMetadata(const FirefoxMetadata& metadata, CacheEntry& entry);

class FirefoxCache2Reader : public CacheReader {
public:
    explicit FirefoxCache2Reader(const std::string& entriesFolder);
    CacheFormat Format() const override { return CacheFormat::FirefoxCache2; }
    bool Next(CacheEntry& entry, const CacheStopCheck& stop) override;
    RawBodyReader OpenStoredBody(const CacheEntry& entry) override;

private:
    bool ReadEntryFile(const std::string& path, CacheEntry& entry);

    std::string m_entriesFolder;
    std::vector<std::string> m_names;
    size_t m_next = 0;
};
