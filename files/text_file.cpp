#include "files/text_file.h"

#include "scan/file_content.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// Large enough that the checks between blocks cost nothing, small enough
// that a stop is heard within milliseconds.
constexpr uint64_t blockSize = 1u << 20;

long FindInText(const char* text, const char* searchText)
{
    const char* hit = ::StrStrIA(text, searchText);
    return hit ? static_cast<long>(hit - text) : -1;
}

}  // namespace

std::unique_ptr<char[]> ReadTextFile(const char* path, const StopCheck& stopRequested)
{
    return ReadFileContent(path, maxTextFileSize, stopRequested);
}

// Each block but the last is searched in a copy that holds the search text's
// length less one of the next block as well, so that a hit across two blocks
// is found in the first; the last, which holds nearly every file whole, is
// searched where it lies, up to the text's NUL.
long FindSearchText(const char* text, uint64_t length, const char* searchText,
                    const StopCheck& stopRequested)
{
    if (!*searchText)
        return -1;
    const uint64_t overlap = std::strlen(searchText) - 1;
    std::string block;
    for (uint64_t start = 0; start < length; start += blockSize) {
        if (stopRequested && stopRequested())
            return -1;
        long hit;
        if (length - start <= blockSize + overlap) {
            hit = FindInText(text + start, searchText);
        } else {
            block.assign(text + start, static_cast<size_t>(blockSize + overlap));
            hit = FindInText(block.c_str(), searchText);
        }
        if (hit >= 0)
            return static_cast<long>(start + static_cast<uint64_t>(hit));
    }
    return -1;
}
