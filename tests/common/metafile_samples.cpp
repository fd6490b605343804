#include "tests/common/metafile_samples.h"

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

}  // namespace

EmfBuilder& EmfBuilder::Add(uint32_t type, const std::vector<uint32_t>& fields)
{
    std::vector<uint32_t> r = { type, static_cast<uint32_t>(8 + 4 * fields.size()) };
    r.insert(r.end(), fields.begin(), fields.end());
    m_records.push_back(r);
    return *this;
}

EmfBuilder& EmfBuilder::Size(uint32_t size)
{
    m_records.back()[1] = size;
    return *this;
}

std::vector<uint8_t> EmfBuilder::Bytes() const
{
    std::vector<std::vector<uint32_t>> all = {
        { 1,       88, 0, 0,         99, 99, 0, 0,    2600, 2600, 0x464D4520,
          0x10000, 0,  0, m_handles, 0,  0,  0, 1024, 768,  320,  240 }
    };
    all.insert(all.end(), m_records.begin(), m_records.end());
    all.push_back({ 14, 20, 0, 16, 20 });
    std::vector<uint8_t> b;
    for (const std::vector<uint32_t>& r : all)
        for (uint32_t w : r)
            Put32(b, w);
    const uint32_t size = static_cast<uint32_t>(b.size()),
                   count = static_cast<uint32_t>(all.size());
    for (int i = 0; i < 4; ++i) {
        b[48 + i] = static_cast<uint8_t>(size >> (8 * i));
        b[52 + i] = static_cast<uint8_t>(count >> (8 * i));
    }
    return b;
}

WmfBuilder& WmfBuilder::Add(uint16_t function, const std::vector<uint16_t>& params)
{
    const uint32_t words = static_cast<uint32_t>(3 + params.size());
    m_words.push_back(static_cast<uint16_t>(words));
    m_words.push_back(static_cast<uint16_t>(words >> 16));
    m_words.push_back(function);
    m_words.insert(m_words.end(), params.begin(), params.end());
    if (words > m_largest)
        m_largest = words;
    return *this;
}

std::vector<uint8_t> WmfBuilder::Bytes(bool placeable) const
{
    std::vector<uint8_t> b;
    if (placeable) {
        const uint16_t head[10] = { 0xCDD7, 0x9AC6, 0, 0, 0, 100, 100, 1440, 0, 0 };
        uint16_t sum = 0;
        for (uint16_t w : head) {
            Put16(b, w);
            sum ^= w;
        }
        Put16(b, sum);
    }
    const uint32_t total = static_cast<uint32_t>(9 + m_words.size() + 3);
    for (uint32_t w : { 1u, 9u, 0x300u })
        Put16(b, w);
    Put32(b, total);
    Put16(b, m_objects);
    Put32(b, m_largest);
    Put16(b, 0);
    for (uint16_t w : m_words)
        Put16(b, w);
    for (uint32_t w : { 3u, 0u, 0u })
        Put16(b, w);
    return b;
}

std::vector<uint32_t> StretchDibitsFields(int32_t width, int32_t height, uint32_t bitsBytes)
{
    const uint32_t w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
    std::vector<uint32_t> f = { 0, 0,  w,  h,   0,         0, 0,          0, w,
                                h, 80, 40, 120, bitsBytes, 0, 0x00CC0020, w, h };
    const std::vector<uint32_t> header = { 40, w, h, 1 | 24u << 16, 0, 0, 0, 0, 0, 0 };
    f.insert(f.end(), header.begin(), header.end());
    f.resize(f.size() + (bitsBytes + 3) / 4, 0x00FF00FF);
    return f;
}

std::vector<uint32_t> ExtTextOutWFields()
{
    // Bounds, graphics mode, scales, reference point, then the text at 76.
    return { 0, 0, 20, 10, 1, 0, 0, 2, 2, 2, 76, 0, 0, 0, 20, 10, 0, 'H' | 'i' << 16 };
}

std::vector<Sample> GoodMetafiles()
{
    EmfBuilder emf;
    emf.Add(39, { 1, 0, 0x0000FF, 0 })  // EMR_CREATEBRUSHINDIRECT into slot 1
        .Add(37, { 1 })
        .Add(4, { 0, 0, 9, 9, 4, 0, 0, 9, 0, 9, 9, 0, 9 })
        .Add(86, { 0, 0, 9, 9, 3, 0, 9, 9 << 16 | 9 })
        .Add(81, StretchDibitsFields(2, 2, 16))
        .Add(84, ExtTextOutWFields())
        .Add(40, { 1 });
    WmfBuilder wmf(2);
    wmf.Add(0x02FC, { 0, 0x00FF, 0, 0 })  // META_CREATEBRUSHINDIRECT: solid red
        .Add(0x012D, { 0 })
        .Add(0x0324, { 3, 0, 0, 90, 0, 90, 90 })
        .Add(0x01F0, { 0 });
    return { { "emf-good", emf.Bytes(), false }, { "wmf-good", wmf.Bytes(true), true } };
}

std::vector<Sample> HostileMetafiles()
{
    std::vector<Sample> out;
    auto emf = [&](const char* name, const EmfBuilder& b) {
        out.push_back({ name, b.Bytes(), false });
    };
    emf("emf-second-record-size-zero", EmfBuilder().Add(27, { 5, 5 }).Size(0));
    emf("emf-polyline-count",
        EmfBuilder().Add(4, { 0, 0, 9, 9, 0x40000000, 0, 0, 9, 0, 9, 9, 0, 9 }));
    emf("emf-polygon16-count", EmfBuilder().Add(86, { 0, 0, 9, 9, 0x7FFFFFFF, 0, 9, 9 << 16 | 9 }));
    std::vector<uint32_t> past = StretchDibitsFields(2, 2, 16);
    past[10] = 0x10000;  // offBmiSrc
    past[12] = 0x20000;  // offBitsSrc
    emf("emf-stretchdibits-offsets", EmfBuilder().Add(81, past));
    emf("emf-stretchdibits-huge", EmfBuilder().Add(81, StretchDibitsFields(30000, 30000, 64)));
    std::vector<uint32_t> text = ExtTextOutWFields();
    text[9] = 0x7FFFFFFF;  // nChars
    text[10] = 0x100000;   // offString
    emf("emf-exttextoutw-chars", EmfBuilder().Add(84, text));
    WmfBuilder brushes(1);
    for (int i = 0; i < 70000; ++i)
        brushes.Add(0x02FC, { 0, 0x00FF, 0, 0 });
    out.push_back({ "wmf-70000-brushes", brushes.Bytes(true), true });
    out.push_back({ "wmf-polygon-32767",
                    WmfBuilder().Add(0x0324, { 32767, 0, 0, 50, 50 }).Bytes(true), true });
    return out;
}
