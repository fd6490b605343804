#include "tests/win/program_run.h"

#include "tests/common/served_manifest.h"

namespace {

HANDLE InheritedFile(const std::string& path)
{
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, nullptr, TRUE };
    return ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string ReadAndRemove(const std::string& file)
{
    std::string text = ReadWholeFile(file);
    ::DeleteFileA(file.c_str());
    return text;
}

}  // namespace

ProgramRun RunProgram(const char* exe, const std::string& commandLine, const std::string& scratch,
                      DWORD timeoutMs)
{
    ProgramRun run;
    const std::string outPath = scratch + "\\stdout.txt", errPath = scratch + "\\stderr.txt";
    HANDLE out = InheritedFile(outPath), err = InheritedFile(errPath);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process;
    std::string line = commandLine;
    if (::CreateProcessA(exe, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                         &process)) {
        if (::WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(process.hProcess, &run.status);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(out);
    ::CloseHandle(err);
    run.output = ReadAndRemove(outPath);
    run.problems = ReadAndRemove(errPath);
    return run;
}
