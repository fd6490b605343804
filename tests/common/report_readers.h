// Strict readers of the list reports' CSV and tab-separated text, for the
// tests and the fuzz target to read a report back and compare it with its
// rows: any departure from the format (no byte-order mark, a bare LF, a quote
// inside an unquoted field, an unknown escape) fails the read.
#pragma once

#include <string>
#include <vector>

using ReportRecords = std::vector<std::vector<std::string>>;

namespace report_readers {

inline bool SkipByteOrderMark(const std::string& text, size_t& at)
{
    if (text.compare(0, 3, "\xEF\xBB\xBF") != 0)
        return false;
    at = 3;
    return true;
}

inline bool AtLineEnd(const std::string& text, size_t at)
{
    return text.compare(at, 2, "\r\n") == 0;
}

}  // namespace report_readers

// RFC 4180, every record ended by CRLF.
inline bool ReadCsv(const std::string& text, ReportRecords& records)
{
    using namespace report_readers;
    size_t at = 0;
    if (!SkipByteOrderMark(text, at))
        return false;
    records.clear();
    std::vector<std::string> record;
    while (at < text.size()) {
        std::string field;
        if (text[at] == '"') {
            ++at;
            for (;;) {
                if (at >= text.size())
                    return false;  // no closing quote
                if (text[at] == '"') {
                    if (at + 1 < text.size() && text[at + 1] == '"') {
                        field += '"';
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                field += text[at++];
            }
        } else {
            while (at < text.size() && text[at] != ',' && text[at] != '\r' && text[at] != '\n') {
                if (text[at] == '"')
                    return false;
                field += text[at++];
            }
        }
        record.push_back(field);
        if (at < text.size() && text[at] == ',') {
            ++at;
            continue;
        }
        if (!AtLineEnd(text, at))
            return false;
        at += 2;
        records.push_back(record);
        record.clear();
    }
    return record.empty();
}

// Tab-separated, CRLF line ends, \\ \t \r \n inside fields.
inline bool ReadTabText(const std::string& text, ReportRecords& records)
{
    using namespace report_readers;
    size_t at = 0;
    if (!SkipByteOrderMark(text, at))
        return false;
    records.clear();
    std::vector<std::string> record(1);
    while (at < text.size()) {
        const char c = text[at];
        if (c == '\t') {
            record.emplace_back();
            ++at;
        } else if (c == '\r' || c == '\n') {
            if (!AtLineEnd(text, at))
                return false;
            records.push_back(record);
            record.assign(1, std::string());
            at += 2;
        } else if (c == '\\') {
            if (at + 1 >= text.size())
                return false;
            const char escaped = text[at + 1];
            const char* const kFrom = "\\trn";
            const char* const kTo = "\\\t\r\n";
            size_t which = 0;
            while (which < 4 && kFrom[which] != escaped)
                ++which;
            if (which == 4)
                return false;
            record.back() += kTo[which];
            at += 2;
        } else {
            record.back() += c;
            ++at;
        }
    }
    return record.size() == 1 && record[0].empty();
}
