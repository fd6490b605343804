// Loading and the decode dispatch.
#include <cstdio>
#include <cstring>
#include <memory>

#include "images/codec/image_decoders.h"
#include "images/codec/image_gif.h"

namespace {

const char kUnknownFormat[] = "Decode: Unknown or wrong format";

struct DecoderEntry {
    uint32_t firstType;  // the types this decoder answers when named
    uint32_t lastType;
    bool reportsFrames;  // its frame count reaches the caller on failure too
    CImageObject* (*make)();
};

template <class Decoder> CImageObject* Make()
{
    return new Decoder;
}

// Detection tries the rows from the top, so the row order is the detection
// order: BMP, JPEG, ICO, GIF, PNG, TIFF, TGA, PCX, WBMP, WMF, J2K, JBG, and
// the JasPer types, whose decoder detects by signature when told type 0, and
// last WebP.
const DecoderEntry kDecoders[] = {
    { kImageBMP, kImageBMP, false, Make<CImageObjectBMP> },
    { kImageJPEG, kImageJPEG, false, Make<CImageObjectJPG> },
    { kImageICO, kImageICO, true, Make<CImageObjectICO> },
    { kImageGIF, kImageGIF, true, Make<CImageObjectGIF> },
    { kImagePNG, kImagePNG, false, Make<CImageObjectPNG> },
    { kImageTIFF, kImageTIFF, true, Make<CImageObjectTIF> },
    { kImageTGA, kImageTGA, false, Make<CImageObjectTGA> },
    { kImagePCX, kImagePCX, false, Make<CImageObjectPCX> },
    { kImageWBMP, kImageWBMP, false, Make<CImageObjectWBMP> },
#ifdef _WIN32
    { kImageWMF, kImageWMF, false, Make<CImageObjectWMF> },
#endif
    { kImageJ2K, kImageJ2K, false, Make<CImageObjectJ2K> },
    { kImageJBG, kImageJBG, false, Make<CImageObjectJBG> },
    { kImageJP2, kImageRAS, false, Make<CImageObjectJAS> },
    { kImageWEBP, kImageWEBP, true, Make<CImageObjectWEBP> },
};

const DecoderEntry* DecoderFor(uint32_t type)
{
    for (const DecoderEntry& entry : kDecoders)
        if (type >= entry.firstType && type <= entry.lastType)
            return &entry;
    return nullptr;
}

}  // namespace

bool CImageObject::Decode(CImageStream& stream)
{
    return Decode(stream, m_settings.type);
}

bool CImageObject::Decode(CImageStream& stream, uint32_t type)
{
    auto attempt = [&](const DecoderEntry& entry, bool report) {
        std::unique_ptr<CImageObject> decoder(entry.make());
        decoder->m_settings = m_settings;
        decoder->m_settings.type = type;
        decoder->m_settings.status = DecodeStatus::kOk;
        if (decoder->Decode(stream)) {
            TakeOver(*decoder);
            return true;
        }
        if (report) {
            // A decoder that gives up without a status of its own found nothing
            // it could read.
            const DecodeStatus status = decoder->Status();
            Fail({ status == DecodeStatus::kOk ? DecodeStatus::kCorrupt : status,
                   decoder->LastError() });
            if (entry.reportsFrames)
                m_settings.frameCount = decoder->m_settings.frameCount;
        }
        return false;
    };
    if (type == kImageUnknown) {
        int64_t start = stream.Tell();
        for (const DecoderEntry& entry : kDecoders) {
            if (attempt(entry, false))
                return true;
            stream.Seek(start, CImageStream::kSet);
        }
        return Fail({ DecodeStatus::kUnsupported, kUnknownFormat });
    }
    const DecoderEntry* entry = type < kImageTypeCount ? DecoderFor(type) : nullptr;
    if (!entry)
        return Fail({ DecodeStatus::kUnsupported, kUnknownFormat });
    return attempt(*entry, true);
}

void CImageObject::Load(const char* path, uint32_t type)
{
    if (type == kImageUnknown)
        type = TypeFromExtension(path);
    m_settings.type = type;
    LoadAs(path, type);
}

void CImageObject::LoadAs(const char* path, uint32_t type)
{
    if (!path)
        return;
    if (type >= 1 && type < kImageTypeCount) {
        FILE* file = fopen(path, "rb");
        if (!file) {
            m_settings.status = DecodeStatus::kUnreadable;
            return;
        }
        CFileStream stream(file);
        Decode(stream, type);
        fclose(file);
        return;
    }
    char saved[sizeof m_settings.lastError];
    memcpy(saved, m_settings.lastError, sizeof saved);
    FILE* file = fopen(path, "rb");
    if (!file) {
        m_settings.status = DecodeStatus::kUnreadable;
        return;
    }
    CFileStream stream(file);
    bool ok = Decode(stream, kImageUnknown);
    fclose(file);
    // A type out of range falls back on detection; a failure then keeps the
    // text from before, and the status of the detection.
    if (!ok && type != kImageUnknown)
        memcpy(m_settings.lastError, saved, sizeof saved);
}
