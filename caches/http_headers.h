// An HTTP response's status line and headers, as both browsers keep them once
// parsed out of their own records: the facts a listing shows are read here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "caches/cache_entry.h"

// Headers past this many are not from a real response; refusing them bounds
// the work done per entry.
constexpr size_t kMaxHeaderCount = 1000;

// "HTTP/1.1 200 OK" -> 200; 0 when the line has no three-digit code.
int StatusCodeOf(const std::string& statusLine);
// "Name: value" with the spaces around both trimmed; false without a name.
bool SplitHeaderLine(const char* line, size_t length, HttpHeader& header);
inline bool SplitHeaderLine(const std::string& line, HttpHeader& header)
{
    return SplitHeaderLine(line.data(), line.size(), header);
}
// The first header of that name (any case), or nullptr.
const std::string* FindHeader(const std::vector<HttpHeader>& headers, const char* name);
// "Text/HTML; charset=utf-8" -> "text/html".
std::string MediaType(const std::string& contentType);
// A decimal length up to 2^62 (spaces around it allowed), or -1.
int64_t ParseLength(const std::string& text);

// "bytes 0-99/1000": first, last and the whole length (-1 for "*").
struct ContentRange {
    bool valid = false;
    int64_t first = 0;
    int64_t last = 0;
    int64_t total = -1;
};
ContentRange ParseContentRange(const std::string& text);

// The resource's whole length a response names: Content-Length, or for a 206
// the total of its Content-Range; -1 when neither says.
int64_t ResourceLengthOf(const CacheEntry& entry);
// Content type, content coding and the resource's length, from the entry's headers.
void DeriveContentFacts(CacheEntry& entry);
