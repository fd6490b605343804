// Writes a list as a report, one row at a time into an output, so the caller
// shows progress and stops between rows; the output only ever sees one
// row's bytes at once.
//
//   CSV   RFC 4180 in UTF-8 with a byte-order mark, CRLF line ends; a field
//         holding a comma, quote, CR or LF is quoted, its quotes doubled.
//   Text  tab-separated UTF-8 with a byte-order mark, CRLF line ends; inside
//         a field a backslash is written "\\", a tab "\t", a CR "\r" and a
//         LF "\n", so every row is one line and every field reads back.
//   HTML  one self-contained UTF-8 page that loads nothing: the pictures'
//         contact sheet with their thumbnails as data URIs, or for the other
//         lists a table sorted by a click on a column's header.
#pragma once
#include "reports/report_output.h"
#include "reports/report_row.h"

#include <memory>
#include <string>

enum class ReportFormat { Csv, Text, Html };

class ReportWriter {
public:
    virtual ~ReportWriter() = default;
    // Each answers false once the output has failed; nothing more is written.
    // The title is the page's for HTML and unused by the others.
    virtual bool Begin(const std::string& title) = 0;
    virtual bool Row(const ReportRow& row) = 0;
    virtual bool End() = 0;
};

std::unique_ptr<ReportWriter> MakeReportWriter(ReportFormat format, ReportKind kind,
                                               ReportOutput& output);

// The format a file name's extension names (".csv"; ".txt", ".tsv" or ".tab";
// ".htm" or ".html"; any case); false for any other.
bool ReportFormatOfFileName(const std::string& fileName, ReportFormat& format);
