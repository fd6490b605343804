#include "reports/report_writer.h"

#include "reports/report_writers.h"

std::unique_ptr<ReportWriter> MakeReportWriter(ReportFormat format, ReportKind kind,
                                               ReportOutput& output)
{
    switch (format) {
    case ReportFormat::Csv:
        return MakeCsvWriter(kind, output);
    case ReportFormat::Text:
        return MakeTextWriter(kind, output);
    case ReportFormat::Html:
        break;
    }
    return kind == ReportKind::Pictures ? MakeContactSheetWriter(output)
                                        : MakeHtmlTableWriter(kind, output);
}

bool ReportFormatOfFileName(const std::string& fileName, ReportFormat& format)
{
    const size_t dot = fileName.find_last_of("./\\");
    if (dot == std::string::npos || fileName[dot] != '.')
        return false;
    std::string extension = fileName.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    static const struct {
        const char* extension;
        ReportFormat format;
    } kExtensions[] = {
        { "csv", ReportFormat::Csv },  { "txt", ReportFormat::Text },
        { "tsv", ReportFormat::Text }, { "tab", ReportFormat::Text },
        { "htm", ReportFormat::Html }, { "html", ReportFormat::Html },
    };
    for (const auto& known : kExtensions) {
        if (extension == known.extension) {
            format = known.format;
            return true;
        }
    }
    return false;
}
