// A list's rows as the reports show them: the row-to-report conversion every
// way of saving a list shares, a window's or none.
#pragma once
#include "reports/report_row.h"

#include <cstdint>
#include <map>
#include <string>

struct CacheItem;

// Where each row came from: an entry's URL as its cache recorded it, a
// WinINet file's as the index names it. The index is read once, on the
// first file row asked about, from whichever thread asks; one object per
// thread.
class RowUrls {
public:
    // UTF-8; "" when the row's source is not known.
    std::string UrlOf(const CacheItem& row);

private:
    bool m_indexRead = false;
    // Lower-case local path to the URL, both in the ANSI code page.
    std::map<std::string, std::string> m_byLocalPath;
};

// The offset from UTC in minutes east that the local time zone had at the
// moment (a FILETIME's count), daylight saving included; 0 when unknown.
int32_t LocalOffsetAt(uint64_t fileTime);

// LocalOffsetAt for a run of rows: zones change their offset on a quarter
// hour, so the rows of one quarter hour ask the system once.
class LocalOffsets {
public:
    int32_t At(uint64_t fileTime);

private:
    uint64_t m_quarter = UINT64_MAX;
    int32_t m_offset = 0;
};

// What the conversion of a list's rows reads once for all of them.
struct RowReportSources {
    RowUrls urls;
    LocalOffsets offsets;
};

// The row with its cache, sizes and time; a picture row (of the Pictures
// kind) with its width and height. The thumbnail is the caller's.
ReportRow ReportRowOf(const CacheItem& row, ReportKind kind, RowReportSources& sources);
