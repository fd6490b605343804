// Stand-in until the real decoder lands: identity and gzip only, so the readers
// can be driven end to end. Replaced by body_decoder.cpp on merge.
#include "caches/body_decoder.h"

#include <algorithm>
#include <cctype>
#include <vector>
#include <zlib.h>

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Deliver(const uint8_t* data, size_t size, uint64_t bound, BodyDecodeResult& result,
             const DecodedBodySink& sink, bool& stopped)
{
    uint64_t room = bound - result.decodedBytes;
    size_t part = static_cast<size_t>(std::min<uint64_t>(room, size));
    if (part > 0) {
        result.decodedBytes += part;
        if (!sink(data, part)) {
            stopped = true;
            return false;
        }
    }
    if (part < size) {
        result.status = BodyDecodeStatus::TooLarge;
        return false;
    }
    return true;
}

}  // namespace

BodyDecodeResult DecodeBody(const RawBodyReader& raw, const std::string& contentEncoding,
                            uint64_t outputBound, const CacheStopCheck& stop,
                            const DecodedBodySink& sink)
{
    BodyDecodeResult result;
    std::string coding = Lower(contentEncoding);
    bool gzip = coding == "gzip" || coding == "x-gzip";
    if (!coding.empty() && coding != "identity" && !gzip) {
        result.status = BodyDecodeStatus::Unsupported;
        return result;
    }
    std::vector<uint8_t> in(64 * 1024), out(64 * 1024);
    z_stream z{};
    if (gzip && inflateInit2(&z, 15 + 32) != Z_OK) {
        result.status = BodyDecodeStatus::Corrupt;
        return result;
    }
    bool stopped = false, ended = false;
    while (!stopped && !ended) {
        if (stop && stop()) {
            result.status = BodyDecodeStatus::Cancelled;
            break;
        }
        int64_t got = raw(in.data(), in.size());
        if (got < 0) {
            result.status = BodyDecodeStatus::ReadFailed;
            break;
        }
        if (got == 0) {
            if (gzip)
                result.status = BodyDecodeStatus::Truncated;
            break;
        }
        result.rawBytes += static_cast<uint64_t>(got);
        if (!gzip) {
            if (!Deliver(in.data(), static_cast<size_t>(got), outputBound, result, sink, stopped))
                break;
            continue;
        }
        z.next_in = in.data();
        z.avail_in = static_cast<uInt>(got);
        while (z.avail_in > 0 && !stopped) {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            int rc = inflate(&z, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
                result.status = BodyDecodeStatus::Corrupt;
                ended = true;
                break;
            }
            size_t produced = out.size() - z.avail_out;
            if (!Deliver(out.data(), produced, outputBound, result, sink, stopped)) {
                ended = true;
                break;
            }
            if (rc == Z_STREAM_END) {
                ended = true;
                break;
            }
            if (rc == Z_BUF_ERROR)
                break;
        }
    }
    if (gzip)
        inflateEnd(&z);
    return result;
}

const char* BodyDecodeStatusText(BodyDecodeStatus status)
{
    switch (status) {
    case BodyDecodeStatus::Ok:
        return "ok";
    case BodyDecodeStatus::TooLarge:
        return "too large";
    case BodyDecodeStatus::Corrupt:
        return "corrupt";
    case BodyDecodeStatus::Truncated:
        return "truncated";
    case BodyDecodeStatus::Unsupported:
        return "unsupported encoding";
    case BodyDecodeStatus::ReadFailed:
        return "read failed";
    case BodyDecodeStatus::Cancelled:
        return "cancelled";
    }
    return "unknown";
}
