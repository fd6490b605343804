#include "caches/http_response_info.h"

#include "caches/http_headers.h"

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
    bool ReadString(std::string& value, size_t limit)
    {
        uint32_t length;
        if (!ReadU32(length) || length > limit || length > m_size - m_at)
            return false;
        value.assign(reinterpret_cast<const char*>(m_data + m_at), length);
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
bool SplitRawHeaders(const std::string& raw, CacheEntry& entry)
{
    size_t at = 0;
    size_t end = raw.find('\0');
    if (end == std::string::npos || end == 0)
        return false;
    entry.statusLine = raw.substr(0, end);
    entry.status = StatusCodeOf(entry.statusLine);
    at = end + 1;
    while (at < raw.size() && entry.headers.size() < kMaxHeaderCount) {
        end = raw.find('\0', at);
        if (end == std::string::npos)
            end = raw.size();
        if (end == at)
            break;
        HttpHeader header;
        if (SplitHeaderLine(raw.data() + at, end - at, header))
            entry.headers.push_back(std::move(header));
        at = end + 1;
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
    std::string raw;
    if (!cursor.ReadString(raw, kMaxRawHeaders)) {
        problem = "response headers cut short";
        return false;
    }
    CacheEntry parsed;
    if (!SplitRawHeaders(raw, parsed)) {
        problem = "no status line in the response headers";
        return false;
    }
    entry.statusLine = std::move(parsed.statusLine);
    entry.status = parsed.status;
    entry.headers = std::move(parsed.headers);
    entry.requestTime = requestTime > 0 ? requestTime : 0;
    entry.responseTime = responseTime > 0 ? responseTime : 0;
    DeriveContentFacts(entry);
    if (truncated)
        *truncated = (flags & kTruncated) != 0;
    return true;
}
