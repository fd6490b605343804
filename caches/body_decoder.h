// Turns a cached response body, stored as the server sent it, back into the
// bytes the page used: the Content-Encoding codings undone one after another,
// streamed through fixed buffers so no body is ever held whole.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Reads the stored (still encoded) body in order: bytes read into buffer, 0 at its end,
// -1 when the store failed (file gone, short read of what the entry promised).
using RawBodyReader = std::function<int64_t(uint8_t* buffer, size_t capacity)>;
// Receives decoded bytes in order; returns false to stop early (the decode then ends Ok).
using DecodedBodySink = std::function<bool(const uint8_t* data, size_t size)>;
using CacheStopCheck = std::function<bool()>;  // true when the caller wants the work to end

enum class BodyDecodeStatus {
    Ok,
    TooLarge,
    Corrupt,
    Truncated,
    Unsupported,
    ReadFailed,
    Cancelled
};

struct BodyDecodeResult {
    BodyDecodeStatus status = BodyDecodeStatus::Ok;
    uint64_t rawBytes = 0;      // stored bytes consumed
    uint64_t decodedBytes = 0;  // bytes handed to the sink (never more than the bound)
};

// contentEncoding is the header's value as stored ("", "gzip", "x-gzip", "deflate", "br",
// "zstd", a list such as "gzip, br", any case). A body with no coding named whose first
// bytes are a zstd frame magic is decoded as zstd. deflate accepts zlib-wrapped and raw.
// Decoding stops with TooLarge once the output would pass outputBound, having handed
// exactly outputBound bytes to the sink.
BodyDecodeResult DecodeBody(const RawBodyReader& raw, const std::string& contentEncoding,
                            uint64_t outputBound, const CacheStopCheck& stop,
                            const DecodedBodySink& sink);
const char* BodyDecodeStatusText(BodyDecodeStatus status);
