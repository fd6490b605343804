// Where a report's bytes go, in order, as the writers make them: a row at a
// time, so no report is ever held whole in memory.
#pragma once

#include <cstddef>
#include <cstdio>

class ReportOutput {
public:
    virtual ~ReportOutput() = default;
    // False when the bytes could not be written; the writer then stops.
    virtual bool Write(const char* data, size_t size) = 0;
};

// A stdio stream the caller opened for binary writing and closes itself
// (checking fclose's result, where a full disk may show first).
class StdioReportOutput : public ReportOutput {
public:
    explicit StdioReportOutput(std::FILE* file) : m_file(file) {}
    bool Write(const char* data, size_t size) override
    {
        return size == 0 || std::fwrite(data, 1, size, m_file) == size;
    }

private:
    std::FILE* m_file;
};
