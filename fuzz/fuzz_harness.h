// What the codec fuzz targets share: one decode with the follow-up work a
// viewer does on what decoded. Each target is a file of a few lines naming
// its format; fuzz/targets.txt gives its input bound and seeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "images/codec/image_decoders.h"
#include "images/codec/image_gif.h"
#include "images/codec/metafile_records.h"

namespace fuzz {

// A trap rather than abort(): libFuzzer reports it as a crash with the stack,
// and nothing in the codec installs a handler that could swallow it.
inline void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The first byte asks now and then for the second page or component.
inline int32_t FrameFromFirstByte(const uint8_t* data, size_t size)
{
    return size > 0 ? data[0] & 1 : 0;
}

// The last byte picks a later frame of the animated formats.
inline int32_t FrameFromLastByte(const uint8_t* data, size_t size)
{
    return size > 0 ? data[size - 1] & 3 : 0;
}

// Two rescales of a small picture, to fewer and to more rows than it has:
// the rescalers read every row the decoder claims to hold. Pictures above 64K
// pixels are left alone, as their rescale only costs time.
inline void RescaleSmall(CImageObject& image)
{
    if (image.HasPixels() && static_cast<uint64_t>(image.Width()) * image.Height() <= 1 << 16) {
        image.Rescale(13, 7, ResampleMode::kSmooth, nullptr);
        image.Rescale(17, 9, ResampleMode::kBSpline, nullptr);
    }
}

// Decodes as `type` (kImageUnknown detects) and rescales what decoded.
inline void Decode(const uint8_t* data, size_t size, uint32_t type, int32_t frame)
{
    CImageObject image;
    image.SetFrame(frame);
    CMemoryStream stream(data, size);
    image.Decode(stream, type);
    RescaleSmall(image);
}

// The usual call of a still format: its first or second page.
inline void DecodeStill(const uint8_t* data, size_t size, uint32_t type)
{
    Decode(data, size, type, FrameFromFirstByte(data, size));
}

// GIF's frame count the fast way (frames kept from the count) and the plain
// way (counted, thrown away, decoded again) must give the same picture of
// the same frame; the fast one is then rescaled like any other.
inline void CompareGifReadings(const uint8_t* data, size_t size, int32_t frame)
{
    CImageObject fast, plain;
    fast.SetFrame(frame);
    plain.SetFrame(frame);
    plain.Settings().codecOptions[kImageGIF] = kGifPlainFrameCount;
    CMemoryStream a(data, size), b(data, size);
    Check(fast.Decode(a, kImageGIF) == plain.Decode(b, kImageGIF));
    // The same outcome, and the same words for it to the user.
    Check(fast.Status() == plain.Status());
    Check(strcmp(fast.LastError(), plain.LastError()) == 0);
    Check(fast.FrameCount() == plain.FrameCount());
    Check(fast.TransparentIndex() == plain.TransparentIndex());
    Check(fast.HasPixels() == plain.HasPixels());
    if (fast.HasPixels()) {
        Check(fast.BlockSize() == plain.BlockSize());
        Check(memcmp(fast.Block(), plain.Block(), fast.BlockSize()) == 0);
    }
    RescaleSmall(fast);
}

}  // namespace fuzz
