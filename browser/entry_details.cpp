#include "browser/entry_details.h"

#include "res/resource.h"
#include "scan/cached_entry.h"

#include <windows.h>

#include <cstdio>

const char kNotRecordedText[] = "(not recorded)";
const char kWholeBodyText[] = "whole";
const char kPartialBodyText[] = "partial: only part of the body is stored";
const char kUnreadableBodyText[] = "unreadable";

namespace {

std::string OrNotRecorded(const std::string& text)
{
    return text.empty() ? kNotRecordedText : text;
}

std::string Bytes(uint64_t count)
{
    return std::to_string(count) + " bytes";
}

// Local time, as the user's clock read when the response came.
std::string LocalTimeText(int64_t microseconds)
{
    if (microseconds <= 0)
        return kNotRecordedText;
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>(microseconds) * 10u;
    FILETIME utc = { ticks.LowPart, ticks.HighPart };
    FILETIME local;
    SYSTEMTIME calendar;
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &calendar))
        return kNotRecordedText;
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", calendar.wYear,
                  calendar.wMonth, calendar.wDay, calendar.wHour, calendar.wMinute,
                  calendar.wSecond);
    return text;
}

// What the dialog shows of a row's entry: its fields, copied out of the
// row's record once, and the size its body decoded to.
struct DrilledEntry {
    CacheEntry fields;
    uint64_t decodedSize;
};

std::string SiteText(const DrilledEntry& entry)
{
    return OrNotRecorded(entry.fields.topLevelSite);
}

std::string StatusText(const DrilledEntry& entry)
{
    const CacheEntry& fields = entry.fields;
    if (!fields.statusLine.empty())
        return fields.statusLine;
    return fields.status > 0 ? std::to_string(fields.status) : kNotRecordedText;
}

std::string TypeText(const DrilledEntry& entry)
{
    return OrNotRecorded(entry.fields.contentType);
}

std::string EncodingText(const DrilledEntry& entry)
{
    return OrNotRecorded(entry.fields.contentEncoding);
}

std::string StoredSizeText(const DrilledEntry& entry)
{
    return Bytes(entry.fields.storedSize);
}

std::string DecodedSizeText(const DrilledEntry& entry)
{
    return Bytes(entry.decodedSize);
}

std::string CachedText(const DrilledEntry& entry)
{
    return LocalTimeText(entry.fields.responseTime);
}

// The reader's reason, when it gave one, follows the mark.
std::string BodyText(const DrilledEntry& entry)
{
    const CacheEntry& fields = entry.fields;
    std::string mark;
    switch (fields.body) {
    case BodyAvailability::Complete:
        mark = kWholeBodyText;
        break;
    case BodyAvailability::Partial:
        mark = kPartialBodyText;
        break;
    case BodyAvailability::Unreadable:
    case BodyAvailability::Absent:
        mark = kUnreadableBodyText;
        break;
    }
    if (!fields.problem.empty())
        mark += " (" + fields.problem + ")";
    return mark;
}

struct FieldRule {
    int controlId;
    std::string (*text)(const DrilledEntry& entry);
};

const FieldRule kFieldRules[] = {
    { IDC_ENTRY_SITE, SiteText },
    { IDC_ENTRY_STATUS, StatusText },
    { IDC_ENTRY_TYPE, TypeText },
    { IDC_ENTRY_ENCODING, EncodingText },
    { IDC_ENTRY_STORED_SIZE, StoredSizeText },
    { IDC_ENTRY_DECODED_SIZE, DecodedSizeText },
    { IDC_ENTRY_CACHED, CachedText },
    { IDC_ENTRY_BODY, BodyText },
};

}  // namespace

DetailFields EntryDetailFields(const CachedEntry& entry)
{
    const DrilledEntry drilled{ entry.Entry(), entry.DecodedSize() };
    DetailFields fields;
    for (const FieldRule& rule : kFieldRules)
        fields.push_back({ rule.controlId, rule.text(drilled) });
    return fields;
}
