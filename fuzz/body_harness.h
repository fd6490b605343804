// What the body fuzz targets share: one input decoded twice through
// DecodeBody, once handed over whole and once in reads of a few bytes; the
// two must agree on the status and every decoded byte, and both must keep
// the output bound. Each target names the Content-Encoding value it decodes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "caches/body_decoder.h"

namespace fuzz {

// A trap rather than abort(): libFuzzer reports it as a crash with the stack.
inline void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Small enough that a bomb costs little time, large enough to cross the
// decoders' 64 KiB buffers many times.
constexpr uint64_t kBodyBound = 1 << 20;

struct BodyDecode {
    BodyDecodeResult result;
    uint64_t hash = 14695981039346656037ull;  // FNV-1a of the decoded bytes
};

// step 0 hands the input over in one read; otherwise reads of 1 to step bytes.
inline BodyDecode DecodeInSteps(const uint8_t* data, size_t size, const std::string& coding,
                                size_t step)
{
    size_t offset = 0;
    size_t turn = 0;
    RawBodyReader reader = [&](uint8_t* buffer, size_t capacity) -> int64_t {
        size_t count = step == 0 ? size - offset : 1 + turn++ % step;
        if (count > size - offset)
            count = size - offset;
        if (count > capacity)
            count = capacity;
        for (size_t i = 0; i < count; ++i)
            buffer[i] = data[offset + i];
        offset += count;
        return static_cast<int64_t>(count);
    };
    BodyDecode decode;
    uint64_t received = 0;
    decode.result =
        DecodeBody(reader, coding, kBodyBound, nullptr, [&](const uint8_t* bytes, size_t count) {
            Check(count > 0);
            received += count;
            for (size_t i = 0; i < count; ++i)
                decode.hash = (decode.hash ^ bytes[i]) * 1099511628211ull;
            return true;
        });
    Check(received == decode.result.decodedBytes);
    Check(received <= kBodyBound);
    Check(decode.result.rawBytes <= size);
    if (decode.result.status == BodyDecodeStatus::TooLarge)
        Check(received == kBodyBound);
    return decode;
}

inline void DecodeBothWays(const uint8_t* data, size_t size, const std::string& coding)
{
    BodyDecode whole = DecodeInSteps(data, size, coding, 0);
    BodyDecode pieces = DecodeInSteps(data, size, coding, 7);
    Check(whole.result.status == pieces.result.status);
    Check(whole.result.decodedBytes == pieces.result.decodedBytes);
    Check(whole.hash == pieces.hash);
}

}  // namespace fuzz
