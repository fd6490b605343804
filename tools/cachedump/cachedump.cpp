// cachedump FOLDER [--body N OUT]: one line per entry of a browser cache folder
// (format, status, type, encoding, stored size, body state, URL, top-level site,
// problem); with --body, entry N's decoded body is written to OUT.
#include "caches/cache_reader.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* AvailabilityName(BodyAvailability body)
{
    switch (body) {
    case BodyAvailability::Complete:
        return "complete";
    case BodyAvailability::Partial:
        return "partial";
    case BodyAvailability::Unreadable:
        return "unreadable";
    case BodyAvailability::Absent:
        break;
    }
    return "absent";
}

int WriteBody(CacheReader& reader, const CacheEntry& entry, const char* outPath)
{
    std::FILE* out = std::fopen(outPath, "wb");
    if (!out) {
        std::fprintf(stderr, "cachedump: cannot write %s\n", outPath);
        return 1;
    }
    BodyDecodeResult result = ReadEntryBody(reader, entry, UINT64_C(1) << 32, nullptr,
                                            [out](const uint8_t* data, size_t size) {
                                                return std::fwrite(data, 1, size, out) == size;
                                            });
    std::fclose(out);
    std::printf("body: %s, %" PRIu64 " stored bytes, %" PRIu64 " decoded\n",
                BodyDecodeStatusText(result.status), result.rawBytes, result.decodedBytes);
    return result.status == BodyDecodeStatus::Ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 5) {
        std::fprintf(stderr, "usage: cachedump FOLDER [--body N OUT]\n");
        return 2;
    }
    long wanted = argc == 5 ? std::strtol(argv[3], nullptr, 10) : -1;
    OpenedCache opened = OpenCacheFolder(argv[1]);
    if (!opened.reader) {
        std::printf("%s: %s\n", CacheFormatName(opened.format), opened.problem.c_str());
        return 1;
    }
    CacheEntry entry;
    long number = 0;
    while (opened.reader->Next(entry, nullptr)) {
        if (number == wanted)
            return WriteBody(*opened.reader, entry, argv[4]);
        if (wanted < 0)
            std::printf("%ld\t%s\t%d\t%s\t%s\t%" PRIu64 "\t%s\t%s\t%s\t%s\n", number,
                        CacheFormatName(opened.format), entry.status, entry.contentType.c_str(),
                        entry.contentEncoding.c_str(), entry.storedSize,
                        AvailabilityName(entry.body), entry.url.c_str(), entry.topLevelSite.c_str(),
                        entry.problem.c_str());
        ++number;
    }
    if (wanted >= 0) {
        std::fprintf(stderr, "cachedump: no entry %ld\n", wanted);
        return 1;
    }
    std::printf("%ld entries, %" PRIu64 " skipped\n", number, opened.reader->SkippedEntries());
    return 0;
}
