// The writers behind MakeReportWriter, one per format and kind of page.
#pragma once
#include "reports/report_writer.h"

std::unique_ptr<ReportWriter> MakeCsvWriter(ReportKind kind, ReportOutput& output);
std::unique_ptr<ReportWriter> MakeTextWriter(ReportKind kind, ReportOutput& output);
std::unique_ptr<ReportWriter> MakeHtmlTableWriter(ReportKind kind, ReportOutput& output);
std::unique_ptr<ReportWriter> MakeContactSheetWriter(ReportOutput& output);
