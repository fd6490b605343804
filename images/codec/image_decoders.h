// The decoders of the library's own code. Each is an image object that reads
// one format; the dispatch makes a fresh one per attempt.
#pragma once

#include "images/codec/image_object.h"

class CImageObjectBMP : public CImageObject {
public:
    using CImageObject::Decode;
    bool Decode(CImageStream& stream) override;
};

class CImageObjectICO : public CImageObject {
public:
    using CImageObject::Decode;
    bool Decode(CImageStream& stream) override;
};

class CImageObjectTGA : public CImageObject {
public:
    using CImageObject::Decode;
    bool Decode(CImageStream& stream) override;
};

class CImageObjectPCX : public CImageObject {
public:
    using CImageObject::Decode;
    bool Decode(CImageStream& stream) override;
};

class CImageObjectWBMP : public CImageObject {
public:
    using CImageObject::Decode;
    bool Decode(CImageStream& stream) override;
};

#ifdef _WIN32
class CImageObjectWMF : public CImageObject {
public:
    using CImageObject::Decode;
    bool Decode(CImageStream& stream) override;
};
#endif

// The decoders through the image libraries. Each keeps the library's state
// inside one Decode call and releases it on every path out; no library error
// leaves the call.

// The resolution fields of an Exif block: the only use the viewer has for it.
struct ExifResolution {
    bool found = false;
    double x = 0, y = 0;
    int unit = 2;  // 2 inch, 3 centimetre
};

class CImageObjectJPG : public CImageObject {
public:
    using CImageObject::Decode;
    bool Decode(CImageStream& stream) override;
    // Walks the sections of a JPEG file up to its scan and reads the first
    // Exif block; false with a text of its own when the sections are broken.
    static bool ReadExif(const uint8_t* data, size_t size, ExifResolution& out, const char** error);
};

class CImageObjectPNG : public CImageObject {
public:
    using CImageObject::Decode;
    bool Decode(CImageStream& stream) override;
};

class CImageObjectTIF : public CImageObject {
public:
    CImageObjectTIF() = default;
    ~CImageObjectTIF() override;
    using CImageObject::Decode;
    bool Decode(CImageStream& stream) override;

private:
    void* m_tiff = nullptr;  // the open library handle while decoding
};

class CImageObjectJ2K : public CImageObject {
public:
    using CImageObject::Decode;
    bool Decode(CImageStream& stream) override;
};

class CImageObjectJBG : public CImageObject {
public:
    using CImageObject::Decode;
    bool Decode(CImageStream& stream) override;
};

// Types 13 to 17: JP2 and JPC through the code-stream library, PGX, PNM and
// Sun raster by readers of our own; the type comes from the settings, and 0
// lets the signature decide.
class CImageObjectJAS : public CImageObject {
public:
    using CImageObject::Decode;
    bool Decode(CImageStream& stream) override;
};

// WebP through libwebp: stills, and animations as their canvas shows the
// requested frame.
class CImageObjectWEBP : public CImageObject {
public:
    using CImageObject::Decode;
    bool Decode(CImageStream& stream) override;
};
