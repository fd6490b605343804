#include "browser/row_report.h"

#include "browser/cache_source_url.h"
#include "scan/cache_item.h"
#include "scan/cached_entry.h"
#include "platform/text_code_pages.h"

#include <windows.h>

#include <vector>

namespace {

// Letter case ignored, as the file system and the index compare paths.
std::string LowerCase(const char* path)
{
    std::string lower(path);
    if (!lower.empty())
        ::CharLowerBuffA(&lower[0], static_cast<DWORD>(lower.size()));
    return lower;
}

uint64_t TicksOf(const FILETIME& time)
{
    return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

FILETIME FileTimeOf(uint64_t ticks)
{
    return { static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32) };
}

// An entry's facts as its cache recorded them; its time is in microseconds.
void DescribeEntry(const CachedEntry& source, ReportRow& out)
{
    const CacheEntry& entry = source.Entry();
    out.url = entry.url;
    out.visitedSite = entry.topLevelSite;
    out.cache = AnsiToUtf8(source.Cache().name);
    out.contentType = entry.contentType;
    out.encoding = entry.contentEncoding;
    out.storedSize = entry.storedSize;
    out.decodedSize = source.DecodedSize();
    if (entry.responseTime > 0 && entry.responseTime <= INT64_MAX / 10)
        out.cachedTime = static_cast<uint64_t>(entry.responseTime) * 10u;
}

// A WinINet file is its own body: stored and decoded sizes are its length,
// its time the last write the scan's date test reads.
void DescribeFile(const CacheItem& row, RowUrls& urls, ReportRow& out)
{
    out.url = urls.UrlOf(row);
    out.cache = "Internet Explorer";
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (::GetFileAttributesExA(row.path, GetFileExInfoStandard, &data)) {
        out.storedSize = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
        out.decodedSize = out.storedSize;
        out.cachedTime = TicksOf(data.ftLastWriteTime);
    }
}

}  // namespace

std::string RowUrls::UrlOf(const CacheItem& row)
{
    if (std::shared_ptr<const CachedEntry> entry = row.SourceEntry())
        return entry->Url();
    if (!m_indexRead) {
        m_indexRead = true;
        ForEachCacheSourceUrl([this](LPCSTR localPath, LPCSTR url) {
            m_byLocalPath.emplace(LowerCase(localPath), url);
        });
    }
    auto found = m_byLocalPath.find(LowerCase(row.path));
    return found == m_byLocalPath.end() ? std::string() : AnsiToUtf8(found->second);
}

// The local calendar time of the moment against its UTC one: the zone's
// rules for that date, not today's, decide the offset.
int32_t LocalOffsetAt(uint64_t fileTime)
{
    const FILETIME utc = FileTimeOf(fileTime);
    SYSTEMTIME utcCalendar;
    SYSTEMTIME localCalendar;
    FILETIME local;
    if (fileTime == 0 || !::FileTimeToSystemTime(&utc, &utcCalendar) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &utcCalendar, &localCalendar) ||
        !::SystemTimeToFileTime(&localCalendar, &local))
        return 0;
    const int64_t difference = static_cast<int64_t>(TicksOf(local) - fileTime);
    return static_cast<int32_t>(difference / (60 * 10000000LL));
}

int32_t LocalOffsets::At(uint64_t fileTime)
{
    constexpr uint64_t quarterHour = 15 * 60 * 10000000ULL;
    const uint64_t quarter = fileTime / quarterHour;
    if (quarter != m_quarter) {
        m_quarter = quarter;
        m_offset = LocalOffsetAt(fileTime);
    }
    return m_offset;
}

ReportRow ReportRowOf(const CacheItem& row, ReportKind kind, RowReportSources& sources)
{
    ReportRow out;
    out.name = AnsiToUtf8(FileNamePart(row.path));
    if (std::shared_ptr<const CachedEntry> entry = row.SourceEntry())
        DescribeEntry(*entry, out);
    else
        DescribeFile(row, sources.urls, out);
    out.localOffsetMinutes = sources.offsets.At(out.cachedTime);
    if (kind == ReportKind::Pictures) {
        const ImageItem& picture = static_cast<const ImageItem&>(row);
        out.width = picture.width;
        out.height = picture.height;
    }
    return out;
}
