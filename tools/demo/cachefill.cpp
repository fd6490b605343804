// Fills the Internet cache through WinINet, as a web browser would: each
// line of the manifest names a source URL, a file whose bytes the browser
// "downloaded", and the local date the file was last written.
//
//   cachefill MANIFEST      lines: URL <TAB> FILE <TAB> YYYY-MM-DD
//   cachefill --clear       removes every entry of the cache
//
// Prints one line per committed entry: the URL and the cache file's path.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Entry {
    std::string url;
    std::string source;
    SYSTEMTIME date = {};
};

bool ParseLine(const std::string& line, Entry& entry)
{
    std::istringstream fields(line);
    std::string date;
    if (!std::getline(fields, entry.url, '\t') || !std::getline(fields, entry.source, '\t') ||
        !std::getline(fields, date))
        return false;
    int year = 0, month = 0, day = 0;
    if (std::sscanf(date.c_str(), "%d-%d-%d", &year, &month, &day) != 3)
        return false;
    entry.date.wYear = static_cast<WORD>(year);
    entry.date.wMonth = static_cast<WORD>(month);
    entry.date.wDay = static_cast<WORD>(day);
    entry.date.wHour = 12;
    return true;
}

std::string ExtensionOf(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    return path.substr(dot + 1);
}

void SetLocalWriteTime(const char* path, const SYSTEMTIME& local)
{
    FILETIME localTime, utc;
    ::SystemTimeToFileTime(&local, &localTime);
    ::LocalFileTimeToFileTime(&localTime, &utc);
    HANDLE file = ::CreateFileA(path, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::SetFileTime(file, nullptr, nullptr, &utc);
        ::CloseHandle(file);
    }
}

bool Commit(const Entry& entry)
{
    char local[MAX_PATH] = {};
    std::string extension = ExtensionOf(entry.source);
    if (!::CreateUrlCacheEntryA(entry.url.c_str(), 0, extension.c_str(), local, 0))
        return false;
    if (!::CopyFileA(entry.source.c_str(), local, FALSE))
        return false;
    SetLocalWriteTime(local, entry.date);
    FILETIME modified, never = {};
    ::SystemTimeToFileTime(&entry.date, &modified);
    static const char headers[] = "HTTP/1.1 200 OK\r\n\r\n";
    if (!::CommitUrlCacheEntryA(entry.url.c_str(), local, never, modified, NORMAL_CACHE_ENTRY,
                                reinterpret_cast<BYTE*>(const_cast<char*>(headers)),
                                sizeof headers - 1, extension.c_str(), nullptr))
        return false;
    std::printf("%s\t%s\n", entry.url.c_str(), local);
    return true;
}

int ClearCache()
{
    std::vector<char> buffer(16384);
    DWORD size = static_cast<DWORD>(buffer.size());
    auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    HANDLE search = ::FindFirstUrlCacheEntryA(nullptr, info, &size);
    if (!search)
        return 0;
    std::vector<std::string> urls;
    do {
        urls.emplace_back(info->lpszSourceUrlName);
        size = static_cast<DWORD>(buffer.size());
    } while (::FindNextUrlCacheEntryA(search, info, &size));
    ::FindCloseUrlCache(search);
    for (const std::string& url : urls)
        ::DeleteUrlCacheEntryA(url.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--clear") == 0)
        return ClearCache();
    if (argc != 2) {
        std::fprintf(stderr, "usage: cachefill MANIFEST | --clear\n");
        return 2;
    }
    std::ifstream manifest(argv[1]);
    if (!manifest) {
        std::fprintf(stderr, "cachefill: cannot read %s\n", argv[1]);
        return 2;
    }
    int failures = 0;
    std::string line;
    while (std::getline(manifest, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        Entry entry;
        if (line.empty() || line[0] == '#')
            continue;
        if (!ParseLine(line, entry) || !Commit(entry)) {
            std::fprintf(stderr, "cachefill: could not commit %s\n", line.c_str());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
