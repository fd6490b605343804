// WebP through libwebp: lossy, lossless and alpha stills decoded straight
// into the picture, animations composed on their canvas by the demux
// library's frame decoder. 24 bits, alpha kept as the alpha mask.
#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "images/codec/alpha_split.h"
#include "images/codec/decode_util.h"
#include "images/codec/image_decoders.h"

namespace {

// The library reports a status code only; its own names for them are the
// texts its tools print.
const char* StatusText(VP8StatusCode status)
{
    switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY:
        return "WebP: OUT_OF_MEMORY";
    case VP8_STATUS_INVALID_PARAM:
        return "WebP: INVALID_PARAM";
    case VP8_STATUS_BITSTREAM_ERROR:
        return "WebP: BITSTREAM_ERROR";
    case VP8_STATUS_UNSUPPORTED_FEATURE:
        return "WebP: UNSUPPORTED_FEATURE";
    case VP8_STATUS_SUSPENDED:
        return "WebP: SUSPENDED";
    case VP8_STATUS_USER_ABORT:
        return "WebP: USER_ABORT";
    case VP8_STATUS_NOT_ENOUGH_DATA:
        return "WebP: NOT_ENOUGH_DATA";
    default:
        return "WebP: decoding failed";
    }
}

bool IsWebP(const uint8_t* d, size_t n)
{
    return n >= 12 && memcmp(d, "RIFF", 4) == 0 && memcmp(d + 8, "WEBP", 4) == 0;
}

// A lossy key frame codes at least two bits of modes per 16 x 16 macroblock
// with the fixed key-frame probabilities, so no sound stream carries more
// than about 1000 pixels per byte. Four times that is refused before the
// picture is made; a lossless stream can be far denser and is not checked.
const uint64_t kLossyPixelsPerByte = 4096;

// Splits top-down blue, green, red, alpha rows into the picture's bottom-up
// rows and its alpha mask.
void SplitAlpha(const uint8_t* bgra, size_t rowBytes, CImageObject& image)
{
    const int32_t height = image.Height();
    const size_t width = static_cast<size_t>(image.Width());
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = bgra + rowBytes * static_cast<size_t>(y);
        const int32_t memoryRow = height - 1 - y;
        SplitAlphaRow(in, image.Row(memoryRow),
                      image.AlphaMask() + width * static_cast<size_t>(memoryRow), width);
    }
}

// The library's status codes as the picture's.
DecodeStatus StatusOf(VP8StatusCode status)
{
    switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY:
        return DecodeStatus::kTooLarge;
    case VP8_STATUS_UNSUPPORTED_FEATURE:
        return DecodeStatus::kUnsupported;
    case VP8_STATUS_USER_ABORT:
        return DecodeStatus::kCancelled;
    default:
        return DecodeStatus::kCorrupt;
    }
}

DecodeFailure Failure(VP8StatusCode status)
{
    return { StatusOf(status), StatusText(status) };
}

// Releases whatever was made and records the failure; always false.
bool Fail(CImageObject& image, const DecodeFailure& failure)
{
    image.Release();
    return image.Fail(failure);
}

// The picture's own rows as the library's output: its top row is the last
// in memory, so the rows are written with a negative stride.
void OutputToPicture(WebPDecBuffer& output, CImageObject& image)
{
    output.colorspace = MODE_BGR;
    output.is_external_memory = 1;
    output.u.RGBA.rgba = image.Row(image.Height() - 1);
    output.u.RGBA.stride = -static_cast<int>(image.Stride());
    output.u.RGBA.size = static_cast<size_t>(image.Stride()) * static_cast<size_t>(image.Height());
}

bool DecodeStill(CImageObject& image, const std::vector<uint8_t>& data,
                 const WebPBitstreamFeatures& features)
{
    const uint32_t width = static_cast<uint32_t>(features.width),
                   height = static_cast<uint32_t>(features.height);
    // The lossless decoder holds a 32-bit pixel of its own for each of ours.
    if (!CImageObject::WithinMemoryBound(width, height, 32))
        return Fail(image, { DecodeStatus::kTooLarge, "IMAGE_MAX_MEMORY exceeded" });
    if (features.format == 1 &&
        static_cast<uint64_t>(width) * height > (data.size() + 1) * kLossyPixelsPerByte)
        return Fail(image, Failure(VP8_STATUS_NOT_ENOUGH_DATA));
    if (image.Escape())
        return Fail(image, { DecodeStatus::kCancelled, "Cancelled" });
    if (!image.Create(width, height, 24, kImageWEBP))
        return false;  // Create's status and text
    const bool alpha = features.has_alpha != 0;
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return Fail(image, Failure(VP8_STATUS_INVALID_PARAM));
    std::unique_ptr<uint8_t[]> bgra;
    const size_t bgraStride = static_cast<size_t>(width) * 4;
    if (alpha) {
        // Colour and alpha come interleaved; they are parted after decoding.
        bgra.reset(new (std::nothrow) uint8_t[bgraStride * height]);
        if (!bgra || !image.AllocateAlpha())
            return Fail(image,
                        { DecodeStatus::kTooLarge, "CImageObject::Create can't allocate memory" });
        config.output.colorspace = MODE_BGRA;
        config.output.is_external_memory = 1;
        config.output.u.RGBA.rgba = bgra.get();
        config.output.u.RGBA.stride = static_cast<int>(bgraStride);
        config.output.u.RGBA.size = bgraStride * height;
    } else {
        OutputToPicture(config.output, image);
    }
    const VP8StatusCode status = WebPDecode(data.data(), data.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
        return Fail(image, Failure(status));
    if (alpha)
        SplitAlpha(bgra.get(), bgraStride, image);
    return true;
}

struct AnimDecoderDelete {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};
using AnimDecoder = std::unique_ptr<WebPAnimDecoder, AnimDecoderDelete>;

// Decodes frames up to the requested one on the canvas; each is drawn over
// what the earlier ones left. The escape callback is asked before each.
bool DecodeAnimation(CImageObject& image, const std::vector<uint8_t>& data,
                     const WebPBitstreamFeatures& features)
{
    // The demux library keeps two 32-bit canvases of the container's size.
    if (!CImageObject::WithinMemoryBound(static_cast<uint32_t>(features.width),
                                         static_cast<uint32_t>(features.height), 64))
        return Fail(image, { DecodeStatus::kTooLarge, "IMAGE_MAX_MEMORY exceeded" });
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return Fail(image, Failure(VP8_STATUS_INVALID_PARAM));
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData whole = { data.data(), data.size() };
    AnimDecoder decoder(WebPAnimDecoderNew(&whole, &options));
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info) || info.frame_count == 0)
        return Fail(image, Failure(VP8_STATUS_BITSTREAM_ERROR));
    image.Settings().frameCount = static_cast<int32_t>(info.frame_count);
    const int32_t wanted = image.Settings().frame;
    if (wanted < 0 || static_cast<uint32_t>(wanted) >= info.frame_count)
        return Fail(image, { DecodeStatus::kNoFrame, "wrong frame!" });
    uint8_t* canvas = nullptr;
    int timestamp = 0, previous = 0;
    for (int32_t f = 0; f <= wanted; ++f) {
        previous = timestamp;
        if (image.Escape())
            return Fail(image, { DecodeStatus::kCancelled, "Cancelled" });
        if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp))
            return Fail(image, Failure(VP8_STATUS_BITSTREAM_ERROR));
    }
    // Milliseconds in the file, hundredths of a second in the settings.
    image.Settings().frameDelay =
        timestamp > previous ? static_cast<uint32_t>(timestamp - previous) / 10 : 0;
    if (!image.Create(info.canvas_width, info.canvas_height, 24, kImageWEBP))
        return false;  // Create's status and text
    if (!image.AllocateAlpha())
        return Fail(image,
                    { DecodeStatus::kTooLarge, "CImageObject::Create can't allocate memory" });
    SplitAlpha(canvas, static_cast<size_t>(info.canvas_width) * 4, image);
    if (!features.has_alpha)
        image.DropAlpha();
    return true;
}

}  // namespace

bool CImageObjectWEBP::Decode(CImageStream& s)
{
    // Detection tries every format in turn: the signature is looked at before
    // the file is read whole.
    uint8_t head[12];
    const int64_t start = s.Tell();
    if (!s.ReadAll(head, sizeof head) || !IsWebP(head, sizeof head) ||
        !s.Seek(start, CImageStream::kSet))
        return Fail({ DecodeStatus::kUnsupported, "Not a WebP" });
    std::vector<uint8_t> data;
    if (!ReadRest(s, data))
        return Fail({ DecodeStatus::kUnreadable, StatusText(VP8_STATUS_NOT_ENOUGH_DATA) });
    WebPBitstreamFeatures features;
    const VP8StatusCode status = WebPGetFeatures(data.data(), data.size(), &features);
    if (status != VP8_STATUS_OK)
        return Fail(Failure(status));
    if (features.has_animation)
        return DecodeAnimation(*this, data, features);
    Settings().frameCount = 1;
    if (Settings().frame != 0)
        return Fail({ DecodeStatus::kNoFrame, "wrong frame!" });
    return DecodeStill(*this, data, features);
}
