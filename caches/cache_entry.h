#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class CacheFormat { None, ChromiumBlockfile, ChromiumSimple, ChromiumSql, FirefoxCache2 };
const char* CacheFormatName(CacheFormat format);  // "none", "blockfile", "simple", "sql", "cache2"

enum class BodyAvailability { Complete, Partial, Unreadable, Absent };

struct HttpHeader {
    std::string name;
    std::string value;
};

// Times are microseconds since 1601-01-01 UTC (Chromium's own base, a FILETIME / 10); 0 = unknown.
struct CacheEntry {
    std::string key;           // as stored
    std::string url;           // parsed out of the key
    std::string topLevelSite;  // the site the user was visiting (double key, partition key), or ""
    std::string statusLine;    // "HTTP/1.1 200 OK"; "" when no response info could be read
    int status = 0;
    std::vector<HttpHeader> headers;
    std::string contentType;      // media type, lower case, without parameters
    std::string contentEncoding;  // the header's value as stored
    int64_t contentLength = -1;   // the whole resource's length the response names, -1 unknown
    int64_t requestTime = 0;      // Chromium: request time;  Firefox: 0
    int64_t responseTime = 0;     // Chromium: response time; Firefox: last fetched
    int64_t modifiedTime = 0;     // Firefox: last modified;  Chromium: 0
    // Body bytes held, overlapping ranges counted once; reading gives those from offset 0
    // up to the first gap.
    uint64_t storedSize = 0;
    BodyAvailability body = BodyAvailability::Absent;
    std::string problem;  // why the body is unreadable or what was skipped; "" when all is well
    // Where the reader finds the body again (the reader's own meaning).
    std::string bodyFile;
    uint64_t bodyOffset = 0;
    uint64_t bodyLocator = 0;
};
