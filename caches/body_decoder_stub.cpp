// Stand-in for the body decoder until the real one is merged: one coding per
// body (identity, gzip/deflate, br, zstd), bounded output. Built only while
// caches/body_decoder.cpp is absent.
#include "caches/body_decoder.h"

#include <zlib.h>
#ifdef ZEMA_STUB_BROTLI_ZSTD
#include <brotli/decode.h>
#include <zstd.h>
#endif

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

struct Output {
    const DecodedBodySink& sink;
    uint64_t bound;
    BodyDecodeResult& result;
    bool stopped = false;
    // False when decoding must end (bound passed or the sink had enough).
    bool Put(const uint8_t* data, size_t size)
    {
        uint64_t room = bound - result.decodedBytes;
        size_t take = static_cast<size_t>(std::min<uint64_t>(room, size));
        if (take && !sink(data, take)) {
            result.decodedBytes += take;
            stopped = true;
            return false;
        }
        result.decodedBytes += take;
        if (take < size) {
            result.status = BodyDecodeStatus::TooLarge;
            return false;
        }
        return true;
    }
};

std::string Coding(const std::string& header)
{
    std::string lower;
    for (char c : header) {
        if (c != ' ' && c != '\t')
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

}  // namespace

BodyDecodeResult DecodeBody(const RawBodyReader& raw, const std::string& contentEncoding,
                            uint64_t outputBound, const CacheStopCheck& stop,
                            const DecodedBodySink& sink)
{
    BodyDecodeResult result;
    Output out{ sink, outputBound, result };
    std::string coding = Coding(contentEncoding);
    std::vector<uint8_t> in(64 * 1024), buffer(64 * 1024);
    z_stream z{};
    bool zlib = coding == "gzip" || coding == "x-gzip" || coding == "deflate";
    if (zlib && inflateInit2(&z, 15 + 32) != Z_OK) {
        result.status = BodyDecodeStatus::Corrupt;
        return result;
    }
#ifdef ZEMA_STUB_BROTLI_ZSTD
    BrotliDecoderState* br =
        coding == "br" ? BrotliDecoderCreateInstance(nullptr, nullptr, nullptr) : nullptr;
    ZSTD_DStream* zs = coding == "zstd" ? ZSTD_createDStream() : nullptr;
#else
    if (coding == "br" || coding == "zstd")
        result.status = BodyDecodeStatus::Unsupported;
#endif
    bool ended = false;
    while (result.status == BodyDecodeStatus::Ok && !out.stopped) {
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
            if ((zlib || !coding.empty()) && !ended)
                result.status = BodyDecodeStatus::Truncated;
            break;
        }
        result.rawBytes += static_cast<uint64_t>(got);
        if (zlib) {
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(got);
            while (z.avail_in > 0 && !ended) {
                z.next_out = buffer.data();
                z.avail_out = static_cast<uInt>(buffer.size());
                int rc = inflate(&z, Z_NO_FLUSH);
                if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
                    result.status = BodyDecodeStatus::Corrupt;
                    break;
                }
                if (!out.Put(buffer.data(), buffer.size() - z.avail_out))
                    break;
                ended = rc == Z_STREAM_END;
                if (rc == Z_BUF_ERROR)
                    break;
            }
#ifdef ZEMA_STUB_BROTLI_ZSTD
        } else if (br) {
            size_t availIn = static_cast<size_t>(got);
            const uint8_t* next = in.data();
            while (!ended) {
                size_t availOut = buffer.size();
                uint8_t* nextOut = buffer.data();
                BrotliDecoderResult rc = BrotliDecoderDecompressStream(
                    br, &availIn, &next, &availOut, &nextOut, nullptr);
                if (rc == BROTLI_DECODER_RESULT_ERROR) {
                    result.status = BodyDecodeStatus::Corrupt;
                    break;
                }
                if (!out.Put(buffer.data(), buffer.size() - availOut))
                    break;
                ended = rc == BROTLI_DECODER_RESULT_SUCCESS;
                if (rc == BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT)
                    break;
            }
        } else if (zs) {
            ZSTD_inBuffer input{ in.data(), static_cast<size_t>(got), 0 };
            while (input.pos < input.size || !ended) {
                ZSTD_outBuffer output{ buffer.data(), buffer.size(), 0 };
                size_t rc = ZSTD_decompressStream(zs, &output, &input);
                if (ZSTD_isError(rc)) {
                    result.status = BodyDecodeStatus::Corrupt;
                    break;
                }
                if (!out.Put(buffer.data(), output.pos))
                    break;
                ended = rc == 0;
                if (output.pos < output.size && input.pos == input.size)
                    break;
            }
#endif
        } else if (coding.empty() || coding == "identity") {
            out.Put(in.data(), static_cast<size_t>(got));
        } else {
            result.status = BodyDecodeStatus::Unsupported;
        }
    }
    if (zlib)
        inflateEnd(&z);
#ifdef ZEMA_STUB_BROTLI_ZSTD
    if (br)
        BrotliDecoderDestroyInstance(br);
    if (zs)
        ZSTD_freeDStream(zs);
#endif
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
        return "unsupported";
    case BodyDecodeStatus::ReadFailed:
        return "read failed";
    case BodyDecodeStatus::Cancelled:
        return "cancelled";
    }
    return "unknown";
}
