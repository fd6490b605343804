#include "caches/body_decoder.h"

#include <vector>

#include "caches/body_stream.h"
#include "caches/content_coding.h"

namespace {

// RFC 8878's frame magic, little-endian on disk.
constexpr uint8_t kZstdMagic[4] = { 0x28, 0xB5, 0x2F, 0xFD };

std::unique_ptr<BodySource> MakeDecoder(ContentCoding coding, BodySource& upstream,
                                        BodyDecodeState& state)
{
    switch (coding) {
    case ContentCoding::Gzip:
        return MakeGzipSource(upstream, state);
    case ContentCoding::Deflate:
        return MakeDeflateSource(upstream, state);
    case ContentCoding::Brotli:
        return MakeBrotliSource(upstream, state);
    case ContentCoding::Zstd:
        return MakeZstdSource(upstream, state);
    }
    return nullptr;
}

// Chromium stores bodies it compressed itself with zstd and no header saying so.
bool StartsWithZstdFrame(RawBodySource& raw, bool& failed)
{
    const uint8_t* data = nullptr;
    size_t size = 0;
    failed = !raw.Peek(sizeof(kZstdMagic), data, size);
    if (failed || size < sizeof(kZstdMagic))
        return false;
    for (size_t i = 0; i < sizeof(kZstdMagic); ++i) {
        if (data[i] != kZstdMagic[i])
            return false;
    }
    return true;
}

// Pulls decoded chunks and hands them on until the end, the bound, the
// sink's refusal, a failure or the caller's stop.
void Pump(BodySource& top, BodyDecodeState& state, uint64_t outputBound,
          const DecodedBodySink& sink, BodyDecodeResult& result)
{
    std::unique_ptr<uint8_t[]> chunk(new uint8_t[kBodyChunkSize]);
    for (;;) {
        if (state.StopWanted()) {
            state.Fail(BodyDecodeStatus::Cancelled);
            return;
        }
        int64_t got = top.Read(chunk.get(), kBodyChunkSize);
        if (got <= 0)
            return;
        uint64_t room = outputBound - result.decodedBytes;
        uint64_t handed = static_cast<uint64_t>(got) > room ? room : static_cast<uint64_t>(got);
        bool more = handed == 0 || sink(chunk.get(), static_cast<size_t>(handed));
        result.decodedBytes += handed;
        if (handed < static_cast<uint64_t>(got)) {
            state.Fail(BodyDecodeStatus::TooLarge);
            return;
        }
        if (!more)
            return;
    }
}

}  // namespace

BodyDecodeResult DecodeBody(const RawBodyReader& raw, const std::string& contentEncoding,
                            uint64_t outputBound, const CacheStopCheck& stop,
                            const DecodedBodySink& sink)
{
    BodyDecodeResult result;
    std::vector<ContentCoding> codings;
    if (!ParseContentCodings(contentEncoding, codings)) {
        result.status = BodyDecodeStatus::Unsupported;
        return result;
    }
    BodyDecodeState state(stop);
    RawBodySource rawSource(raw, state);
    if (codings.empty()) {
        bool failed = false;
        if (StartsWithZstdFrame(rawSource, failed))
            codings.push_back(ContentCoding::Zstd);
        if (failed) {
            result.status = state.Status();
            result.rawBytes = state.RawBytes();
            return result;
        }
    }
    // The last coding the sender applied is the first undone.
    std::vector<std::unique_ptr<BodySource>> decoders;
    BodySource* top = &rawSource;
    for (auto coding = codings.rbegin(); coding != codings.rend(); ++coding) {
        decoders.push_back(MakeDecoder(*coding, *top, state));
        top = decoders.back().get();
    }
    Pump(*top, state, outputBound, sink, result);
    result.status = state.Status();
    result.rawBytes = state.RawBytes();
    return result;
}

const char* BodyDecodeStatusText(BodyDecodeStatus status)
{
    switch (status) {
    case BodyDecodeStatus::Ok:
        return "ok";
    case BodyDecodeStatus::TooLarge:
        return "larger than the bound";
    case BodyDecodeStatus::Corrupt:
        return "corrupt";
    case BodyDecodeStatus::Truncated:
        return "truncated";
    case BodyDecodeStatus::Unsupported:
        return "unsupported coding";
    case BodyDecodeStatus::ReadFailed:
        return "read failed";
    case BodyDecodeStatus::Cancelled:
        return "cancelled";
    }
    return "unknown";
}
