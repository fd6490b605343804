// A writer's bytes on their way out: gathered for one row, then handed to
// the output in a single write (an output may be a file written without a
// buffer of its own). Once a write fails, nothing more is written.
#pragma once
#include "reports/report_output.h"

#include <string>

class ReportStream {
public:
    explicit ReportStream(ReportOutput& output) : m_output(output) {}

    std::string& Text() { return m_text; }
    // Writes what was gathered and starts anew; false once any write failed.
    bool Flush();

private:
    ReportOutput& m_output;
    std::string m_text;
    bool m_failed = false;
};
