// Format type numbers: fixed, shared by the extension table and the dispatch.
#pragma once

#include <cstdint>

enum ImageType : uint32_t {
    kImageUnknown = 0,
    kImageBMP = 1,
    kImageGIF = 2,
    kImageJPEG = 3,
    kImagePNG = 4,
    kImageICO = 5,
    kImageTIFF = 6,
    kImageTGA = 7,
    kImagePCX = 8,
    kImageWBMP = 9,
    kImageWMF = 10,
    kImageJ2K = 11,
    kImageJBG = 12,
    kImageJP2 = 13,
    kImageJPC = 14,
    kImagePGX = 15,
    kImagePNM = 16,
    kImageRAS = 17,
    kImageWEBP = 18,
};
const uint32_t kImageTypeCount = 19;

uint32_t TypeFromExtension(const char* path);
