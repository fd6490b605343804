// cachedump FOLDER [--extract DIR]: one line per entry of a browser's disk
// cache, then a summary; with --extract every readable body, decoded, is
// written into DIR under a name made safe from its URL.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <set>
#include <string>

#include "caches/cache_files.h"
#include "caches/cache_reader.h"
#include "caches/safe_file_name.h"

#ifdef _WIN32
#include "platform/shared_file_open.h"

#include <direct.h>
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

constexpr uint64_t kBodyBound = 64ull * 1024 * 1024;

struct Totals {
    uint64_t entries = 0;
    uint64_t written = 0;
    uint64_t failed = 0;
};

std::string IsoTime(int64_t microsSince1601)
{
    if (microsSince1601 <= 0)
        return "-";
    int64_t seconds = microsSince1601 / 1000000 - 11644473600;
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
#ifdef _WIN32
    if (gmtime_s(&parts, &t) != 0)
        return "-";
#else
    if (!gmtime_r(&t, &parts))
        return "-";
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::string OrDash(const std::string& text)
{
    return text.empty() ? "-" : text;
}

bool HasBody(const CacheEntry& entry)
{
    return entry.body == BodyAvailability::Complete || entry.body == BodyAvailability::Partial;
}

std::string Flags(const CacheEntry& entry, const BodyDecodeResult* decoded)
{
    std::string flags;
    auto add = [&flags](const char* flag) {
        if (!flags.empty())
            flags += ",";
        flags += flag;
    };
    if (entry.body == BodyAvailability::Partial)
        add("partial");
    if (entry.body == BodyAvailability::Unreadable)
        add(entry.problem.find("encrypted") != std::string::npos ? "encrypted" : "unreadable");
    if (entry.body == BodyAvailability::Absent)
        add("no-body");
    if (decoded && decoded->status != BodyDecodeStatus::Ok)
        add(BodyDecodeStatusText(decoded->status));
    return flags.empty() ? "-" : flags;
}

// URLs carry UTF-8; this ANSI program names files in the system code page,
// so the name is converted, with what the code page lacks made '_' (never a
// best-fit look-alike, which could be a separator).
std::string ForFileSystem(const std::string& utf8)
{
#ifdef _WIN32
    int wideLength =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (wideLength <= 0)
        return utf8;
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0],
                        wideLength);
    int ansiLength = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength,
                                         nullptr, 0, "_", nullptr);
    if (ansiLength <= 0)
        return utf8;
    std::string ansi(static_cast<size_t>(ansiLength), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, &ansi[0], ansiLength,
                        "_", nullptr);
    return ansi;
#else
    return utf8;
#endif
}

bool MakeFolder(const std::string& path)
{
    if (CacheFolderExists(path))
        return true;
#ifdef _WIN32
    return _mkdir(path.c_str()) == 0;
#else
    return mkdir(path.c_str(), 0777) == 0;
#endif
}

// Decodes the body into file (when given) or only counts it.
BodyDecodeResult DecodeInto(CacheReader& reader, const CacheEntry& entry, std::FILE* file)
{
    bool writeFailed = false;
    BodyDecodeResult result =
        ReadEntryBody(reader, entry, kBodyBound, nullptr, [&](const uint8_t* data, size_t size) {
            if (file && std::fwrite(data, 1, size, file) != size) {
                writeFailed = true;
                return false;
            }
            return true;
        });
    if (writeFailed)
        result.status = BodyDecodeStatus::ReadFailed;
    return result;
}

BodyDecodeResult Extract(CacheReader& reader, const CacheEntry& entry, const std::string& folder,
                         std::set<std::string>& used, Totals& totals, std::string& name)
{
    name = UniqueFileName(ForFileSystem(SafeFileName(entry.url.empty() ? entry.key : entry.url)),
                          [&](const std::string& candidate) {
                              return used.count(candidate) > 0 ||
                                     CacheFileExists(JoinCachePath(folder, candidate)) ||
                                     CacheFolderExists(JoinCachePath(folder, candidate));
                          });
    BodyDecodeResult result;
    result.status = BodyDecodeStatus::ReadFailed;
    if (name.empty())
        return result;
    used.insert(name);
    std::string path = JoinCachePath(folder, name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "cachedump: cannot write %s\n", path.c_str());
        ++totals.failed;
        return result;
    }
    result = DecodeInto(reader, entry, file);
    bool closed = std::fclose(file) == 0;
    if (closed &&
        (result.status == BodyDecodeStatus::Ok || result.status == BodyDecodeStatus::TooLarge)) {
        ++totals.written;
    } else {
        std::remove(path.c_str());
        ++totals.failed;
        name.clear();
    }
    return result;
}

void PrintEntry(const CacheEntry& entry, CacheFormat format, const BodyDecodeResult* decoded,
                const std::string& written)
{
    std::string decodedSize = decoded ? std::to_string(decoded->decodedBytes) : "-";
    std::printf("%s\t%s\t%s\t%d\t%s\t%s\t%llu\t%s\t%s\t%s", CacheFormatName(format),
                OrDash(entry.url).c_str(), OrDash(entry.topLevelSite).c_str(), entry.status,
                OrDash(entry.contentType).c_str(), OrDash(entry.contentEncoding).c_str(),
                static_cast<unsigned long long>(entry.storedSize), decodedSize.c_str(),
                IsoTime(entry.responseTime).c_str(), Flags(entry, decoded).c_str());
    if (!written.empty())
        std::printf("\t%s", written.c_str());
    if (!entry.problem.empty())
        std::printf("\t(%s)", entry.problem.c_str());
    std::printf("\n");
}

int Usage()
{
    std::fprintf(stderr, "usage: cachedump FOLDER [--extract DIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--extract") == 0))
        return Usage();
    std::string folder = argv[1];
    std::string extractTo = argc == 4 ? argv[3] : "";
#ifdef _WIN32
    SetCacheFileOpener(OpenSharedReadOnly);
#endif
    OpenedCache cache = OpenCacheFolder(folder);
    if (!cache.reader) {
        std::fprintf(stderr, "cachedump: %s: %s\n", folder.c_str(),
                     cache.problem.empty() ? "no cache in this folder" : cache.problem.c_str());
        return 1;
    }
    if (!extractTo.empty() && !MakeFolder(extractTo)) {
        std::fprintf(stderr, "cachedump: cannot make the folder %s\n", extractTo.c_str());
        return 1;
    }
    Totals totals;
    std::set<std::string> used;
    CacheEntry entry;
    while (cache.reader->Next(entry, nullptr)) {
        ++totals.entries;
        BodyDecodeResult decoded;
        std::string written;
        bool body = HasBody(entry);
        if (body && !extractTo.empty())
            decoded = Extract(*cache.reader, entry, extractTo, used, totals, written);
        else if (body)
            decoded = DecodeInto(*cache.reader, entry, nullptr);
        PrintEntry(entry, cache.format, body ? &decoded : nullptr, written);
    }
    std::printf("summary\t%s\tentries=%llu\tskipped=%llu", CacheFormatName(cache.format),
                static_cast<unsigned long long>(totals.entries),
                static_cast<unsigned long long>(cache.reader->SkippedEntries()));
    if (!extractTo.empty())
        std::printf("\twritten=%llu\tfailed=%llu", static_cast<unsigned long long>(totals.written),
                    static_cast<unsigned long long>(totals.failed));
    std::printf("\n");
    return 0;
}
