#include "images/codec/image_gif.h"

#include <cstring>

namespace {

uint16_t Le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// Pictures kept from the count for the main pass, at most this many bytes;
// beyond it a frame is simply decoded again.
const uint64_t kCountedBytesLimit = 64ull << 20;

}  // namespace

struct CImageObjectGIF::Pass {
    ColorTable table;
    int32_t count = 0;
    int32_t frameIndex = 0;
    uint32_t trueColor = 0;
    uint32_t previousDisposal = 0;
    int32_t savedIndex = -1;
    bool more = true;
    std::unique_ptr<CImageObject> canvas;
};

CImageObjectGIF::CImageObjectGIF()
{
    Settings().type = kImageGIF;
}

bool CImageObjectGIF::ReadTable(CImageStream& stream, uint8_t flags, ColorTable& table)
{
    table.n = 2u << (flags & 7);
    table.present = true;
    size_t got = stream.Read(table.rgb, 1, 3 * table.n);
    // A short table leaves black entries; the reads after it meet the end.
    memset(table.rgb + got, 0, sizeof table.rgb - got);
    return got == 3 * table.n;
}

uint32_t CImageObjectGIF::DepthFor(const ColorTable& table)
{
    return table.n <= 2 ? 1 : table.n <= 16 ? 4 : 8;
}

bool CImageObjectGIF::ReadDescriptor(CImageStream& stream, Descriptor& d)
{
    uint8_t b[9];
    if (!stream.ReadAll(b, sizeof b))
        return false;
    d.left = Le16(b);
    d.top = Le16(b + 2);
    d.width = Le16(b + 4);
    d.height = Le16(b + 6);
    d.flags = b[8];
    return true;
}

bool CImageObjectGIF::InsideScreen(const Descriptor& d) const
{
    return d.left + d.width <= m_screenWidth && d.top + d.height <= m_screenHeight;
}

bool CImageObjectGIF::ReadExtension(CImageStream& stream)
{
    int label = stream.GetByte();
    if (label < 0)
        return false;
    if (label == 0xF9) {
        int size = stream.GetByte();
        uint8_t v[4];
        if (stream.Read(v, 1, 4) != 4 || size != 4)
            return false;
        m_controlFlags = v[0];
        m_controlDelay = Le16(v + 1);
        m_controlTransparent = v[3];
        if (m_controlFlags & 1)
            Settings().transparentIndex = m_controlTransparent;
        Settings().frameDelay = m_controlDelay;
        m_disposal = (m_controlFlags >> 2) & 7;
    } else if (label == 0xFE) {
        int size = stream.GetByte();
        if (size < 0)
            return false;
        size_t got = stream.Read(m_comment, 1, static_cast<size_t>(size));
        m_comment[got] = 0;
        if (got != static_cast<size_t>(size))
            return false;
    } else if (label == 0xFF) {
        uint8_t id[11], block[255];
        if (stream.GetByte() != 11 || !stream.ReadAll(id, sizeof id))
            return false;
        int size = stream.GetByte();
        if (size < 0 || !stream.ReadAll(block, static_cast<size_t>(size)))
            return false;
        if (size > 2)
            m_loopCount = Le16(block + 1);
    }
    for (;;) {
        int size = stream.GetByte();
        if (size <= 0)
            break;
        stream.Seek(size, CImageStream::kCurrent);
    }
    return true;
}

void CImageObjectGIF::DecodeData(CImageStream& stream, CImageObject* target, const Descriptor& d)
{
    int64_t start = stream.Tell();
    m_lzw.DecodeFrame(stream, target, d.width, d.height, (d.flags & 0x40) != 0);
    Reposition(stream, start);
}

// Bad codes mean the data cannot be trusted to end where they claim, so the
// next image is looked for; otherwise the stream goes back to just after the
// bytes the decoding used, plus the terminating 0 block.
void CImageObjectGIF::Reposition(CImageStream& stream, int64_t dataStart)
{
    if (!m_lzw.BadCodes()) {
        stream.Seek(1 - m_lzw.Unused(), CImageStream::kCurrent);
        return;
    }
    stream.Seek(dataStart, CImageStream::kSet);
    int previous = 0;
    for (int b; (b = stream.GetByte()) >= 0; previous = b) {
        if (b == ',' && previous == 0) {
            stream.Seek(-1, CImageStream::kCurrent);
            return;
        }
    }
}

int32_t CImageObjectGIF::CountFrames(CImageStream& stream, ColorTable table)
{
    const int64_t start = stream.Tell();
    const bool keep = !(Settings().codecOptions[kImageGIF] & kGifPlainFrameCount);
    const int32_t wanted = Settings().frame;
    bool keepAll = false;
    uint64_t keptBytes = 0;
    int32_t count = 0;
    bool afterZero = true;
    for (bool more = true; more;) {
        int b = stream.GetByte();
        if (b < 0)
            break;
        if (!afterZero && b != 0)
            continue;
        if (b == '!') {
            more = ReadExtension(stream);
        } else if (b == ',') {
            Descriptor d;
            if (!ReadDescriptor(stream, d))
                break;
            if (!InsideScreen(d))
                continue;
            // The main pass decodes every frame when it composes a 24-bit picture.
            if (count == 0)
                keepAll = !table.present && d.width != m_screenWidth && d.height != m_screenHeight;
            if (d.flags & 0x80)
                ReadTable(stream, d.flags, table);
            std::unique_ptr<CImageObject> picture(new CImageObject);
            picture->Create(d.width, d.height, DepthFor(table), kImageGIF);
            CountedFrame frame{ stream.Tell(), 0, (d.flags & 0x40) != 0, nullptr };
            DecodeData(stream, picture.get(), d);
            frame.next = stream.Tell();
            // Counting decodes every frame, which is most of the cost of a long
            // animation: a caller that asks to stop is answered frame by frame.
            if (Escape())
                break;
            uint64_t bytes = picture->BlockSize();
            if (keep && (count <= wanted || keepAll) && picture->HasPixels() &&
                keptBytes + bytes <= kCountedBytesLimit) {
                keptBytes += bytes;
                frame.picture = std::move(picture);
                m_counted.push_back(std::move(frame));
            }
            ++count;
        } else if (b == ';') {
            break;
        } else {
            afterZero = b == 0;
        }
    }
    stream.Seek(start, CImageStream::kSet);
    return count;
}

// The counted frame at this data position, when its picture matches what the
// main pass just created, stands in for decoding the data again.
bool CImageObjectGIF::ReuseCounted(CImageStream& stream, int64_t dataStart, const Descriptor& d)
{
    if (!HasPixels())
        return false;
    for (CountedFrame& frame : m_counted) {
        const CImageObject* p = frame.picture.get();
        if (frame.dataStart != dataStart || frame.interlaced != ((d.flags & 0x40) != 0) ||
            p->Width() != Width() || p->Height() != Height() || p->Bpp() != Bpp())
            continue;
        memcpy(Pixels(), p->Pixels(), static_cast<size_t>(Stride()) * Height());
        stream.Seek(frame.next, CImageStream::kSet);
        return true;
    }
    return false;
}

void CImageObjectGIF::SetFramePalette(const ColorTable& table)
{
    if (!table.present)
        return;
    uint8_t red[256], green[256], blue[256];
    for (uint32_t i = 0; i < table.n; ++i) {
        red[i] = table.rgb[3 * i];
        green[i] = table.rgb[3 * i + 1];
        blue[i] = table.rgb[3 * i + 2];
    }
    const bool transparent = TransparentIndex() >= 0;
    for (uint32_t i = table.n; i < 256; ++i)
        red[i] = green[i] = blue[i] = transparent ? 255 : 0;
    SetPaletteEntries(transparent ? 256 : table.n, red, green, blue);
}

void CImageObjectGIF::MixInto(CImageObject& background, const Descriptor& d) const
{
    if (!HasPixels() || !background.HasPixels())
        return;
    const int32_t transparent = TransparentIndex();
    const int32_t height = Height(), width = Width();
    const bool bytes = Bpp() == 8 && background.Bpp() == 8;
    // Packed rows of the same depth, from the left edge, with no index that
    // could be transparent: whole bytes copy over.
    const bool packed = !bytes && Bpp() == background.Bpp() && d.left == 0 &&
                        (transparent < 0 || transparent >= (1 << Bpp()));
    if (packed) {
        const size_t n = (static_cast<size_t>(width) * Bpp()) / 8;
        const uint32_t tail = (static_cast<uint32_t>(width) * Bpp()) % 8;
        for (int32_t ty = 0; ty < height; ++ty) {
            const uint8_t* src = Row(height - 1 - ty);
            uint8_t* dst =
                background.Row(background.Height() - 1 - static_cast<int32_t>(d.top) - ty);
            memcpy(dst, src, n);
            if (tail) {
                const uint8_t keep = static_cast<uint8_t>(0xFF >> tail);
                dst[n] = static_cast<uint8_t>((dst[n] & keep) | (src[n] & ~keep));
            }
        }
        return;
    }
    for (int32_t ty = 0; ty < height; ++ty) {
        const int32_t sy = height - 1 - ty;
        const int32_t by = background.Height() - 1 - static_cast<int32_t>(d.top) - ty;
        int32_t right = width;
        if (static_cast<int32_t>(d.left) + right > background.Width())
            right = background.Width() - static_cast<int32_t>(d.left);
        if (bytes) {
            const uint8_t* src = Row(sy);
            uint8_t* dst = background.Row(by) + d.left;
            if (transparent < 0) {
                memcpy(dst, src, right > 0 ? static_cast<size_t>(right) : 0);
                continue;
            }
            for (int32_t x = 0; x < right; ++x)
                if (src[x] != transparent)
                    dst[x] = src[x];
            continue;
        }
        if (Bpp() == background.Bpp()) {
            MixPackedRow(Row(sy), background.Row(by), d.left, right, transparent);
            continue;
        }
        for (int32_t x = 0; x < right; ++x) {
            uint8_t index = PixelIndex(x, sy);
            if (index != transparent)
                background.PutIndex(d.left + x, by, index);
        }
    }
}

// Indices of fewer than 8 bits, at any offset and with a transparent index:
// merged a source byte at a time under a mask of its opaque pixels, so a
// large 1-bit frame costs one pass over its bytes, not one call per pixel.
void CImageObjectGIF::MixPackedRow(const uint8_t* src, uint8_t* dst, uint32_t left, int32_t count,
                                   int32_t transparent) const
{
    if (count <= 0)
        return;
    const uint32_t bpp = Bpp();
    const uint8_t pixelMask = static_cast<uint8_t>((1u << bpp) - 1);
    const uint64_t bits = static_cast<uint64_t>(count) * bpp;
    const uint64_t bytes = (bits + 7) / 8;
    const uint32_t offset = static_cast<uint32_t>((static_cast<uint64_t>(left) * bpp) % 8);
    uint8_t* out = dst + (static_cast<uint64_t>(left) * bpp) / 8;
    for (uint64_t i = 0; i < bytes; ++i) {
        const uint8_t value = src[i];
        uint8_t opaque = 0;
        for (uint32_t shift = 0; shift < 8; shift += bpp)
            if (((value >> shift) & pixelMask) != transparent)
                opaque |= static_cast<uint8_t>(pixelMask << shift);
        if (i == bytes - 1 && bits % 8)
            opaque &= static_cast<uint8_t>(0xFF << (8 - bits % 8));
        if (!opaque)
            continue;
        const uint8_t high = static_cast<uint8_t>(opaque >> offset);
        out[i] = static_cast<uint8_t>((out[i] & ~high) | ((value >> offset) & high));
        if (offset) {
            const uint8_t low = static_cast<uint8_t>(opaque << (8 - offset));
            if (low)
                out[i + 1] =
                    static_cast<uint8_t>((out[i + 1] & ~low) | ((value << (8 - offset)) & low));
        }
    }
}

void CImageObjectGIF::PaintCanvas(CImageObject& canvas, const Descriptor& d) const
{
    if (!HasPixels() || !canvas.HasPixels())
        return;  // refused pictures: nothing to paint, no time spent
    const int32_t height = Height(), width = Width();
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            canvas.PutColor(d.left + x, static_cast<int32_t>(m_screenHeight - d.top) - y - 1,
                            PixelColor(x, height - y - 1));
}

bool CImageObjectGIF::ReadImage(CImageStream& stream, Pass& pass)
{
    Descriptor d;
    if (!ReadDescriptor(stream, d)) {
        pass.more = false;
        return true;
    }
    if (!InsideScreen(d))
        return true;
    if (pass.frameIndex == 0 && d.width != m_screenWidth && d.height != m_screenHeight)
        ++pass.trueColor;
    if (d.flags & 0x80)
        ReadTable(stream, d.flags, pass.table);
    const uint32_t depth = DepthFor(pass.table);

    // A first frame that covers the screen, over a fill that equals its own
    // transparent index, is its own background: mixing would reproduce it.
    const bool ownBackground =
        pass.frameIndex == 0 && d.left == 0 && d.top == 0 && d.width == m_screenWidth &&
        d.height == m_screenHeight &&
        (TransparentIndex() < 0 || TransparentIndex() == m_controlTransparent);
    std::unique_ptr<CImageObjectGIF> background(new CImageObjectGIF);
    if (ownBackground) {
        pass.savedIndex = TransparentIndex();
    } else if (pass.frameIndex == 0) {
        background->Settings() = Settings();
        background->Create(m_screenWidth, m_screenHeight, depth, kImageGIF);
        pass.savedIndex = TransparentIndex();
        background->FillIndex(m_controlTransparent);
    } else {
        background->CopyFrom(*this, true, true, true);
        if (pass.previousDisposal == 2)
            background->FillIndex(pass.savedIndex);
    }
    Create(d.width, d.height, depth, kImageGIF);
    SetFramePalette(pass.table);

    int64_t dataStart = stream.Tell();
    if (!ReuseCounted(stream, dataStart, d))
        DecodeData(stream, HasPixels() ? this : nullptr, d);
    if (Escape())
        return false;

    if (pass.trueColor >= 2) {
        Settings().frame = pass.count - 1;
        if (!pass.canvas) {
            pass.canvas.reset(new CImageObject);
            pass.canvas->Settings() = Settings();
            pass.canvas->Create(m_screenWidth, m_screenHeight, 24, kImageGIF);
        }
        PaintCanvas(*pass.canvas, d);
    } else if (ownBackground && HasPixels()) {
        Settings().transparentIndex = pass.savedIndex;
    } else {
        if (ownBackground) {
            background->Settings() = Settings();
            background->Create(m_screenWidth, m_screenHeight, depth, kImageGIF);
            background->FillIndex(m_controlTransparent);
        }
        MixInto(*background, d);
        background->Settings().transparentIndex = pass.savedIndex;
        if (HasPixels())
            background->SetPaletteEntries(Palette(), ColorsUsed() < 256 ? ColorsUsed() : 256);
        TakeOver(*background);
    }
    pass.previousDisposal = (m_controlFlags >> 2) & 7;
    if (Settings().frame == pass.frameIndex)
        pass.more = false;
    else
        ++pass.frameIndex;
    return true;
}

bool CImageObjectGIF::Decode(CImageStream& stream)
{
    m_counted.clear();
    uint8_t header[13];
    // A GIF gives up without a text: the status alone says why.
    if (!stream.ReadAll(header, sizeof header) || memcmp(header, "GIF8", 4) != 0)
        return Fail({ DecodeStatus::kUnsupported, nullptr });
    m_screenWidth = Le16(header + 6);
    m_screenHeight = Le16(header + 8);
    const uint8_t flags = header[10];
    if (Escape()) {
        SetSizeOnly(m_screenWidth, m_screenHeight);
        Settings().status = DecodeStatus::kSizeOnly;
        return true;
    }
    Pass pass;
    pass.table.n = 2u << (flags & 7);
    if (flags & 0x80)
        ReadTable(stream, flags, pass.table);
    else
        pass.trueColor = 1;

    pass.count = CountFrames(stream, pass.table);
    if (Escape())
        return Fail({ DecodeStatus::kCancelled, nullptr });
    Settings().frameCount = pass.count;
    // A file without any image in the screen has nothing to refuse: it decodes
    // to no picture, which the caller treats as undecodable.
    if (Settings().frame < 0 || (pass.count > 0 && Settings().frame >= pass.count))
        return Fail({ DecodeStatus::kNoFrame, nullptr });
    if (pass.count == 1)
        pass.trueColor = 0;

    bool afterZero = true;
    while (pass.more) {
        int b = stream.GetByte();
        if (b < 0)
            break;
        if (Escape())
            return Fail({ DecodeStatus::kCancelled, nullptr });
        if (!afterZero && b != 0)
            continue;
        if (b == '!') {
            pass.more = ReadExtension(stream);
        } else if (b == ',') {
            if (!ReadImage(stream, pass))
                return Fail({ DecodeStatus::kCancelled, nullptr });
        } else if (b == ';') {
            break;
        } else {
            afterZero = b == 0;
        }
    }
    m_counted.clear();
    if (pass.trueColor >= 2 && pass.canvas) {
        if (m_controlFlags & 1) {
            RGBQUAD c = { 0, 0, 0, 0 };
            if (HasPixels() && ColorsUsed())
                c = Palette()[(TransparentIndex() & 0xFF) % ColorsUsed()];
            pass.canvas->Settings().transparentColor = c;
            pass.canvas->Settings().transparentIndex = 0;
        }
        TakeOver(*pass.canvas);
    }
    // A frame that Create refused on the way leaves its text, but the file was
    // read through.
    Settings().status = DecodeStatus::kOk;
    return true;
}
