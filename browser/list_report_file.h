// A list written as a report file: the part of Save List that needs no
// window, so a caller without one writes the same file.
#pragma once
#include "reports/report_writer.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct CacheItem;

struct ListReport {
    std::vector<const CacheItem*> rows;
    ReportFormat format = ReportFormat::Csv;
    ReportKind kind = ReportKind::Files;
    std::string title;  // UTF-8, the HTML page's
    // A picture row's thumbnail as PNG bytes, or "" (the contact sheet then
    // shows none); unset for no thumbnails.
    std::function<std::string(const CacheItem&)> thumbnail;
};

enum class ListReportResult { Written, Stopped, Failed };

// Writes the report to a temporary file in the target's folder and moves it
// over the target only when every row is in: a stop (carryOn answering false,
// asked before each row with the rows done so far) or a failure leaves the
// target as it was and no temporary file behind. The records must outlive
// the call.
ListReportResult WriteListReport(const ListReport& report, const std::string& target,
                                 const std::function<bool(size_t done)>& carryOn);
