#include "caches/chromium_simple.h"

#include "caches/cache_files.h"
#include "caches/chromium_key.h"
#include "caches/http_response_info.h"
#include "caches/sparse_ranges.h"
#include "caches/stored_body.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// net/disk_cache/simple/simple_entry_format.h
const uint64_t kInitialMagic = 0xfcfb6d1ba7725c30ull;
const uint64_t kFinalMagic = 0xf4fa6f45970d41d8ull;
const uint64_t kSparseRangeMagic = 0xeb97bf016553676bull;
const uint32_t kKnownVersion = 5;
const size_t kHeaderSize = 24;
const size_t kEofSize = 24;
const size_t kRangeHeaderSize = 32;
const size_t kKeySha256Size = 32;
const uint32_t kEofHasKeySha256 = 2;

// Bounds on what one entry may cost, far above what a browser writes.
const uint32_t kMaxKeyLength = 1 << 20;
const uint32_t kMaxStream0 = 8 << 20;
const size_t kMaxSparseRanges = 1 << 16;
const size_t kMaxListedFiles = 4 << 20;

const uint64_t kBodyInEntryFile = 0;
const uint64_t kBodyInSparseFile = 1;

// Reads from a file or from bytes in memory, so the fuzz target runs the same code.
class EntrySource {
public:
    virtual ~EntrySource() = default;
    virtual int64_t Size() const = 0;
    virtual bool Read(uint64_t offset, void* buffer, size_t count) = 0;
};

class FileSource : public EntrySource {
public:
    explicit FileSource(CacheFile& file) : m_file(file) {}
    bool Open(const std::string& path) { return m_file.Open(path); }
    int64_t Size() const override { return m_file.Size(); }
    bool Read(uint64_t offset, void* buffer, size_t count) override
    {
        return m_file.ReadExact(offset, buffer, count);
    }

private:
    CacheFile& m_file;
};

class MemorySource : public EntrySource {
public:
    MemorySource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    int64_t Size() const override { return static_cast<int64_t>(m_size); }
    bool Read(uint64_t offset, void* buffer, size_t count) override
    {
        if (offset > m_size || count > m_size - offset)
            return false;
        if (count)
            std::memcpy(buffer, m_data + offset, count);
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};

struct SimpleLayout {
    uint64_t bodyOffset = 0;
    uint64_t bodySize = 0;
    bool truncated = false;  // the browser marked the download as cut short
};

bool ReadKey(EntrySource& source, CacheEntry& entry, uint64_t& keyEnd)
{
    uint8_t header[kHeaderSize];
    int64_t size = source.Size();
    if (size < static_cast<int64_t>(kHeaderSize) || !source.Read(0, header, kHeaderSize)) {
        entry.problem = "entry file shorter than its header";
        return false;
    }
    if (LoadLe64(header) != kInitialMagic) {
        entry.problem = "not a simple cache entry file";
        return false;
    }
    uint32_t keyLength = LoadLe32(header + 12);
    if (keyLength == 0 || keyLength > kMaxKeyLength ||
        keyLength > static_cast<uint64_t>(size) - kHeaderSize) {
        entry.problem = "key length past the end of the entry file";
        return false;
    }
    entry.key.resize(keyLength);
    if (!source.Read(kHeaderSize, &entry.key[0], keyLength)) {
        entry.key.clear();
        entry.problem = "entry file cut short in its key";
        return false;
    }
    keyEnd = kHeaderSize + keyLength;
    uint32_t version = LoadLe32(header + 8);
    if (version != kKnownVersion) {
        entry.problem = "unknown simple entry version " + std::to_string(version);
        entry.body = BodyAvailability::Unreadable;
    }
    return true;
}

// Walks the file from its end: stream 0's end record, stream 0, stream 1's end
// record, and the body between the key and it.
bool ReadStreams(EntrySource& source, uint64_t keyEnd, CacheEntry& entry, SimpleLayout& layout)
{
    uint64_t size = static_cast<uint64_t>(source.Size());
    if (size < keyEnd + 2 * kEofSize) {
        entry.problem = "entry file cut short before its end records";
        return false;
    }
    uint8_t eof[kEofSize];
    if (!source.Read(size - kEofSize, eof, kEofSize) || LoadLe64(eof) != kFinalMagic) {
        entry.problem = "no end record at the end of the entry file";
        return false;
    }
    uint64_t stream0Size = LoadLe32(eof + 16);
    uint64_t sha = (LoadLe32(eof + 8) & kEofHasKeySha256) ? kKeySha256Size : 0;
    uint64_t tail = kEofSize + sha + stream0Size + kEofSize;
    if (stream0Size > kMaxStream0 || tail > size - keyEnd) {
        entry.problem = "response info size past the entry file";
        return false;
    }
    uint64_t stream0Offset = size - kEofSize - sha - stream0Size;
    uint64_t bodyEof = stream0Offset - kEofSize;
    if (!source.Read(bodyEof, eof, kEofSize) || LoadLe64(eof) != kFinalMagic) {
        entry.problem = "no end record after the body";
        return false;
    }
    std::vector<uint8_t> stream0(static_cast<size_t>(stream0Size));
    if (!source.Read(stream0Offset, stream0.data(), stream0.size())) {
        entry.problem = "entry file cut short in its response info";
        return false;
    }
    std::string problem;
    if (!ParseHttpResponseInfo(stream0.data(), stream0.size(), entry, problem, &layout.truncated)) {
        entry.problem = problem;
        return false;
    }
    layout.bodyOffset = keyEnd;
    layout.bodySize = bodyEof - keyEnd;
    return true;
}

// The ranges of a `_s` file, in file order; stops quietly at the first damaged
// one. Chromium writes this file's header with the index's version number, not
// the entry files', so only its magic and key are checked.
std::vector<SparseRange> ReadSparseRanges(EntrySource& source, const std::string& key)
{
    std::vector<SparseRange> ranges;
    CacheEntry sparseEntry;
    uint64_t at = 0;
    if (!ReadKey(source, sparseEntry, at) || sparseEntry.key != key)
        return ranges;
    uint64_t size = static_cast<uint64_t>(source.Size());
    while (ranges.size() < kMaxSparseRanges && size - at >= kRangeHeaderSize) {
        uint8_t header[kRangeHeaderSize];
        if (!source.Read(at, header, kRangeHeaderSize) || LoadLe64(header) != kSparseRangeMagic)
            break;
        SparseRange range;
        range.offset = LoadLe64(header + 8);
        range.length = LoadLe64(header + 16);
        range.source = at + kRangeHeaderSize;
        if (range.length > size - range.source)
            break;
        ranges.push_back(range);
        at = range.source + range.length;
    }
    return ranges;
}

std::string SparsePathFor(const std::string& entryPath)
{
    return entryPath.substr(0, entryPath.size() - 2) + "_s";
}

void FillEntry(EntrySource& source, CacheEntry& entry, SimpleLayout& layout, bool& keyFound)
{
    uint64_t keyEnd = 0;
    keyFound = ReadKey(source, entry, keyEnd);
    if (!keyFound)
        return;
    ChromiumKey parsed = ParseChromiumKey(entry.key);
    entry.url = parsed.url;
    entry.topLevelSite = parsed.topFrameSite;
    if (!entry.problem.empty())
        return;
    if (!ReadStreams(source, keyEnd, entry, layout)) {
        entry.body = BodyAvailability::Unreadable;
        return;
    }
    entry.storedSize = layout.bodySize;
    entry.bodyOffset = layout.bodyOffset;
    entry.bodyLocator = kBodyInEntryFile;
    entry.body = JudgeStoredBody(entry.contentLength, layout.bodySize, layout.truncated);
}

}  // namespace

bool IsSimpleEntryName(const std::string& name)
{
    if (name.size() != 18 || name[16] != '_' || name[17] != '0')
        return false;
    for (size_t i = 0; i < 16; ++i) {
        char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

bool ParseSimpleEntryBytes(const uint8_t* data, size_t size, CacheEntry& entry,
                           SparseLayout* sparseLayout)
{
    MemorySource source(data, size);
    SimpleLayout layout;
    bool keyFound = false;
    FillEntry(source, entry, layout, keyFound);
    if (keyFound) {
        // The same bytes read again as a sparse file: the range walk is bounded too.
        MemorySource sparse(data, size);
        SparseLayout ranges = LayOutSparseRanges(ReadSparseRanges(sparse, entry.key));
        if (sparseLayout)
            *sparseLayout = std::move(ranges);
    }
    return keyFound;
}

bool ReadSimpleEntry(CacheFile& file, const std::string& path, CacheEntry& entry)
{
    FileSource source(file);
    if (!source.Open(path)) {
        entry.problem = "entry file could not be opened";
        return false;
    }
    SimpleLayout layout;
    bool keyFound = false;
    FillEntry(source, entry, layout, keyFound);
    if (!keyFound)
        return false;
    entry.bodyFile = path;
    if (entry.body == BodyAvailability::Unreadable || layout.bodySize > 0)
        return true;
    // Media fetched by ranges keeps its bytes in `_s`, with stream 1 left empty.
    CacheFile sparseFile;
    FileSource sparse(sparseFile);
    if (!sparse.Open(SparsePathFor(path)))
        return true;
    SparseLayout ranges = LayOutSparseRanges(ReadSparseRanges(sparse, entry.key));
    if (ranges.held == 0)
        return true;
    entry.storedSize = ranges.held;
    entry.bodyFile = SparsePathFor(path);
    entry.bodyLocator = kBodyInSparseFile;
    entry.body = JudgeStoredBody(entry.contentLength, ranges.contiguous,
                                 ranges.held > ranges.contiguous || layout.truncated);
    return true;
}

ChromiumSimpleReader::ChromiumSimpleReader(const std::string& folder) : m_folder(folder)
{
    for (std::string& name : ListCacheFolder(folder, kMaxListedFiles)) {
        if (IsSimpleEntryName(name))
            m_names.push_back(std::move(name));
    }
    std::sort(m_names.begin(), m_names.end());
}

bool ChromiumSimpleReader::Next(CacheEntry& entry, const CacheStopCheck& stop)
{
    while (m_next < m_names.size()) {
        if (stop && stop())
            return false;
        entry = CacheEntry();
        if (!m_lastEntryFile)
            m_lastEntryFile = std::make_unique<CacheFile>();
        if (ReadSimpleEntry(*m_lastEntryFile, JoinCachePath(m_folder, m_names[m_next++]), entry))
            return true;
        ++m_skipped;
    }
    return false;
}

RawBodyReader ChromiumSimpleReader::OpenStoredBody(const CacheEntry& entry)
{
    std::vector<StoredPiece> pieces;
    if (entry.bodyLocator == kBodyInSparseFile) {
        CacheFile sparseFile;
        FileSource sparse(sparseFile);
        if (!sparse.Open(entry.bodyFile))
            return [](uint8_t*, size_t) -> int64_t { return -1; };
        SparseLayout ranges = LayOutSparseRanges(ReadSparseRanges(sparse, entry.key));
        // Fewer bytes than the listing found: the file changed, and a read
        // ending early would pass for the whole of what is stored.
        if (ranges.held < entry.storedSize)
            return [](uint8_t*, size_t) -> int64_t { return -1; };
        for (const SparseRange& range : ranges.fromStart)
            pieces.push_back({ entry.bodyFile, range.source + range.skip, range.length });
    } else if (entry.storedSize > 0) {
        pieces.push_back({ entry.bodyFile, entry.bodyOffset, entry.storedSize });
        if (m_lastEntryFile && m_lastEntryFile->Path() == entry.bodyFile)
            return ReadStoredPieces(std::move(pieces), std::move(m_lastEntryFile));
    }
    return ReadStoredPieces(std::move(pieces));
}
