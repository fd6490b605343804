// The columns every tabular report shares, in order, with each cell's text:
// CSV, tab-separated text and the HTML table differ only in how they write
// a cell, never in what it says.
#pragma once
#include "reports/report_row.h"

#include <string>
#include <vector>

enum class CellKind {
    Text,
    Link,    // a URL: a link in HTML when its scheme allows it
    Number,  // digits only (or empty): right-aligned, sorted by value
};

struct ReportColumn {
    const char* title;
    CellKind kind;
    // Appends the row's cell to out, unescaped.
    void (*cell)(const ReportRow& row, std::string& out);
};

// Name, URL, visited site, cache, content type, encoding, stored and decoded
// sizes, cached time in UTC and local time; pictures add width and height.
const std::vector<ReportColumn>& ReportColumns(ReportKind kind);
