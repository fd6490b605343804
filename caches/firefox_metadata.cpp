#include "caches/firefox_metadata.h"

#include <cstring>

namespace {

constexpr uint64_t kChunkSize = 256 * 1024;
constexpr uint32_t kEncryptedBit = 0x80000000u;
constexpr uint32_t kNewestKnownVersion = 4;
// Firefox keeps the elements under 64 KiB and keys well under that; the hash
// array grows by two bytes per 256 KiB of body. A region past this is damage.
constexpr uint64_t kMaxMetadataSize = 4 * 1024 * 1024;
constexpr size_t kHeaderSize = 32;
constexpr size_t kMaxElements = 4096;

uint32_t BigEndian32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

struct Trailer {
    uint32_t version = 0;
    uint64_t offset = 0;
    bool encrypted = false;
    uint64_t length = 0;
};

// The trailer form that fits the file. The two-word form's version word is
// small, where the one-word form has the end of the elements ("...\0") there;
// once it fits, the other form is not tried, so a damaged new entry is not
// read again as an old one with the version word taken for metadata.
std::vector<Trailer> CandidateTrailers(const uint8_t* last8, uint64_t fileSize)
{
    std::vector<Trailer> candidates;
    if (fileSize >= 8) {
        uint32_t version = BigEndian32(last8);
        uint32_t word = BigEndian32(last8 + 4);
        uint64_t offset = word & ~kEncryptedBit;
        if (version >= kNewestKnownVersion && version < 0x10000 && offset <= fileSize - 8) {
            candidates.push_back({ version, offset, (word & kEncryptedBit) != 0, 8 });
            return candidates;
        }
    }
    if (fileSize >= 4) {
        uint64_t offset = BigEndian32(last8 + 4);
        if (offset <= fileSize - 4)
            candidates.push_back({ 0, offset, false, 4 });
    }
    return candidates;
}

bool ParseElements(const uint8_t* data, size_t size, FirefoxMetadata& metadata)
{
    size_t pos = 0;
    while (pos < size) {
        const void* nameEnd = std::memchr(data + pos, 0, size - pos);
        if (!nameEnd)
            return false;
        size_t nameLength = static_cast<const uint8_t*>(nameEnd) - (data + pos);
        size_t valueStart = pos + nameLength + 1;
        if (valueStart >= size)
            return false;
        const void* valueEnd = std::memchr(data + valueStart, 0, size - valueStart);
        if (!valueEnd)
            return false;
        size_t valueLength = static_cast<const uint8_t*>(valueEnd) - (data + valueStart);
        if (metadata.elements.size() >= kMaxElements)
            return false;
        metadata.elements.push_back(
            { std::string(reinterpret_cast<const char*>(data + pos), nameLength),
              std::string(reinterpret_cast<const char*>(data + valueStart), valueLength) });
        pos = valueStart + valueLength + 1;
    }
    return true;
}

// The region between the body and the trailer, laid out for this trailer.
FirefoxMetadataStatus ParseRegion(const std::vector<uint8_t>& region, const Trailer& trailer,
                                  FirefoxMetadata& metadata)
{
    metadata = FirefoxMetadata();
    metadata.trailerVersion = trailer.version;
    metadata.bodySize = trailer.offset;
    metadata.encrypted = trailer.encrypted;
    uint64_t hashCount = (trailer.offset + kChunkSize - 1) / kChunkSize;
    uint64_t headerAt = 4 + hashCount * 2;
    if (headerAt + kHeaderSize > region.size())
        return FirefoxMetadataStatus::NotCache2;
    const uint8_t* header = region.data() + headerAt;
    metadata.version = BigEndian32(header);
    metadata.fetchCount = BigEndian32(header + 4);
    metadata.lastFetched = BigEndian32(header + 8);
    metadata.lastModified = BigEndian32(header + 12);
    metadata.frecency = BigEndian32(header + 16);
    metadata.expiration = BigEndian32(header + 20);
    uint64_t keySize = BigEndian32(header + 24);
    uint64_t keyAt = headerAt + kHeaderSize;
    // Version 1 had no flags word.
    if (metadata.version == 1)
        keyAt -= 4;
    else
        metadata.flags = BigEndian32(header + 28);
    if (metadata.version == 0 || keyAt + keySize + 1 > region.size() ||
        region[keyAt + keySize] != 0)
        return FirefoxMetadataStatus::NotCache2;
    metadata.key.assign(reinterpret_cast<const char*>(region.data() + keyAt), keySize);
    if (metadata.key.find('\0') != std::string::npos || metadata.key.empty()) {
        metadata.key.clear();
        return FirefoxMetadataStatus::NoKey;
    }
    size_t elementsAt = keyAt + keySize + 1;
    metadata.knownVersion =
        metadata.version <= kNewestKnownVersion && trailer.version <= kNewestKnownVersion;
    if (!ParseElements(region.data() + elementsAt, region.size() - elementsAt, metadata)) {
        metadata.elements.clear();
        metadata.problem = "damaged metadata elements";
    }
    if (!metadata.knownVersion) {
        if (!metadata.problem.empty())
            metadata.problem += "; ";
        metadata.problem += "unknown cache2 version " +
                            std::to_string(trailer.version ? trailer.version : metadata.version);
    }
    return FirefoxMetadataStatus::Ok;
}

}  // namespace

FirefoxMetadataStatus ReadFirefoxMetadata(const FileRangeReader& read, uint64_t fileSize,
                                          FirefoxMetadata& metadata)
{
    metadata = FirefoxMetadata();
    if (fileSize < 4 + 4 + kHeaderSize)
        return FirefoxMetadataStatus::NotCache2;
    uint8_t last8[8] = {};
    if (!read(fileSize - 8, last8, 8))
        return FirefoxMetadataStatus::NotCache2;
    FirefoxMetadataStatus best = FirefoxMetadataStatus::NotCache2;
    for (const Trailer& trailer : CandidateTrailers(last8, fileSize)) {
        uint64_t regionSize = fileSize - trailer.length - trailer.offset;
        if (regionSize < 4 + kHeaderSize - 4 || regionSize > kMaxMetadataSize)
            continue;
        std::vector<uint8_t> region(static_cast<size_t>(regionSize));
        if (!read(trailer.offset, region.data(), region.size()))
            continue;
        FirefoxMetadata candidate;
        FirefoxMetadataStatus status = ParseRegion(region, trailer, candidate);
        if (status == FirefoxMetadataStatus::Ok) {
            metadata = std::move(candidate);
            return status;
        }
        if (status == FirefoxMetadataStatus::NoKey)
            best = status;
    }
    return best;
}

const std::string* FindElement(const FirefoxMetadata& metadata, const char* name)
{
    for (const HttpHeader& element : metadata.elements)
        if (element.name == name)
            return &element.value;
    return nullptr;
}
