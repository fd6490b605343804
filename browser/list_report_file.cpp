#include "browser/list_report_file.h"

#include "browser/row_report.h"
#include "scan/cache_item.h"

#include <windows.h>

#include <memory>

namespace {

// Report rows reach the file unbuffered, one row's bytes per write: the
// stream gathers them.
class FileReportOutput : public ReportOutput {
public:
    explicit FileReportOutput(HANDLE file) : m_file(file) {}
    bool Write(const char* data, size_t size) override
    {
        while (size > 0) {
            const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!::WriteFile(m_file, data, chunk, &written, nullptr) || written != chunk)
                return false;
            data += chunk;
            size -= chunk;
        }
        return true;
    }

private:
    HANDLE m_file;
};

// The folder part of the target, "." for a bare name.
std::string FolderOf(const std::string& target)
{
    const size_t slash = target.find_last_of("\\/");
    if (slash == std::string::npos)
        return ".";
    return slash == 0 || target[slash - 1] == ':' ? target.substr(0, slash + 1)
                                                  : target.substr(0, slash);
}

ListReportResult WriteRows(const ListReport& report, HANDLE file,
                           const std::function<bool(size_t)>& carryOn)
{
    FileReportOutput output(file);
    std::unique_ptr<ReportWriter> writer = MakeReportWriter(report.format, report.kind, output);
    if (!writer || !writer->Begin(report.title))
        return ListReportResult::Failed;
    RowReportSources sources;
    for (size_t done = 0; done < report.rows.size(); ++done) {
        if (carryOn && !carryOn(done))
            return ListReportResult::Stopped;
        ReportRow row = ReportRowOf(*report.rows[done], report.kind, sources);
        if (report.thumbnail) {
            row.thumbnail = report.thumbnail(*report.rows[done]);
            if (!row.thumbnail.empty())
                row.thumbnailType = "image/png";
        }
        if (!writer->Row(row))
            return ListReportResult::Failed;
    }
    return writer->End() ? ListReportResult::Written : ListReportResult::Failed;
}

}  // namespace

ListReportResult WriteListReport(const ListReport& report, const std::string& target,
                                 const std::function<bool(size_t done)>& carryOn)
{
    char partial[MAX_PATH];
    if (target.empty() || target.size() >= MAX_PATH ||
        !::GetTempFileNameA(FolderOf(target).c_str(), "zem", 0, partial))
        return ListReportResult::Failed;
    HANDLE file = ::CreateFileA(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ListReportResult result = ListReportResult::Failed;
    if (file != INVALID_HANDLE_VALUE) {
        result = WriteRows(report, file, carryOn);
        // A full disk may show only when the file is closed.
        if (!::CloseHandle(file) && result == ListReportResult::Written)
            result = ListReportResult::Failed;
    }
    // The save dialog has asked before replacing what the target holds.
    if (result == ListReportResult::Written &&
        !::MoveFileExA(partial, target.c_str(), MOVEFILE_REPLACE_EXISTING))
        result = ListReportResult::Failed;
    if (result != ListReportResult::Written)
        ::DeleteFileA(partial);
    return result;
}
