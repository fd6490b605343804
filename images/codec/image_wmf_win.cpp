// Windows metafiles: a placeable WMF is turned into an enhanced metafile,
// anything else is taken as an EMF; either is played onto a screen bitmap
// and read back at the screen's depth. GDI trusts every record it plays, so
// the records are checked first (metafile_records.h).
#include <cstdlib>
#include <cstring>
#include <vector>

#include "images/codec/decode_util.h"
#include "images/codec/image_decoders.h"
#include "images/codec/metafile_records.h"

namespace {

const uint32_t kPlaceableKey = 0x9AC6CDD7;
const LONG kMaxSide = 4000;

std::vector<uint8_t> WholeFile(CImageStream& s)
{
    int64_t size = s.Remaining();
    if (size <= 0 || size > (256 << 20))
        throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted WMF" };
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!s.ReadAll(bytes.data(), bytes.size()))
        throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted WMF" };
    return bytes;
}

// A placeable header: key, handle, box (4 words), units per inch, reserved,
// checksum = XOR of the ten words before it.
HENHMETAFILE FromPlaceable(const std::vector<uint8_t>& bytes, SIZE& size)
{
    if (bytes.size() < 22 + 18)
        throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted WMF" };
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= ReadLe16(&bytes[2 * i]);
    const int16_t left = static_cast<int16_t>(ReadLe16(&bytes[6])),
                  top = static_cast<int16_t>(ReadLe16(&bytes[8]));
    const int16_t right = static_cast<int16_t>(ReadLe16(&bytes[10])),
                  bottom = static_cast<int16_t>(ReadLe16(&bytes[12]));
    const uint16_t inch = ReadLe16(&bytes[14]);
    const uint16_t kind = ReadLe16(&bytes[22]);
    const uint64_t words = ReadLe32(&bytes[22 + 6]);
    if (sum != ReadLe16(&bytes[20]) || inch < 1 || inch > 2540 || (kind != 1 && kind != 2) ||
        words * 2 > bytes.size() - 22 || !WindowsRecordsPlayable(&bytes[22], bytes.size() - 22))
        throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted WMF" };
    HDC screen = GetDC(nullptr);
    size.cx = MulDiv(abs(right - left), GetDeviceCaps(screen, LOGPIXELSX), inch);
    size.cy = MulDiv(abs(bottom - top), GetDeviceCaps(screen, LOGPIXELSY), inch);
    METAFILEPICT pict = { MM_ANISOTROPIC, MulDiv(abs(right - left), 2540, inch),
                          MulDiv(abs(bottom - top), 2540, inch), nullptr };
    const UINT n = static_cast<UINT>(bytes.size() - 22);
    HENHMETAFILE emf = SetWinMetaFileBits(n, &bytes[22], screen, &pict);
    if (!emf) {
        pict.mm = MM_TEXT;
        emf = SetWinMetaFileBits(n, &bytes[22], screen, &pict);
    }
    ReleaseDC(nullptr, screen);
    return emf;
}

HENHMETAFILE FromEnhanced(const std::vector<uint8_t>& bytes, SIZE& size)
{
    if (!EnhancedRecordsPlayable(bytes.data(), bytes.size()))
        throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted WMF" };
    HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
    if (!emf)
        throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted WMF" };
    ENHMETAHEADER head;
    if (!GetEnhMetaFileHeader(emf, sizeof head, &head)) {
        DeleteEnhMetaFile(emf);
        throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted WMF" };
    }
    size.cx = head.rclBounds.right - head.rclBounds.left + 1;
    size.cy = head.rclBounds.bottom - head.rclBounds.top + 1;
    return emf;
}

void FitSide(SIZE& size)
{
    if (size.cx <= kMaxSide && size.cy <= kMaxSide)
        return;
    if (size.cx >= size.cy) {
        size.cy = static_cast<LONG>(static_cast<int64_t>(size.cy) * kMaxSide / size.cx);
        size.cx = kMaxSide;
    } else {
        size.cx = static_cast<LONG>(static_cast<int64_t>(size.cx) * kMaxSide / size.cy);
        size.cy = kMaxSide;
    }
    if (size.cx < 1)
        size.cx = 1;
    if (size.cy < 1)
        size.cy = 1;
}

}  // namespace

bool CImageObjectWMF::Decode(CImageStream& s)
{
    HENHMETAFILE emf = nullptr;
    try {
        std::vector<uint8_t> bytes = WholeFile(s);
        SIZE size = { 0, 0 };
        emf = bytes.size() >= 4 && ReadLe32(bytes.data()) == kPlaceableKey
                  ? FromPlaceable(bytes, size)
                  : FromEnhanced(bytes, size);
        if (!emf)
            throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted WMF" };
        if (size.cx <= 0 || size.cy <= 0)
            throw DecodeFailure{ DecodeStatus::kCorrupt, "empty WMF" };
        FitSide(size);
        if (Escape())
            throw DecodeFailure{ DecodeStatus::kCancelled, "Cancelled" };

        HDC screen = GetDC(nullptr);
        const int depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
        bool drawn = false;
        if (memory && bitmap) {
            HGDIOBJ old = SelectObject(memory, bitmap);
            RECT box = { 0, 0, size.cx, size.cy };
            FillRect(memory, &box, GetSysColorBrush(COLOR_WINDOW));
            HPALETTE palette = nullptr;
            UINT entries = GetEnhMetaFilePaletteEntries(emf, 0, nullptr);
            if (entries > 0 && entries != GDI_ERROR && entries <= 256) {
                std::vector<uint8_t> raw(sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY));
                LOGPALETTE* log = reinterpret_cast<LOGPALETTE*>(raw.data());
                log->palVersion = 0x300;
                log->palNumEntries = static_cast<WORD>(entries);
                GetEnhMetaFilePaletteEntries(emf, entries, log->palPalEntry);
                palette = CreatePalette(log);
                if (palette) {
                    SelectPalette(memory, palette, FALSE);
                    RealizePalette(memory);
                }
            }
            PlayEnhMetaFile(memory, emf, &box);
            SelectObject(memory, old);
            if (palette)
                DeleteObject(palette);
            if (Create(size.cx, size.cy, depth <= 8 ? depth : 24, kImageWMF)) {
                drawn = GetDIBits(memory, bitmap, 0, size.cy, Pixels(),
                                  reinterpret_cast<BITMAPINFO*>(const_cast<void*>(Block())),
                                  DIB_RGB_COLORS) > 0;
            }
        }
        if (bitmap)
            DeleteObject(bitmap);
        if (memory)
            DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        DeleteEnhMetaFile(emf);
        emf = nullptr;
        if (!drawn)
            throw DecodeFailure{ DecodeStatus::kCorrupt, "empty WMF" };
        return true;
    } catch (const DecodeFailure& failure) {
        if (emf)
            DeleteEnhMetaFile(emf);
        return Fail(failure);
    }
}
