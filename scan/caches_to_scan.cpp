#include "scan/caches_to_scan.h"

#include <windows.h>

namespace {
constexpr char listVariable[] = "ZEMA_BROWSER_CACHES";
// Far beyond any list of a user's caches; a longer value is not read.
constexpr DWORD longestList = 32767;
}  // namespace

std::vector<CacheToScan> ParseCacheList(const std::string& text)
{
    std::vector<CacheToScan> caches;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        std::string pair = text.substr(start, end - start);
        size_t equals = pair.find('=');
        if (equals != std::string::npos && equals > 0 && equals + 1 < pair.size())
            caches.push_back({ pair.substr(0, equals), pair.substr(equals + 1) });
        start = end + 1;
    }
    return caches;
}

std::vector<CacheToScan> CachesToScan()
{
    std::string text(longestList, '\0');
    DWORD length = ::GetEnvironmentVariableA(listVariable, &text[0], longestList);
    if (length == 0 || length >= longestList)
        return {};
    text.resize(length);
    return ParseCacheList(text);
}
