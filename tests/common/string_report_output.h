// A report's output kept in memory, for the tests and the fuzz target to
// read back.
#pragma once
#include "reports/report_output.h"

#include <string>

class StringOutput : public ReportOutput {
public:
    bool Write(const char* data, size_t size) override
    {
        text.append(data, size);
        return true;
    }
    std::string text;
};
