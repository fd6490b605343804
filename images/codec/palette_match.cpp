#include "images/codec/palette_match.h"

#include <algorithm>

#include "images/codec/image_object.h"

CPaletteMatcher::CPaletteMatcher(const CImageObject& picture)
{
    const BITMAPINFOHEADER& header = picture.Header();
    if (!picture.HasPixels() || header.biClrUsed == 0)
        return;
    uint32_t n = header.biClrImportant ? header.biClrImportant : header.biClrUsed;
    if (n > header.biClrUsed)
        n = header.biClrUsed;
    const RGBQUAD* palette = picture.Palette();
    for (uint32_t i = 0; i < n; ++i)
        m_byGreen.push_back({ palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue,
                              static_cast<uint8_t>(i) });
    std::sort(m_byGreen.begin(), m_byGreen.end(), [](const Entry& a, const Entry& b) {
        return a.green != b.green ? a.green < b.green : a.index < b.index;
    });
}

uint8_t CPaletteMatcher::Nearest(RGBQUAD color)
{
    const uint32_t key = 0x1000000u | static_cast<uint32_t>(color.rgbRed) << 16 |
                         static_cast<uint32_t>(color.rgbGreen) << 8 | color.rgbBlue;
    Memo& memo = m_memo[(key * 2654435761u) >> 20];
    if (memo.key != key) {
        memo.key = key;
        memo.index = Search(color.rgbRed, color.rgbGreen, color.rgbBlue);
    }
    return memo.index;
}

uint8_t CPaletteMatcher::Search(uint8_t red, uint8_t green, uint8_t blue) const
{
    int32_t best = 200000;
    uint8_t answer = 0;
    auto consider = [&](const Entry& e) {
        const int32_t dr = e.red - red, dg = e.green - green, db = e.blue - blue;
        const int32_t d = dr * dr + dg * dg + db * db;
        if (d < best || (d == best && e.index < answer)) {
            best = d;
            answer = e.index;
        }
    };
    auto greenGap = [&](const Entry& e) {
        const int32_t dg = e.green - green;
        return dg * dg;
    };
    const auto start = std::lower_bound(m_byGreen.begin(), m_byGreen.end(), green,
                                        [](const Entry& e, uint8_t g) { return e.green < g; });
    // An entry whose green alone is farther than the best can neither beat it
    // nor tie with it, and neither can any entry beyond it on that side.
    for (auto up = start; up != m_byGreen.end() && greenGap(*up) <= best; ++up)
        consider(*up);
    for (auto down = start; down != m_byGreen.begin() && greenGap(*(down - 1)) <= best; --down)
        consider(*(down - 1));
    return answer;
}
