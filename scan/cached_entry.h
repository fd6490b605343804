// What a row of a browser cache's entry keeps: the cache it came from and
// where the reader finds its body again, so that the body is read anew,
// decoded and bounded, when the user asks for it, and never held by the row.
#pragma once
#include "caches/body_decoder.h"
#include "caches/cache_entry.h"
#include "scan/record_heap.h"
#include "sources/cache_source.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// No picture is read into memory past this: the pixels' own budget is
// larger, and a picture's stored bytes are a small part of them.
constexpr uint64_t kPictureBodyBound = 64u << 20;

class CachedEntry {
public:
    // A row's entry, made in the records' heap with all it holds: it lives
    // as long as the row (scan/record_heap.h).
    static std::shared_ptr<const CachedEntry> Make(std::shared_ptr<const ChosenCache> cache,
                                                   const CacheEntry& entry, uint64_t decodedSize);

    // The headers are dropped: the row needs the fields parsed from them.
    CachedEntry(std::shared_ptr<const ChosenCache> cache, const CacheEntry& entry,
                uint64_t decodedSize);

    const ChosenCache& Cache() const { return *m_cache; }
    // The entry as the reader gave it, without its headers.
    CacheEntry Entry() const;
    // Its URL alone, without making the whole entry again.
    std::string Url() const;
    uint64_t DecodedSize() const { return m_decodedSize; }

    // Opens the cache again (read-only, as every reader opens it) and hands
    // the decoded body to the sink, at most bound bytes.
    BodyDecodeResult ReadBody(uint64_t bound, const CacheStopCheck& stop,
                              const DecodedBodySink& sink) const;
    // The decoded body whole in memory, followed by a NUL; null when it is
    // larger than bound, cannot be read or decode to the size the scan found,
    // or stop asked to end. One allocation of the decoded size.
    std::unique_ptr<char[]> ReadContent(uint64_t bound, const CacheStopCheck& stop) const;
    // The decoded body into a file created anew at target.
    bool WriteBody(const char* target) const;

private:
    static constexpr size_t kTextFieldCount = 8;
    using RecordText = std::basic_string<char, std::char_traits<char>, RecordAllocator<char>>;

    std::shared_ptr<const ChosenCache> m_cache;
    CacheEntry m_numbers;  // the entry's other fields; its text is in m_text
    RecordText m_text[kTextFieldCount];
    uint64_t m_decodedSize;
};

// The decoded body of an entry the reader has just returned, in memory:
// Ok only when the whole body fits the bound.
BodyDecodeStatus
ReadBodyInMemory(const std::function<BodyDecodeResult(const DecodedBodySink&)>& read,
                 std::vector<uint8_t>& body);

// The decoded size of an entry's body and its first kSignatureBytes, without
// holding the rest: Ok only when the whole body decoded within the bound the
// read was given.
BodyDecodeStatus MeasureBody(const std::function<BodyDecodeResult(const DecodedBodySink&)>& read,
                             std::vector<uint8_t>& head, uint64_t& decodedSize);
