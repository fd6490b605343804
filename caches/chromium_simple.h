// Chromium's simple backend: one `<hash>_0` file per entry (response info and
// body), `<hash>_s` for ranges of media fetched piecewise.
#pragma once
#include "caches/cache_files.h"
#include "caches/cache_reader.h"
#include "caches/sparse_ranges.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ChromiumSimpleReader : public CacheReader {
public:
    explicit ChromiumSimpleReader(const std::string& folder);
    CacheFormat Format() const override { return CacheFormat::ChromiumSimple; }
    bool Next(CacheEntry& entry, const CacheStopCheck& stop) override;
    RawBodyReader OpenStoredBody(const CacheEntry& entry) override;

private:
    std::string m_folder;
    std::vector<std::string> m_names;
    size_t m_next = 0;
    // The entry file Next read last, still open: its body, as a rule asked
    // for next, is read through it. Reads share deleting, so the browser may
    // still delete the file meanwhile; the body is then the one listed.
    std::unique_ptr<CacheFile> m_lastEntryFile;
};

// Reads one `_0` entry file through `file` (and its `_s` beside it). False
// when nothing in it names a key; the entry then holds only the problem.
bool ReadSimpleEntry(CacheFile& file, const std::string& path, CacheEntry& entry);
// An entry file in memory, for the fuzz target: the same checks as ReadSimpleEntry,
// and the same bytes read as the entry's sparse file into `sparseLayout`.
bool ParseSimpleEntryBytes(const uint8_t* data, size_t size, CacheEntry& entry,
                           SparseLayout* sparseLayout = nullptr);

// True for "<16 hex digits>_0".
bool IsSimpleEntryName(const std::string& name);
