#include "images/codec/image_types.h"

#include <cstring>

namespace {

bool SameNoCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        char ca = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a + 32) : *a;
        char cb = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b + 32) : *b;
        if (ca != cb)
            return false;
    }
    return *a == *b;
}

struct ExtensionEntry {
    const char* extension;
    uint32_t type;
};

// Compared in this order; jp2 and j2k appear twice and the first entry wins,
// so a .jp2 file goes to the code-stream decoder rather than JasPer.
const ExtensionEntry kExtensions[] = {
    { "bmp", kImageBMP }, { "jpg", kImageJPEG },  { "jpeg", kImageJPEG }, { "gif", kImageGIF },
    { "png", kImagePNG }, { "ico", kImageICO },   { "tiff", kImageTIFF }, { "tif", kImageTIFF },
    { "tga", kImageTGA }, { "pcx", kImagePCX },   { "wbmp", kImageWBMP }, { "wmf", kImageWMF },
    { "emf", kImageWMF }, { "j2k", kImageJ2K },   { "jp2", kImageJ2K },   { "jbg", kImageJBG },
    { "jp2", kImageJP2 }, { "j2k", kImageJP2 },   { "jpc", kImageJPC },   { "j2c", kImageJPC },
    { "pgx", kImagePGX }, { "ras", kImageRAS },   { "pnm", kImagePNM },   { "pgm", kImagePNM },
    { "ppm", kImagePNM }, { "webp", kImageWEBP },
};

}  // namespace

uint32_t TypeFromExtension(const char* path)
{
    if (!path)
        return kImageUnknown;
    const char* dot = strrchr(path, '.');
    const char* extension = dot ? dot + 1 : path;
    for (const ExtensionEntry& entry : kExtensions)
        if (SameNoCase(extension, entry.extension))
            return entry.type;
    return kImageUnknown;
}
