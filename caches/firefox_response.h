// What an entry's "response-head" element says: the status line, then the
// headers as "Name: value" lines ending in CRLF.
#pragma once
#include <string>
#include <vector>

#include "caches/http_headers.h"

struct ResponseHead {
    std::string statusLine;
    int status = 0;
    std::vector<HttpHeader> headers;
};

ResponseHead ParseResponseHead(const std::string& text);
