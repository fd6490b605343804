// One row of a list as a report shows it: what the window knows of a cached
// file or a browser cache entry, every text already UTF-8 (the caller
// converts names from the ANSI code page), so the writers only escape.
#pragma once

#include <cstdint>
#include <string>

struct ReportRow {
    std::string name;          // the row's name in the window
    std::string url;           // where it came from; "" when unknown
    std::string visitedSite;   // the site the user was visiting, or ""
    std::string cache;         // browser and profile, "Chrome (Default)"
    std::string contentType;   // media type as the server sent it, or ""
    std::string encoding;      // the Content-Encoding as stored, or ""
    uint64_t storedSize = 0;   // bytes in the cache
    uint64_t decodedSize = 0;  // bytes after undoing the encoding

    // When it was cached, in a FILETIME's units: 100 ns since 1601-01-01 UTC;
    // 0 when unknown. The local offset is the one in force at that moment
    // (it differs across a daylight-saving change), in minutes east of UTC.
    uint64_t cachedTime = 0;
    int32_t localOffsetMinutes = 0;

    // A picture's size as decoded; 0 for the rows of the other windows.
    uint32_t width = 0;
    uint32_t height = 0;

    // The picture's thumbnail as encoded bytes ("image/png" or "image/jpeg"),
    // or empty; only the contact sheet shows it.
    std::string thumbnail;
    std::string thumbnailType;
};

// Which list the rows come from: the Image browser's pictures get width and
// height columns and an HTML contact sheet, the other windows a table.
enum class ReportKind { Pictures, Files };
