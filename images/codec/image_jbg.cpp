// JBIG through JBIG-KIT: single-plane bi-level images, the whole file at once.
extern "C" {
#include <jbig.h>
}

#include <cstring>
#include <vector>

#include "images/codec/decode_util.h"
#include "images/codec/image_decoders.h"

namespace {

uint32_t Be32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

}  // namespace

bool CImageObjectJBG::Decode(CImageStream& s)
{
    std::vector<uint8_t> data;
    if (!ReadRest(s, data))
        return Fail({ DecodeStatus::kUnreadable, "Problem while reading input file" });
    // The header is read here first so that the sides are refused before the
    // library allocates its planes.
    if (data.size() < 20 || data[3] != 0)
        return Fail({ DecodeStatus::kUnsupported, "Problem with input file" });
    if (data[2] != 1)
        return Fail({ DecodeStatus::kUnsupported, "cannot decode images with more than 1 plane" });
    const uint32_t width = Be32(&data[4]), height = Be32(&data[8]);
    // Bi-level coding packs blank areas tightly, but not beyond 2^16 pixels
    // per byte of the file: more is a hostile size.
    if (width == 0 || height == 0 || !WithinMemoryBound(width, height, 1) ||
        static_cast<uint64_t>(width) * height > (static_cast<uint64_t>(data.size()) + 1) << 16)
        return Fail({ DecodeStatus::kCorrupt, "Problem with input file" });
    jbg_dec_state state;
    jbg_dec_init(&state);
    jbg_dec_maxsize(&state, width, height);
    size_t used = 0;
    const int rc = jbg_dec_in(&state, data.data(), data.size(), &used);
    if (rc != JBG_EOK || jbg_dec_getplanes(&state) != 1) {
        jbg_dec_free(&state);
        if (rc == JBG_ENOMEM)
            return Fail({ DecodeStatus::kTooLarge, "Can't allocate memory" });
        return Fail({ DecodeStatus::kCorrupt, "Problem with input file" });
    }
    const unsigned long w = jbg_dec_getwidth(&state), h = jbg_dec_getheight(&state);
    const unsigned char* bits = jbg_dec_getimage(&state, 0);
    if (!bits || w == 0 || h == 0 || w > width || h > height) {
        jbg_dec_free(&state);
        return Fail({ DecodeStatus::kCorrupt,
                      bits && w && h ? "Can't allocate memory" : "Problem with input file" });
    }
    if (!Create(w, h, 1, kImageJBG)) {
        jbg_dec_free(&state);
        return Fail({ Status(), "Can't allocate memory" });
    }
    // A set bit is black.
    SetPaletteColor(0, 255, 255, 255);
    SetPaletteColor(1, 0, 0, 0);
    const size_t rowBytes = (w + 7) / 8;
    for (unsigned long y = 0; y < h; ++y)
        memcpy(Row(static_cast<int32_t>(h - 1 - y)), bits + rowBytes * y, rowBytes);
    jbg_dec_free(&state);
    return true;
}
