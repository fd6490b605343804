#include "caches/http_response_info.h"

#include "caches/http_headers.h"

#include <cstring>

namespace {

// Flags of the pickle's first field (net/http/http_response_info.cc).
const uint32_t kVersionMask = 0xFF;
const uint32_t kKnownVersion = 3;
const uint32_t kTruncated = 1u << 12;
const uint32_t kHasExtraFlags = 1u << 31;
const uint32_t kExtraHasOriginalResponseTime = 1u << 2;

// Headers larger than this are not from a real response; refusing them bounds
// the work done per entry.
const size_t kMaxRawHeaders = 1 << 20;

// Reads the 4-byte aligned fields of a base::Pickle payload.
class PickleCursor {
public:
    PickleCursor(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool ReadU32(uint32_t& value)
    {
        if (m_size - m_at < 4)
            return false;
        value = Load32(m_at);
        m_at += 4;
        return true;
    }
    bool ReadI64(int64_t& value)
    {
        if (m_size - m_at < 8)
            return false;
        value = static_cast<int64_t>(static_cast<uint64_t>(Load32(m_at)) |
                                     (static_cast<uint64_t>(Load32(m_at + 4)) << 32));
        m_at += 8;
        return true;
    }
    // A length-prefixed string, left where it lies.
    bool ReadString(const char*& value, size_t& valueLength, size_t limit)
    {
        uint32_t length;
        if (!ReadU32(length) || length > limit || length > m_size - m_at)
            return false;
        value = reinterpret_cast<const char*>(m_data + m_at);
        valueLength = length;
        size_t padded = (static_cast<size_t>(length) + 3) & ~static_cast<size_t>(3);
        m_at = padded > m_size - m_at ? m_size : m_at + padded;
        return true;
    }

private:
    uint32_t Load32(size_t at) const
    {
        const uint8_t* p = m_data + at;
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
               (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// "status\0name: value\0...\0\0"
bool SplitRawHeaders(const char* raw, size_t size, CacheEntry& entry)
{
    const char* end = raw + size;
    const char* nul = static_cast<const char*>(std::memchr(raw, 0, size));
    if (!nul || nul == raw)
        return false;
    entry.statusLine.assign(raw, nul);
    entry.status = StatusCodeOf(entry.statusLine);
    // Real responses carry a dozen or two; the vector then grows once or twice.
    entry.headers.reserve(16);
    const char* at = nul + 1;
    while (at < end && entry.headers.size() < kMaxHeaderCount) {
        nul = static_cast<const char*>(std::memchr(at, 0, static_cast<size_t>(end - at)));
        const char* lineEnd = nul ? nul : end;
        if (lineEnd == at)
            break;
        entry.headers.emplace_back();
        if (!SplitHeaderLine(at, static_cast<size_t>(lineEnd - at), entry.headers.back()))
            entry.headers.pop_back();
        at = lineEnd + 1;
    }
    return entry.status != 0;
}

}  // namespace

bool ParseHttpResponseInfo(const uint8_t* data, size_t size, CacheEntry& entry,
                           std::string& problem, bool* truncated)
{
    if (size < 4) {
        problem = "response info too short";
        return false;
    }
    uint32_t payloadSize = static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
                           (static_cast<uint32_t>(data[2]) << 16) |
                           (static_cast<uint32_t>(data[3]) << 24);
    if (payloadSize > size - 4) {
        problem = "response info cut short";
        return false;
    }
    PickleCursor cursor(data + 4, payloadSize);
    uint32_t flags = 0;
    if (!cursor.ReadU32(flags)) {
        problem = "response info cut short";
        return false;
    }
    uint32_t version = flags & kVersionMask;
    if (version != kKnownVersion) {
        problem = "unknown response info version " + std::to_string(version);
        return false;
    }
    uint32_t extraFlags = 0;
    if ((flags & kHasExtraFlags) && !cursor.ReadU32(extraFlags)) {
        problem = "response info cut short";
        return false;
    }
    int64_t requestTime = 0, responseTime = 0, originalResponseTime = 0;
    if (!cursor.ReadI64(requestTime) || !cursor.ReadI64(responseTime) ||
        ((extraFlags & kExtraHasOriginalResponseTime) && !cursor.ReadI64(originalResponseTime))) {
        problem = "response info cut short";
        return false;
    }
    const char* raw = nullptr;
    size_t rawSize = 0;
    if (!cursor.ReadString(raw, rawSize, kMaxRawHeaders)) {
        problem = "response headers cut short";
        return false;
    }
    entry.headers.clear();
    if (!SplitRawHeaders(raw, rawSize, entry)) {
        entry.statusLine.clear();
        entry.status = 0;
        entry.headers.clear();
        problem = "no status line in the response headers";
        return false;
    }
    entry.requestTime = requestTime > 0 ? requestTime : 0;
    entry.responseTime = responseTime > 0 ? responseTime : 0;
    DeriveContentFacts(entry);
    if (truncated)
        *truncated = (flags & kTruncated) != 0;
    return true;
}
