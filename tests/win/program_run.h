// Another program of the tree run to its end as a script would run it, its
// standard output and error captured.
#pragma once
#include <windows.h>

#include <string>

struct ProgramRun {
    DWORD status = 0xFFFFFFFF;  // the exit code; this value when it did not end
    std::string output;
    std::string problems;
};

// The output goes through files in the scratch folder, not pipes, so a
// program that starts others cannot hold the test's end open.
ProgramRun RunProgram(const char* exe, const std::string& commandLine,
                      const std::string& scratch, DWORD timeoutMs = 180000);
