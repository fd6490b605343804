// The nearest palette entry of many colours, as NearestPaletteIndex answers
// it (the smallest squared distance, ties to the lowest index), found fast
// enough for every pixel of a paletted picture being rescaled.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "images/codec/dib.h"

class CImageObject;

class CPaletteMatcher {
public:
    // The palette the object's NearestPaletteIndex searches; it must not
    // change while the matcher is used.
    explicit CPaletteMatcher(const CImageObject& picture);

    uint8_t Nearest(RGBQUAD color);

private:
    uint8_t Search(uint8_t red, uint8_t green, uint8_t blue) const;

    struct Entry {
        uint8_t red, green, blue, index;
    };
    // Sorted by green, then by index: the search walks outward from the
    // colour's green and stops on a side once green alone is farther away
    // than the best entry found.
    std::vector<Entry> m_byGreen;
    // Answers already found, by colour: blended pixels repeat a great deal.
    struct Memo {
        uint32_t key;  // 0x1000000 | red << 16 | green << 8 | blue; 0 when empty
        uint8_t index;
    };
    std::array<Memo, 4096> m_memo{};
};
