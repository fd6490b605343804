#include "caches/chromium_blockfile.h"

#include "caches/cache_files.h"
#include "caches/cache_pages.h"
#include "caches/chromium_key.h"
#include "caches/http_response_info.h"
#include "caches/stored_body.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// net/disk_cache/blockfile/disk_format.h, disk_format_base.h, addr.h
const uint32_t kIndexMagic = 0xC103CAC3;
const uint32_t kBlockMagic = 0xC104CAC3;
const size_t kIndexHeaderSize = 0x170;  // IndexHeader with its LruData
const uint32_t kDefaultTableLen = 0x10000;
const uint64_t kBlockHeaderSize = 8192;
const size_t kEntryBlockSize = 256;
const size_t kEntryKeyOffset = 96;
const int kMaxBlockFiles = 256;

const uint32_t kInitialized = 0x80000000u;
const int kTypeExternal = 0;
const int kTypeBlock256 = 2;

// Bounds per cache and per entry, far above what a browser writes.
const uint32_t kMaxTableLen = 1u << 24;
const size_t kMaxEntries = 1u << 20;
// Sparse children are matched to their parents by key, so their parents' keys
// are kept while listing; this bounds what a hostile cache can make them cost.
const size_t kMaxChildKeyBytes = 64u << 20;
const size_t kMaxChildrenPerEntry = 1u << 16;  // 64 GB of ranges
const int32_t kMaxKeyLength = 1 << 20;
const int32_t kMaxStream0 = 8 << 20;
const uint64_t kSparseChildSize = 1 << 20;
const size_t kSparseHeaderSize = 64;  // SparseHeader, then the bitmap of 1 KB blocks
const size_t kSparseBitmapBytes = 128;
const uint64_t kSparseBlock = 1024;

// Records are read through pages of the block files kept under this budget.
const size_t kPageSize = 32 * 1024;
const size_t kMaxPages = 512;

const uint64_t kBodyInOneFile = 0;
const uint64_t kBodyInChildren = 1;

int AddrType(uint32_t addr)
{
    return static_cast<int>((addr >> 28) & 7);
}

uint64_t BlockSizeOfType(int type)
{
    switch (type) {
    case 1:
        return 36;
    case 2:
        return 256;
    case 3:
        return 1024;
    case 4:
        return 4096;
    default:
        return 0;
    }
}

std::string SeparateFileName(uint32_t number)
{
    char name[16];
    std::snprintf(name, sizeof(name), "f_%06x", number);
    return name;
}

// Block files in file order, then blocks in file order.
uint32_t FileOrder(uint32_t addr)
{
    return addr & 0x00FFFFFFu;
}

int32_t LoadI32(const uint8_t* p)
{
    return static_cast<int32_t>(LoadLe32(p));
}

struct StreamRef {
    uint32_t addr = 0;
    int32_t size = 0;
};

struct EntryRecord {
    std::string key;
    int32_t keyLength = 0;
    uint32_t longKey = 0;
    StreamRef streams[4];
};

bool ParseRecord(const uint8_t* data, size_t size, EntryRecord& record)
{
    if (size < kEntryBlockSize)
        return false;
    record.keyLength = LoadI32(data + 32);
    record.longKey = LoadLe32(data + 36);
    for (int i = 0; i < 4; ++i) {
        record.streams[i].size = LoadI32(data + 40 + 4 * i);
        record.streams[i].addr = LoadLe32(data + 56 + 4 * i);
    }
    if (record.keyLength <= 0 || record.keyLength > kMaxKeyLength)
        return false;
    if (record.longKey == 0) {
        size_t room = size - kEntryKeyOffset;
        if (static_cast<size_t>(record.keyLength) > room)
            return false;
        const char* key = reinterpret_cast<const char*>(data + kEntryKeyOffset);
        record.key.assign(key, static_cast<size_t>(record.keyLength));
    }
    return true;
}

class BlockfileReader : public CacheReader {
public:
    BlockfileReader(const std::string& folder, std::vector<uint32_t> table)
        : m_folder(folder), m_table(std::move(table)), m_pages(kPageSize, kMaxPages)
    {}
    CacheFormat Format() const override { return CacheFormat::ChromiumBlockfile; }
    bool Next(CacheEntry& entry, const CacheStopCheck& stop) override;
    RawBodyReader OpenStoredBody(const CacheEntry& entry) override;

private:
    struct Place {
        int fileNumber = -1;  // the block file's, -1 for a separate file
        std::string path;
        uint64_t offset = 0;
        uint64_t room = 0;  // bytes the address may hold
    };
    struct Child {
        uint64_t index = 0;
        uint64_t signature = 0;  // the parent's, from the child's key
        StoredPiece data;
        SparseChildSummary held;
    };
    struct ChildChain {
        std::vector<StoredPiece> pieces;  // the bytes contiguous from offset 0
        uint64_t contiguous = 0;
        uint64_t held = 0;
    };

    bool Collect(const CacheStopCheck& stop);
    bool Locate(uint32_t addr, Place& place);
    bool LocateSeparateFile(uint32_t number, Place& place);
    bool ReadAt(const Place& place, uint64_t offset, void* buffer, size_t count);
    bool ReadRecord(uint32_t addr, EntryRecord& record, uint32_t& next);
    bool ReadLongKey(EntryRecord& record);
    bool ReadStream(const StreamRef& stream, int32_t limit, std::vector<uint8_t>& bytes,
                    std::string& problem);
    void AddChild(const EntryRecord& record, const std::string& parentKey, uint64_t signature,
                  uint64_t index);
    bool ParentSignature(const EntryRecord& record, uint64_t& signature);
    void Describe(const EntryRecord& record, CacheEntry& entry);
    ChildChain Children(const std::string& key, uint64_t signature);

    std::string m_folder;
    std::vector<uint32_t> m_table;
    std::map<int, CacheFile> m_blockFiles;
    CachePages m_pages;
    std::map<int, uint64_t> m_blockSizes;
    CacheFile m_external;
    // The separate files' sizes by number, from one listing of the folder.
    std::unordered_map<uint32_t, uint64_t> m_separateSizes;
    bool m_separateListed = false;
    bool m_collected = false;
    // Entries are read again when listed, so only their addresses are kept.
    std::vector<uint32_t> m_entries;
    size_t m_childKeyBytes = 0;
    std::map<std::string, std::vector<Child>> m_children;
    size_t m_next = 0;
};

bool BlockfileReader::Locate(uint32_t addr, Place& place)
{
    if (!(addr & kInitialized))
        return false;
    int type = AddrType(addr);
    if (type == kTypeExternal)
        return LocateSeparateFile(addr & 0x0FFFFFFFu, place);
    uint64_t blockSize = BlockSizeOfType(type);
    if (blockSize == 0)
        return false;
    int fileNumber = static_cast<int>((addr >> 16) & 0xFF);
    uint64_t blocks = ((addr >> 24) & 3) + 1;
    uint64_t start = addr & 0xFFFF;
    auto found = m_blockFiles.find(fileNumber);
    if (found == m_blockFiles.end()) {
        if (m_blockFiles.size() >= static_cast<size_t>(kMaxBlockFiles))
            return false;
        CacheFile& file = m_blockFiles[fileNumber];
        uint8_t header[16];
        uint64_t entrySize = 0;
        if (file.Open(JoinCachePath(m_folder, "data_" + std::to_string(fileNumber))) &&
            file.ReadExact(0, header, sizeof(header)) && LoadLe32(header) == kBlockMagic)
            entrySize = LoadLe32(header + 12);
        m_blockSizes[fileNumber] = entrySize;
        found = m_blockFiles.find(fileNumber);
    }
    if (m_blockSizes[fileNumber] != blockSize)
        return false;
    place.fileNumber = fileNumber;
    place.path = found->second.Path();
    place.offset = kBlockHeaderSize + start * blockSize;
    place.room = blocks * blockSize;
    uint64_t fileSize = static_cast<uint64_t>(found->second.Size());
    return place.offset <= fileSize && place.room <= fileSize - place.offset;
}

bool BlockfileReader::LocateSeparateFile(uint32_t number, Place& place)
{
    if (!m_separateListed) {
        m_separateListed = true;
        for (const CacheFolderFile& file : ListCacheFolderSizes(m_folder, "f_", kMaxEntries)) {
            // Only the name the browser would write for that number counts.
            char* end = nullptr;
            unsigned long parsed = std::strtoul(file.name.c_str() + 2, &end, 16);
            if (parsed <= 0x0FFFFFFFu &&
                SeparateFileName(static_cast<uint32_t>(parsed)) == file.name)
                m_separateSizes[static_cast<uint32_t>(parsed)] = static_cast<uint64_t>(file.size);
        }
    }
    auto found = m_separateSizes.find(number);
    if (found == m_separateSizes.end())
        return false;
    place.path = JoinCachePath(m_folder, SeparateFileName(number));
    place.offset = 0;
    place.room = found->second;
    return true;
}

bool BlockfileReader::ReadAt(const Place& place, uint64_t offset, void* buffer, size_t count)
{
    if (offset > place.room || count > place.room - offset)
        return false;
    if (place.fileNumber >= 0) {
        auto found = m_blockFiles.find(place.fileNumber);
        return found != m_blockFiles.end() &&
               m_pages.ReadExact(found->second, static_cast<uint32_t>(place.fileNumber),
                                 place.offset + offset, buffer, count);
    }
    if (m_external.Path() != place.path && !m_external.Open(place.path))
        return false;
    return m_external.ReadExact(place.offset + offset, buffer, count);
}

bool BlockfileReader::ReadRecord(uint32_t addr, EntryRecord& record, uint32_t& next)
{
    Place place;
    if (AddrType(addr) != kTypeBlock256 || !Locate(addr, place))
        return false;
    // An entry takes one to four 256-byte blocks (Locate checked the count).
    uint8_t bytes[4 * kEntryBlockSize];
    size_t size = static_cast<size_t>(std::min<uint64_t>(place.room, sizeof(bytes)));
    if (!ReadAt(place, 0, bytes, size))
        return false;
    next = LoadLe32(bytes + 4);
    return ParseRecord(bytes, size, record) && ReadLongKey(record);
}

bool BlockfileReader::ReadLongKey(EntryRecord& record)
{
    if (record.longKey == 0)
        return true;
    Place place;
    if (!Locate(record.longKey, place) || static_cast<uint64_t>(record.keyLength) > place.room)
        return false;
    record.key.resize(static_cast<size_t>(record.keyLength));
    return ReadAt(place, 0, &record.key[0], record.key.size());
}

bool BlockfileReader::ReadStream(const StreamRef& stream, int32_t limit,
                                 std::vector<uint8_t>& bytes, std::string& problem)
{
    Place place;
    if (stream.size <= 0 || stream.size > limit) {
        problem = "no response info";
        return false;
    }
    if (!Locate(stream.addr, place) || static_cast<uint64_t>(stream.size) > place.room) {
        problem = "response info address outside its file";
        return false;
    }
    bytes.resize(static_cast<size_t>(stream.size));
    if (!ReadAt(place, 0, bytes.data(), bytes.size())) {
        problem = "response info cut short";
        return false;
    }
    return true;
}

// The sparse data of a child lies in its stream 1; its stream 2 holds a header
// and a bitmap of which 1 KB blocks were written.
void BlockfileReader::AddChild(const EntryRecord& record, const std::string& parentKey,
                               uint64_t signature, uint64_t index)
{
    Child child;
    child.index = index;
    child.signature = signature;
    const StreamRef& data = record.streams[1];
    Place place;
    if (index >= kMaxChildrenPerEntry || data.size <= 0 ||
        static_cast<uint64_t>(data.size) > kSparseChildSize || !Locate(data.addr, place))
        return;
    child.data = { place.path, place.offset, std::min<uint64_t>(data.size, place.room) };
    std::vector<uint8_t> control;
    std::string problem;
    if (!ReadStream(record.streams[2], 4096, control, problem))
        return;
    child.held = SummarizeSparseChild(control.data(), control.size(), signature, child.data.length);
    if (child.held.held == 0)
        return;
    auto found = m_children.find(parentKey);
    if (found == m_children.end()) {
        if (m_childKeyBytes + parentKey.size() > kMaxChildKeyBytes)
            return;
        m_childKeyBytes += parentKey.size();
        found = m_children.emplace(parentKey, std::vector<Child>()).first;
    }
    if (found->second.size() < kMaxChildrenPerEntry)
        found->second.push_back(child);
}

// The table's chains are followed a link at a time for all of them together,
// each round's records read in file order, so the block files are read
// forwards through their pages rather than in hash order.
bool BlockfileReader::Collect(const CacheStopCheck& stop)
{
    std::unordered_set<uint32_t> seen;
    std::vector<uint32_t> round;
    for (uint32_t addr : m_table) {
        // Every address is visited once, so a chain that loops or joins another ends.
        if (addr != 0 && seen.size() < kMaxEntries && seen.insert(addr).second)
            round.push_back(addr);
    }
    auto inFileOrder = [](uint32_t a, uint32_t b) { return FileOrder(a) < FileOrder(b); };
    size_t visited = 0;
    while (!round.empty()) {
        std::sort(round.begin(), round.end(), inFileOrder);
        std::vector<uint32_t> following;
        for (uint32_t addr : round) {
            if ((++visited & 1023) == 0 && stop && stop())
                return false;
            EntryRecord record;
            uint32_t next = 0;
            if (!ReadRecord(addr, record, next)) {
                ++m_skipped;
                continue;
            }
            std::string parentKey;
            uint64_t signature = 0, index = 0;
            if (ParseSparseChildKey(record.key, parentKey, signature, index))
                AddChild(record, parentKey, signature, index);
            else
                m_entries.push_back(addr);
            if (next != 0 && seen.size() < kMaxEntries && seen.insert(next).second)
                following.push_back(next);
        }
        round.swap(following);
    }
    std::sort(m_entries.begin(), m_entries.end(), inFileOrder);
    for (auto& item : m_children) {
        std::sort(item.second.begin(), item.second.end(),
                  [](const Child& a, const Child& b) { return a.index < b.index; });
    }
    return true;
}

// A parent's stream 2 starts with the same header as its children's: they
// count only when they carry its signature (older children of an entry made
// again under the same key carry another).
bool BlockfileReader::ParentSignature(const EntryRecord& record, uint64_t& signature)
{
    std::vector<uint8_t> control;
    std::string problem;
    if (!ReadStream(record.streams[2], 8192 + kSparseHeaderSize, control, problem) ||
        control.size() < kSparseHeaderSize || LoadLe32(control.data() + 8) != kIndexMagic)
        return false;
    signature = LoadLe64(control.data());
    return true;
}

BlockfileReader::ChildChain BlockfileReader::Children(const std::string& key, uint64_t signature)
{
    ChildChain chain;
    auto found = m_children.find(key);
    if (found == m_children.end())
        return chain;
    bool joined = true;
    uint64_t lastIndex = 0;
    bool any = false;
    for (const Child& child : found->second) {
        // Two children of one number: the first found counts.
        if (child.signature != signature || (any && child.index == lastIndex))
            continue;
        any = true;
        lastIndex = child.index;
        chain.held += child.held.held;
        if (!joined || child.index * kSparseChildSize != chain.contiguous ||
            child.held.contiguous == 0) {
            joined = false;
            continue;
        }
        StoredPiece piece = child.data;
        piece.length = child.held.contiguous;
        chain.pieces.push_back(piece);
        chain.contiguous += child.held.contiguous;
        joined = child.held.contiguous == kSparseChildSize;
    }
    return chain;
}

void BlockfileReader::Describe(const EntryRecord& record, CacheEntry& entry)
{
    entry.key = record.key;
    ChromiumKey parsed = ParseChromiumKey(record.key);
    entry.url = parsed.url;
    entry.topLevelSite = parsed.topFrameSite;
    bool truncated = false;
    std::vector<uint8_t> head;
    std::string problem;
    if (!ReadStream(record.streams[0], kMaxStream0, head, problem) ||
        !ParseHttpResponseInfo(head.data(), head.size(), entry, problem, &truncated)) {
        entry.problem = problem;
        entry.body = BodyAvailability::Unreadable;
        return;
    }
    const StreamRef& body = record.streams[1];
    if (body.size > 0) {
        Place place;
        if (!Locate(body.addr, place)) {
            entry.problem = "body address outside its file";
            entry.body = BodyAvailability::Unreadable;
            return;
        }
        if (static_cast<uint64_t>(body.size) > place.room) {
            entry.problem = "body size past the end of its blocks";
            entry.body = BodyAvailability::Unreadable;
            return;
        }
        entry.storedSize = static_cast<uint64_t>(body.size);
        entry.bodyFile = place.path;
        entry.bodyOffset = place.offset;
        entry.bodyLocator = kBodyInOneFile;
        entry.body = JudgeStoredBody(entry.contentLength, entry.storedSize, truncated);
        return;
    }
    uint64_t signature = 0;
    ChildChain children;
    if (ParentSignature(record, signature))
        children = Children(record.key, signature);
    entry.storedSize = children.held;
    entry.bodyLocator = kBodyInChildren;
    entry.bodyOffset = signature;
    entry.body = JudgeStoredBody(entry.contentLength, children.contiguous,
                                 children.held > children.contiguous || truncated);
}

bool BlockfileReader::Next(CacheEntry& entry, const CacheStopCheck& stop)
{
    if (!m_collected) {
        if (!Collect(stop))
            return false;
        m_collected = true;
    }
    while (m_next < m_entries.size()) {
        if (stop && stop())
            return false;
        EntryRecord record;
        uint32_t next = 0;
        // The files may have changed since the listing: an entry gone is skipped.
        if (!ReadRecord(m_entries[m_next++], record, next)) {
            ++m_skipped;
            continue;
        }
        entry = CacheEntry();
        Describe(record, entry);
        return true;
    }
    return false;
}

RawBodyReader BlockfileReader::OpenStoredBody(const CacheEntry& entry)
{
    std::vector<StoredPiece> pieces;
    if (entry.bodyLocator == kBodyInChildren) {
        pieces = Children(entry.key, entry.bodyOffset).pieces;
    } else if (entry.storedSize > 0) {
        pieces.push_back({ entry.bodyFile, entry.bodyOffset, entry.storedSize });
    }
    return ReadStoredPieces(std::move(pieces));
}

}  // namespace

std::string CheckBlockfileIndexHeader(const uint8_t* data, size_t size, uint64_t fileSize)
{
    if (size < kIndexHeaderSize)
        return "blockfile index shorter than its header";
    if (LoadLe32(data) != kIndexMagic)
        return "not a blockfile index";
    uint32_t version = LoadLe32(data + 4);
    if (version != 0x20000 && version != 0x20001 && version != 0x30000)
        return "unknown blockfile version " + std::to_string(version >> 16) + "." +
               std::to_string(version & 0xFFFF);
    uint32_t tableLen = LoadLe32(data + 28);
    if (tableLen == 0)
        tableLen = kDefaultTableLen;
    if (tableLen > kMaxTableLen || (tableLen & (tableLen - 1)) != 0)
        return "blockfile index with a bad table length";
    if (fileSize < kIndexHeaderSize || (fileSize - kIndexHeaderSize) / 4 < tableLen)
        return "blockfile index shorter than its table";
    return "";
}

SparseChildSummary SummarizeSparseChild(const uint8_t* control, size_t size, uint64_t signature,
                                        uint64_t dataSize)
{
    SparseChildSummary summary;
    if (size < kSparseHeaderSize + kSparseBitmapBytes || LoadLe64(control) != signature ||
        LoadLe32(control + 8) != kIndexMagic)
        return summary;
    dataSize = std::min(dataSize, kSparseChildSize);
    // The bytes of block `block` that lie within the data written.
    auto within = [dataSize](uint64_t block, uint64_t length) {
        uint64_t start = block * kSparseBlock;
        return start >= dataSize ? 0 : std::min(length, dataSize - start);
    };
    const uint8_t* bitmap = control + kSparseHeaderSize;
    auto isSet = [bitmap](uint64_t block) { return (bitmap[block / 8] >> (block % 8)) & 1; };
    const uint64_t blocks = kSparseBitmapBytes * 8;
    uint64_t leading = 0;
    while (leading < blocks && isSet(leading))
        ++leading;
    for (uint64_t block = 0; block < blocks; ++block)
        summary.held += isSet(block) ? within(block, kSparseBlock) : 0;
    summary.contiguous = std::min(leading * kSparseBlock, dataSize);
    // A block written in part is kept outside the bitmap, its valid bytes from its start.
    int32_t lastBlock = LoadI32(control + 16);
    int32_t lastLength = LoadI32(control + 20);
    if (lastBlock >= 0 && static_cast<uint64_t>(lastBlock) < blocks && lastLength > 0 &&
        static_cast<uint64_t>(lastLength) < kSparseBlock && !isSet(lastBlock)) {
        uint64_t partial = within(static_cast<uint64_t>(lastBlock), lastLength);
        summary.held += partial;
        if (static_cast<uint64_t>(lastBlock) == leading &&
            summary.contiguous == leading * kSparseBlock)
            summary.contiguous += partial;
    }
    return summary;
}

bool ParseBlockfileEntryRecord(const uint8_t* data, size_t size, CacheEntry& entry)
{
    EntryRecord record;
    if (!ParseRecord(data, size, record))
        return false;
    entry.key = record.key;
    ChromiumKey parsed = ParseChromiumKey(record.key);
    entry.url = parsed.url;
    entry.topLevelSite = parsed.topFrameSite;
    std::string parent;
    uint64_t signature = 0, index = 0;
    ParseSparseChildKey(record.key, parent, signature, index);
    return true;
}

std::unique_ptr<CacheReader> OpenBlockfileCache(const std::string& folder, std::string& problem)
{
    CacheFile index;
    if (!index.Open(JoinCachePath(folder, "index"))) {
        problem = "blockfile index could not be opened";
        return nullptr;
    }
    uint8_t header[kIndexHeaderSize];
    if (!index.ReadExact(0, header, sizeof(header))) {
        problem = "blockfile index shorter than its header";
        return nullptr;
    }
    problem =
        CheckBlockfileIndexHeader(header, sizeof(header), static_cast<uint64_t>(index.Size()));
    if (!problem.empty())
        return nullptr;
    uint32_t tableLen = LoadLe32(header + 28);
    if (tableLen == 0)
        tableLen = kDefaultTableLen;
    std::vector<uint8_t> raw(static_cast<size_t>(tableLen) * 4);
    if (!index.ReadExact(kIndexHeaderSize, raw.data(), raw.size())) {
        problem = "blockfile index shorter than its table";
        return nullptr;
    }
    std::vector<uint32_t> table(tableLen);
    for (uint32_t i = 0; i < tableLen; ++i)
        table[i] = LoadLe32(raw.data() + 4 * static_cast<size_t>(i));
    return std::unique_ptr<CacheReader>(new BlockfileReader(folder, std::move(table)));
}
