// The GIF decoder: one frame of the file on a picture of the logical screen,
// or, for multi-frame files without a global table whose first frame is
// smaller than the screen, all frames composed into a 24-bit picture.
#pragma once

#include <memory>
#include <vector>

#include "images/codec/gif_lzw.h"
#include "images/codec/image_object.h"

// Codec option bits for the GIF type.
enum : uint32_t {
    // Count frames the long way, decoding each one and throwing it away, then
    // decode the requested one again. The default keeps the counted frames the
    // main pass will need; this bit exists so tests can compare the two.
    kGifPlainFrameCount = 1,
};

class CImageObjectGIF : public CImageObject {
public:
    CImageObjectGIF();
    using CImageObject::Decode;
    bool Decode(CImageStream& stream) override;

    uint8_t ControlFlags() const { return m_controlFlags; }
    uint16_t ControlDelay() const { return m_controlDelay; }
    uint16_t LoopCount() const { return m_loopCount; }
    uint32_t Disposal() const { return m_disposal; }
    const char* Comment() const { return m_comment; }

private:
    struct ColorTable {
        bool present = false;
        uint32_t n = 2;
        uint8_t rgb[768] = {};
    };
    struct Descriptor {
        uint32_t left, top, width, height;
        uint8_t flags;
    };
    // A frame decoded while counting, kept for the main pass.
    struct CountedFrame {
        int64_t dataStart;
        int64_t next;  // where the stream stands after the frame
        bool interlaced;
        std::unique_ptr<CImageObject> picture;
    };
    struct Pass;

    bool ReadExtension(CImageStream& stream);
    bool ReadDescriptor(CImageStream& stream, Descriptor& d);
    bool InsideScreen(const Descriptor& d) const;
    static bool ReadTable(CImageStream& stream, uint8_t flags, ColorTable& table);
    static uint32_t DepthFor(const ColorTable& table);
    int32_t CountFrames(CImageStream& stream, ColorTable table);
    void DecodeData(CImageStream& stream, CImageObject* target, const Descriptor& d);
    void Reposition(CImageStream& stream, int64_t dataStart);
    bool ReuseCounted(CImageStream& stream, int64_t dataStart, const Descriptor& d);
    bool ReadImage(CImageStream& stream, Pass& pass);
    void SetFramePalette(const ColorTable& table);
    void MixInto(CImageObject& background, const Descriptor& d) const;
    void MixPackedRow(const uint8_t* src, uint8_t* dst, uint32_t left, int32_t count,
                      int32_t transparent) const;
    void PaintCanvas(CImageObject& canvas, const Descriptor& d) const;

    uint32_t m_screenWidth = 0, m_screenHeight = 0;
    uint8_t m_controlFlags = 0;
    uint16_t m_controlDelay = 0;
    uint8_t m_controlTransparent = 0;
    uint16_t m_loopCount = 0;
    uint32_t m_disposal = 0;
    char m_comment[256] = {};
    GifLzwReader m_lzw;
    std::vector<CountedFrame> m_counted;
};
