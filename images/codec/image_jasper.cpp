// The formats of types 13 to 17: JP2 and JPC through the code-stream
// library, PGX, PNM and Sun raster by small readers here. All of them first
// become a set of components, and the components a picture by one rule.
#include <openjpeg.h>

#include <cstring>
#include <vector>

#include "images/codec/decode_util.h"
#include "images/codec/image_decoders.h"
#include "images/codec/image_openjpeg.h"

namespace {

struct Component {
    uint32_t width = 0, height = 0;
    uint32_t dx = 1, dy = 1;
    int precision = 8;
    std::vector<uint32_t> samples;  // unsigned, below 2^precision, rows top first
};

struct Components {
    std::vector<Component> comps;
};

const char kLoadFailed[] = "error: cannot load image data";
const char kNoMemory[] = "error: cannot allocate memory";

// Samples are held as 32-bit values: the bound applies to them before any
// is allocated.
void Allocate(Components& out, uint32_t count, uint32_t width, uint32_t height, int precision)
{
    if (width == 0 || height == 0)
        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
    if (!CImageObject::WithinMemoryBound(width, height, 32 * count))
        throw DecodeFailure{ DecodeStatus::kTooLarge, "IMAGE_MAX_MEMORY exceeded" };
    out.comps.resize(count);
    for (Component& c : out.comps) {
        c.width = width;
        c.height = height;
        c.precision = precision;
        try {
            c.samples.assign(static_cast<size_t>(width) * height, 0);
        } catch (...) {
            throw DecodeFailure{ DecodeStatus::kTooLarge, kNoMemory };
        }
    }
}

// --- PNM: P1 to P6 -------------------------------------------------------

class Text {
public:
    Text(const uint8_t* d, size_t n) : m_d(d), m_n(n) {}
    // The next decimal number, skipping blanks and comments.
    bool Number(uint32_t& v)
    {
        Skip();
        if (m_pos >= m_n || m_d[m_pos] < '0' || m_d[m_pos] > '9')
            return false;
        uint64_t x = 0;
        while (m_pos < m_n && m_d[m_pos] >= '0' && m_d[m_pos] <= '9') {
            x = x * 10 + (m_d[m_pos++] - '0');
            if (x > 0xFFFFFFFFu)
                return false;
        }
        v = static_cast<uint32_t>(x);
        return true;
    }
    // One bit of plain PBM, where digits need no separators.
    bool Bit(uint32_t& v)
    {
        Skip();
        if (m_pos >= m_n || (m_d[m_pos] != '0' && m_d[m_pos] != '1'))
            return false;
        v = m_d[m_pos++] - '0';
        return true;
    }
    void Skip()
    {
        while (m_pos < m_n) {
            if (m_d[m_pos] == '#') {
                while (m_pos < m_n && m_d[m_pos] != '\n' && m_d[m_pos] != '\r')
                    ++m_pos;
            } else if (m_d[m_pos] == ' ' || m_d[m_pos] == '\t' || m_d[m_pos] == '\n' ||
                       m_d[m_pos] == '\r' || m_d[m_pos] == '\v' || m_d[m_pos] == '\f') {
                ++m_pos;
            } else {
                break;
            }
        }
    }
    size_t m_pos = 0;

private:
    const uint8_t* m_d;
    size_t m_n;
};

int PrecisionOf(uint32_t maxval)
{
    int p = 0;
    while (p < 32 && (maxval >> p) != 0)
        ++p;
    return p;
}

void ReadPnm(const uint8_t* d, size_t n, Components& out)
{
    if (n < 3 || d[0] != 'P' || d[1] < '1' || d[1] > '6')
        throw DecodeFailure{ DecodeStatus::kUnsupported, kLoadFailed };
    const int kind = d[1] - '0';
    Text t(d + 2, n - 2);
    uint32_t width, height, maxval = 1;
    if (!t.Number(width) || !t.Number(height))
        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
    const bool bitmap = kind == 1 || kind == 4;
    if (!bitmap && (!t.Number(maxval) || maxval == 0 || maxval > 65535))
        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
    const uint32_t count = kind == 3 || kind == 6 ? 3 : 1;
    const bool binary = kind >= 4;
    const uint64_t samples = static_cast<uint64_t>(width) * height * count;
    const size_t body = 2 + t.m_pos + (binary ? 1 : 0);  // one blank ends a binary header
    if (body > n)
        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
    const uint64_t left = n - body;
    const uint32_t sampleBytes = maxval > 255 ? 2 : 1;
    // Refused before allocating: every sample takes at least a byte (plain
    // formats) or its share of one (binary).
    const uint64_t need = kind == 4 ? (width + 7) / 8 * static_cast<uint64_t>(height)
                          : binary  ? samples * sampleBytes
                                    : samples;
    if (width == 0 || height == 0 || left < need)
        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
    Allocate(out, count, width, height, bitmap ? 1 : PrecisionOf(maxval));
    const uint8_t* p = d + body;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (uint32_t c = 0; c < count; ++c) {
                uint32_t v;
                if (kind == 4) {
                    v = (p[(static_cast<size_t>(width) + 7) / 8 * y + x / 8] >> (7 - x % 8)) & 1;
                } else if (binary) {
                    v = sampleBytes == 2 ? static_cast<uint32_t>(p[0] << 8 | p[1]) : p[0];
                    p += sampleBytes;
                } else if (kind == 1) {
                    if (!t.Bit(v))
                        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
                } else {
                    if (!t.Number(v))
                        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
                }
                if (v > maxval)
                    v = maxval;
                // In a bitmap a set bit is black; as a sample, 1 is the bright end.
                if (bitmap)
                    v ^= 1;
                out.comps[c].samples[static_cast<size_t>(width) * y + x] = v;
            }
}

// --- PGX: one component, its own precision and byte order ---------------

void ReadPgx(const uint8_t* d, size_t n, Components& out)
{
    if (n < 6 || d[0] != 'P' || d[1] != 'G')
        throw DecodeFailure{ DecodeStatus::kUnsupported, kLoadFailed };
    size_t pos = 2;
    auto blanks = [&]() {
        while (pos < n && (d[pos] == ' ' || d[pos] == '\t'))
            ++pos;
    };
    blanks();
    if (pos + 2 > n)
        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
    bool bigEndian;
    if (d[pos] == 'M' && d[pos + 1] == 'L')
        bigEndian = true;
    else if (d[pos] == 'L' && d[pos + 1] == 'M')
        bigEndian = false;
    else
        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
    pos += 2;
    blanks();
    bool sign = false;
    if (pos < n && (d[pos] == '+' || d[pos] == '-')) {
        sign = d[pos] == '-';
        ++pos;
    }
    uint32_t v[3];
    for (uint32_t& value : v) {
        blanks();
        uint64_t x = 0;
        size_t start = pos;
        while (pos < n && d[pos] >= '0' && d[pos] <= '9' && x <= 0xFFFFFFFFu)
            x = x * 10 + (d[pos++] - '0');
        if (pos == start || x > 0xFFFFFFFFu)
            throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
        value = static_cast<uint32_t>(x);
    }
    const uint32_t precision = v[0], width = v[1], height = v[2];
    if (precision == 0 || precision > 16)
        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
    // The header ends at the first line break.
    while (pos < n && d[pos] != '\n')
        ++pos;
    if (pos >= n)
        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
    ++pos;
    const uint32_t bytes = precision <= 8 ? 1 : 2;
    if (width == 0 || height == 0 || static_cast<uint64_t>(width) * height * bytes > n - pos)
        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
    Allocate(out, 1, width, height, static_cast<int>(precision));
    const uint8_t* p = d + pos;
    const uint32_t mask = (1u << precision) - 1, half = 1u << (precision - 1);
    for (uint32_t& s : out.comps[0].samples) {
        uint32_t x = bytes == 1  ? p[0]
                     : bigEndian ? static_cast<uint32_t>(p[0] << 8 | p[1])
                                 : static_cast<uint32_t>(p[1] << 8 | p[0]);
        p += bytes;
        x &= mask;
        // Signed samples are shown with zero at the middle grey.
        if (sign)
            x = (x ^ half) & mask;
        s = x;
    }
}

// --- Sun raster ----------------------------------------------------------

uint32_t Be32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

const uint32_t kRasMagic = 0x59A66A95;

void ReadRas(const uint8_t* d, size_t n, Components& out)
{
    if (n < 32 || Be32(d) != kRasMagic)
        throw DecodeFailure{ DecodeStatus::kUnsupported, kLoadFailed };
    const uint32_t width = Be32(d + 4), height = Be32(d + 8), depth = Be32(d + 12);
    const uint32_t type = Be32(d + 20), mapType = Be32(d + 24), mapLength = Be32(d + 28);
    if (depth != 1 && depth != 8 && depth != 24 && depth != 32)
        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
    if (type > 3 || mapType > 1 || (mapType == 0 && mapLength != 0) || mapLength > n - 32 ||
        (mapType == 1 && (mapLength % 3 != 0 || mapLength == 0 || mapLength > 768)))
        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
    if (width == 0 || height == 0 || width > 0x7FFFFFFF / 32)
        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
    const uint32_t colours = mapLength / 3;
    const uint8_t* map = d + 32;
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * depth + 15) / 16 * 2;
    const uint64_t total = rowBytes * height;
    const uint8_t* p = d + 32 + mapLength;
    const size_t left = n - 32 - mapLength;
    // Run-length data hold at most 256 bytes per three of the file.
    if (type == 2 ? total > (static_cast<uint64_t>(left) + 1) * 86 : total > left)
        throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
    const bool mapped = mapType == 1 && depth <= 8;
    const uint32_t count = depth >= 24 || mapped ? 3 : 1;
    Allocate(out, count, width, height, depth == 1 && !mapped ? 1 : 8);
    std::vector<uint8_t> raw;
    if (type == 2) {
        try {
            raw.reserve(static_cast<size_t>(total));
        } catch (...) {
            throw DecodeFailure{ DecodeStatus::kTooLarge, kNoMemory };
        }
        size_t i = 0;
        while (raw.size() < total) {
            if (i >= left)
                throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
            const uint8_t b = p[i++];
            if (b != 0x80) {
                raw.push_back(b);
                continue;
            }
            if (i >= left)
                throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
            const uint32_t run = p[i++];
            if (run == 0) {
                raw.push_back(0x80);
                continue;
            }
            if (i >= left)
                throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
            const uint8_t value = p[i++];
            for (uint32_t k = 0; k <= run && raw.size() < total; ++k)
                raw.push_back(value);
        }
        p = raw.data();
    }
    const bool rgbOrder = type == 3;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = p + rowBytes * y;
        for (uint32_t x = 0; x < width; ++x) {
            const size_t at = static_cast<size_t>(width) * y + x;
            if (depth >= 24) {
                const uint8_t* px =
                    row + static_cast<size_t>(x) * (depth / 8) + (depth == 32 ? 1 : 0);
                out.comps[0].samples[at] = rgbOrder ? px[0] : px[2];
                out.comps[1].samples[at] = px[1];
                out.comps[2].samples[at] = rgbOrder ? px[2] : px[0];
                continue;
            }
            uint32_t v = depth == 8 ? row[x] : (row[x / 8] >> (7 - x % 8)) & 1;
            if (mapped) {
                const uint32_t i = v < colours ? v : 0;
                out.comps[0].samples[at] = map[i];
                out.comps[1].samples[at] = map[colours + i];
                out.comps[2].samples[at] = map[2 * colours + i];
            } else {
                // Without a map a set bit is black.
                out.comps[0].samples[at] = depth == 1 ? v ^ 1 : v;
            }
        }
    }
}

// --- JP2 and JPC ---------------------------------------------------------

void ReadJpeg2000(const uint8_t* d, size_t n, Components& out)
{
    char message[256];
    DecodeStatus status;
    opj_image_t* image = DecodeJpeg2000(d, n, status, message, sizeof message);
    if (!image)
        throw DecodeFailure{ status, kLoadFailed };
    try {
        out.comps.resize(image->numcomps);
        for (OPJ_UINT32 i = 0; i < image->numcomps; ++i) {
            const opj_image_comp_t& src = image->comps[i];
            Component& c = out.comps[i];
            c.width = src.w;
            c.height = src.h;
            c.dx = src.dx;
            c.dy = src.dy;
            c.precision = src.prec >= 1 && src.prec <= 31 ? static_cast<int>(src.prec) : 8;
            c.samples.resize(static_cast<size_t>(src.w) * src.h);
            const int32_t offset = src.sgnd ? 1 << (c.precision - 1) : 0;
            const uint32_t top = c.precision >= 32 ? 0xFFFFFFFFu : (1u << c.precision) - 1;
            for (size_t k = 0; k < c.samples.size(); ++k) {
                int64_t v = static_cast<int64_t>(src.data[k]) + offset;
                c.samples[k] = v < 0 ? 0 : v > top ? top : static_cast<uint32_t>(v);
            }
        }
    } catch (...) {
        FreeJpeg2000(image);
        throw DecodeFailure{ DecodeStatus::kTooLarge, kNoMemory };
    }
    FreeJpeg2000(image);
}

bool SameSampling(const Component& a, const Component& b)
{
    return a.width == b.width && a.height == b.height && a.dx == b.dx && a.dy == b.dy;
}

uint32_t DetectType(const uint8_t* d, size_t n)
{
    if (IsJp2File(d, n))
        return kImageJP2;
    if (IsJ2kStream(d, n))
        return kImageJPC;
    if (n >= 2 && d[0] == 'P' && d[1] == 'G')
        return kImagePGX;
    if (n >= 2 && d[0] == 'P' && d[1] >= '1' && d[1] <= '6')
        return kImagePNM;
    if (n >= 4 && Be32(d) == kRasMagic)
        return kImageRAS;
    return kImageUnknown;
}

}  // namespace

bool CImageObjectJAS::Decode(CImageStream& s)
{
    std::vector<uint8_t> data;
    if (!ReadRest(s, data))
        return Fail({ DecodeStatus::kUnreadable, kLoadFailed });
    uint32_t type = Settings().type;
    if (type == kImageUnknown)
        type = DetectType(data.data(), data.size());
    try {
        Components image;
        switch (type) {
        case kImageJP2:
            if (!IsJp2File(data.data(), data.size()))
                throw DecodeFailure{ DecodeStatus::kUnsupported, kLoadFailed };
            ReadJpeg2000(data.data(), data.size(), image);
            break;
        case kImageJPC:
            if (!IsJ2kStream(data.data(), data.size()))
                throw DecodeFailure{ DecodeStatus::kUnsupported, kLoadFailed };
            ReadJpeg2000(data.data(), data.size(), image);
            break;
        case kImagePGX:
            ReadPgx(data.data(), data.size(), image);
            break;
        case kImagePNM:
            ReadPnm(data.data(), data.size(), image);
            break;
        case kImageRAS:
            ReadRas(data.data(), data.size(), image);
            break;
        default:
            throw DecodeFailure{ DecodeStatus::kUnsupported, kLoadFailed };
        }
        if (image.comps.empty())
            throw DecodeFailure{ DecodeStatus::kCorrupt, kLoadFailed };
        const std::vector<Component>& c = image.comps;
        // Three or more components of equal sampling are colour, a fourth alpha.
        const bool colour = c.size() >= 3 && SameSampling(c[0], c[1]) && SameSampling(c[0], c[2]);
        const bool alpha = colour && c.size() >= 4 && SameSampling(c[0], c[3]);
        if (colour) {
            const uint32_t width = c[0].width, height = c[0].height;
            if (!Create(width, height, 24, type))
                throw DecodeFailure{ Status(), "Can't allocate memory" };
            if (alpha && !AllocateAlpha())
                throw DecodeFailure{ DecodeStatus::kTooLarge, "Can't allocate memory" };
            for (uint32_t y = 0; y < height; ++y) {
                const int32_t memoryRow = static_cast<int32_t>(height - 1 - y);
                uint8_t* out = Row(memoryRow);
                const size_t at = static_cast<size_t>(width) * y;
                for (uint32_t x = 0; x < width; ++x, out += 3) {
                    out[0] = SampleTo8(c[2].samples[at + x], c[2].precision);
                    out[1] = SampleTo8(c[1].samples[at + x], c[1].precision);
                    out[2] = SampleTo8(c[0].samples[at + x], c[0].precision);
                }
                if (alpha) {
                    uint8_t* a = AlphaMask() + static_cast<size_t>(width) * memoryRow;
                    for (uint32_t x = 0; x < width; ++x)
                        a[x] = SampleTo8(c[3].samples[at + x], c[3].precision);
                }
            }
            return true;
        }
        Settings().frameCount = static_cast<int32_t>(c.size());
        if (Settings().frame < 0 || static_cast<size_t>(Settings().frame) >= c.size())
            throw DecodeFailure{ DecodeStatus::kNoFrame, "wrong frame!" };
        const Component& g = c[static_cast<size_t>(Settings().frame)];
        const int depth = g.precision > 8 ? 8 : g.precision;
        if (!Create(g.width, g.height, static_cast<uint32_t>(depth), type))
            throw DecodeFailure{ Status(), "Can't allocate memory" };
        // The palette spans the component's own levels, whatever depth holds them.
        const uint32_t levels = 1u << depth;
        for (uint32_t i = 0; i < levels && i < ColorsUsed(); ++i) {
            const uint8_t v = SampleTo8(i, depth);
            SetPaletteColor(static_cast<uint8_t>(i), v, v, v);
        }
        // Deeper samples are scaled onto the 256 greys.
        for (uint32_t y = 0; y < g.height; ++y) {
            const int32_t memoryRow = static_cast<int32_t>(g.height - 1 - y);
            const uint32_t* in = g.samples.data() + static_cast<size_t>(g.width) * y;
            for (uint32_t x = 0; x < g.width; ++x) {
                const uint8_t v =
                    g.precision > 8 ? SampleTo8(in[x], g.precision) : static_cast<uint8_t>(in[x]);
                PutIndex(static_cast<int32_t>(x), memoryRow, v);
            }
        }
        return true;
    } catch (const DecodeFailure& failure) {
        Release();
        return Fail(failure);
    }
}
