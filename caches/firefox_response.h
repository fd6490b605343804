// What an entry's "response-head" element says: the status line, then the
// headers as "Name: value" lines ending in CRLF.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "caches/cache_entry.h"

struct ResponseHead {
    std::string statusLine;
    int status = 0;
    std::vector<HttpHeader> headers;
};

ResponseHead ParseResponseHead(const std::string& text);
// The first header of that name (any case), or nullptr.
const std::string* FindHeader(const std::vector<HttpHeader>& headers, const char* name);
// "Text/HTML; charset=utf-8" -> "text/html".
std::string MediaType(const std::string& contentType);
// A decimal length up to 2^62, or -1.
int64_t ParseLength(const std::string& text);

// "bytes 0-99/1000": first, last and the whole length (-1 for "*").
struct ContentRange {
    bool valid = false;
    int64_t first = 0;
    int64_t last = 0;
    int64_t total = -1;
};
ContentRange ParseContentRange(const std::string& text);
