// Record checks of enhanced and Windows metafiles; the header states the
// bounds. Offsets are those of the platform's record structures, counted from
// the start of each record; every size is computed in 64 bits.
#include "images/codec/metafile_records.h"

#include <vector>

#include "images/codec/decode_util.h"
#include "images/codec/image_object.h"

namespace {

const uint32_t kMaxObjects = 2048;
const uint64_t kMaxRecords = 500000;
const uint64_t kMaxWork = 2000000;
const uint64_t kMaxFillPoints = 8192;
const uint64_t kMaxFilledPoints = 200000;

// One record's bytes. Reads outside it give 0; callers check sizes first.
struct Record {
    const uint8_t* p;
    uint64_t n;
    bool Holds(uint64_t at, uint64_t len) const { return at <= n && len <= n - at; }
    uint32_t U32(uint64_t at) const { return Holds(at, 4) ? ReadLe32(p + at) : 0; }
    uint16_t U16(uint64_t at) const { return Holds(at, 2) ? ReadLe16(p + at) : 0; }
};

// What one file may ask the player to do, all records together.
class Budget {
public:
    bool Record() { return ++m_records <= kMaxRecords; }
    bool Spend(uint64_t n)
    {
        if (n > kMaxWork - m_work)
            return false;
        m_work += n;
        return true;
    }
    bool Fill(uint64_t n)
    {
        if (n > kMaxFillPoints || n > kMaxFilledPoints - m_filled)
            return false;
        m_filled += n;
        return true;
    }

private:
    uint64_t m_records = 0, m_work = 0, m_filled = 0;
};

// --- Bitmaps ------------------------------------------------------------

// The bytes a device-independent bitmap needs: its header with the colour
// table, and the bits of `rows` rows (every row when rows < 0).
struct DibNeeds {
    uint64_t header = 0, bits = 0;
};

bool ParseDib(const Record& r, uint64_t at, uint64_t room, uint32_t usage, int64_t rows,
              DibNeeds& out)
{
    const uint32_t size = r.U32(at);
    if (size > room || !r.Holds(at, size))
        return false;
    int64_t width, height;
    uint32_t planes, bpp, compression = 0, sizeImage = 0, used = 0;
    uint64_t entry = usage == 1 ? 2 : 4;  // DIB_PAL_COLORS: 16-bit indices
    if (size == 12) {
        width = r.U16(at + 4);
        height = r.U16(at + 6);
        planes = r.U16(at + 8);
        bpp = r.U16(at + 10);
        if (usage != 1)
            entry = 3;
    } else if (size >= 40 && size <= 1024) {
        width = static_cast<int32_t>(r.U32(at + 4));
        height = static_cast<int32_t>(r.U32(at + 8));
        planes = r.U16(at + 12);
        bpp = r.U16(at + 14);
        compression = r.U32(at + 16);
        sizeImage = r.U32(at + 20);
        used = r.U32(at + 32);
    } else {
        return false;
    }
    const uint64_t h = static_cast<uint64_t>(height < 0 ? -height : height);
    const bool embedded = compression == 4 || compression == 5;  // JPEG, PNG
    const bool depthOk = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32 ||
                         (bpp == 0 && embedded);
    const bool codingOk = compression == 0 || embedded || (compression == 1 && bpp == 8) ||
                          (compression == 2 && bpp == 4) ||
                          (compression == 3 && (bpp == 16 || bpp == 32));
    if (width <= 0 || h == 0 || planes != 1 || used > 256 || !depthOk || !codingOk)
        return false;
    if (!CImageObject::WithinMemoryBound(static_cast<uint64_t>(width), h, bpp ? bpp : 32))
        return false;
    if (rows > static_cast<int64_t>(h))
        return false;
    const uint64_t colours = usage == 2             ? 0
                             : bpp >= 1 && bpp <= 8 ? (used ? used : 1u << bpp)
                                                    : used;
    out.header = size + (compression == 3 && size == 40 ? 12 : 0) + colours * entry;
    const uint64_t stride = (static_cast<uint64_t>(width) * bpp + 31) / 32 * 4;
    if (compression == 0 || compression == 3) {
        out.bits = stride * (rows < 0 ? h : static_cast<uint64_t>(rows));
    } else {
        if (sizeImage == 0)
            return false;
        out.bits = sizeImage;
    }
    return true;
}

// A bitmap that follows its header directly (WMF records).
bool PackedDib(const Record& r, uint64_t at, uint32_t usage, int64_t rows)
{
    DibNeeds needs;
    return r.Holds(at, 4) && ParseDib(r, at, r.n - at, usage, rows, needs) &&
           r.Holds(at, needs.header) && r.Holds(at + needs.header, needs.bits);
}

// A bitmap an EMF record points to: the four fields at `field` give the
// header's offset and size, then the bits' offset and size. An optional one
// is absent when its header offset and size are both 0.
bool SplitDib(const Record& r, uint64_t field, uint32_t usage, int64_t rows, bool optional)
{
    const uint32_t offBmi = r.U32(field), cbBmi = r.U32(field + 4);
    const uint32_t offBits = r.U32(field + 8), cbBits = r.U32(field + 12);
    if (optional && offBmi == 0 && cbBmi == 0)
        return true;
    DibNeeds needs;
    return r.Holds(offBmi, cbBmi) && r.Holds(offBits, cbBits) && cbBmi >= 4 &&
           ParseDib(r, offBmi, cbBmi, usage, rows, needs) && needs.header <= cbBmi &&
           needs.bits <= cbBits;
}

// The device-dependent bitmap of the oldest WMF blits: a BITMAP16 and its
// bits, rows padded to 16 bits.
bool Bitmap16(const Record& r, uint64_t at)
{
    if (!r.Holds(at, 14))
        return false;
    const uint64_t width = r.U16(at + 2), height = r.U16(at + 4);
    const uint32_t planes = r.p[at + 8], bpp = r.p[at + 9];
    if (width == 0 || height == 0 || planes != 1 || bpp == 0 || bpp > 32)
        return false;
    return r.Holds(at + 14, (width * bpp + 15) / 16 * 2 * height);
}

// --- Shapes and text ------------------------------------------------------

// `count` points of `size` bytes from `at`; filled shapes have a cap of their own.
bool Points(const Record& r, uint64_t at, uint64_t count, uint64_t size, bool fill, Budget& budget)
{
    if (fill && !budget.Fill(count))
        return false;
    return r.Holds(at, count * size) && budget.Spend(count);
}

// Polygon counts, then the points they share out; the counts may not ask for
// more points than follow.
bool PolyCounts(const Record& r, uint64_t at, uint64_t polys, uint64_t countSize, uint64_t points,
                uint64_t pointSize, bool fill, Budget& budget)
{
    if (!r.Holds(at, polys * countSize))
        return false;
    uint64_t sum = 0;
    for (uint64_t i = 0; i < polys; ++i)
        sum += countSize == 4 ? r.U32(at + 4 * i) : r.U16(at + 2 * i);
    if (sum > points || !budget.Spend(polys))
        return false;
    return Points(r, at + polys * countSize, points, pointSize, fill, budget);
}

// EMRTEXT at `at`: its string and its optional advances inside the record.
bool EmrText(const Record& r, uint64_t at, uint64_t charSize, Budget& budget)
{
    const uint64_t chars = r.U32(at + 8), offString = r.U32(at + 12);
    const uint32_t options = r.U32(at + 16), offDx = r.U32(at + 36);
    if (chars == 0)
        return true;
    const uint64_t advance = options & 0x2000 ? 8 : 4;  // ETO_PDY: x and y
    return r.Holds(offString, chars * charSize) &&
           (offDx == 0 || r.Holds(offDx, chars * advance)) && budget.Spend(chars);
}

// RGNDATA: header (its own size first), then nCount rectangles.
bool RegionData(const Record& r, uint64_t at, uint64_t size, Budget& budget)
{
    if (!r.Holds(at, size) || size < 32)
        return false;
    const uint64_t header = r.U32(at), count = r.U32(at + 8);
    return header >= 32 && header <= size && count * 16 <= size - header && budget.Spend(count);
}

bool GradientFill(const Record& r, Budget& budget)
{
    const uint64_t vertices = r.U32(24), shapes = r.U32(28), mode = r.U32(32);
    if (mode > 2)
        return false;
    const uint64_t indices = mode == 2 ? 3 : 2;  // triangles or rectangles
    const uint64_t mesh = 36 + vertices * 16;
    if (!r.Holds(36, vertices * 16) || !r.Holds(mesh, shapes * indices * 4))
        return false;
    for (uint64_t i = 0; i < shapes * indices; ++i)
        if (r.U32(mesh + 4 * i) >= vertices)
            return false;
    return budget.Spend(vertices + shapes);
}

// --- Enhanced metafiles ---------------------------------------------------

// The player keeps created objects in a table of nHandles slots and leaks
// the object of a slot that is filled again before it is deleted.
class EmfObjects {
public:
    explicit EmfObjects(uint32_t slots) : m_used(slots, false) {}
    bool Create(uint32_t index)
    {
        if (index == 0 || index >= m_used.size())
            return false;
        if (m_used[index]) {
            ++m_leaked;
        } else {
            m_used[index] = true;
            ++m_alive;
        }
        return m_alive + m_leaked <= kMaxObjects;
    }
    // Stock objects carry the high bit.
    bool Use(uint32_t index) const { return (index & 0x80000000u) != 0 || index < m_used.size(); }
    bool Delete(uint32_t index)
    {
        if (!Use(index))
            return false;
        if (index < m_used.size() && m_used[index]) {
            m_used[index] = false;
            --m_alive;
        }
        return true;
    }

private:
    std::vector<bool> m_used;
    uint32_t m_alive = 0, m_leaked = 0;
};

// The smallest size of each record type whose fields the player reads.
uint32_t EmfMinSize(uint32_t type)
{
    switch (type) {
    case 1:
        return 88;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 56:
    case 85:
    case 86:
    case 87:
    case 88:
    case 89:
    case 92:
        return 28;
    case 7:
    case 8:
    case 90:
    case 91:
        return 32;
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 26:
    case 27:
    case 54:
        return 16;
    case 14:
    case 15:
        return 20;
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
    case 22:
    case 24:
    case 25:
    case 34:
    case 37:
    case 40:
    case 48:
    case 57:
    case 58:
    case 67:
    case 70:
    case 98:
    case 100:
    case 101:
    case 102:
    case 115:
        return 12;
    case 29:
    case 30:
    case 31:
    case 32:
    case 39:
    case 42:
    case 43:
    case 53:
    case 62:
    case 63:
    case 64:
        return 24;
    case 23:
    case 35:
    case 44:
    case 71:
    case 93:
    case 94:
        return 32;
    case 36:
    case 118:
    case 108:
        return 36;
    case 38:
    case 41:
    case 73:
    case 74:
    case 103:
        return 28;
    case 45:
    case 46:
    case 47:
    case 55:
    case 72:
    case 96:
    case 97:
        return 40;
    case 49:
    case 51:
    case 75:
        return 16;
    case 50:
        return 20;
    case 76:
        return 100;
    case 77:
    case 114:
    case 116:
        return 108;
    case 78:
        return 128;
    case 79:
        return 140;
    case 80:
    case 83:
    case 84:
        return 76;
    case 81:
        return 80;
    case 82:
        return 104;
    case 95:
        return 52;
    case 99:
        return 340;
    case 104:
        return 48;
    case 122:
        return 608;
    default:
        return 8;
    }
}

bool EmfObjectRecord(const Record& r, uint32_t type, EmfObjects& objects)
{
    switch (type) {
    case 38:
    case 39:
    case 49:
    case 82:
    case 93:
    case 94:
    case 95:
    case 99:
    case 122:
        return objects.Create(r.U32(8));
    case 40:
    case 101:
        return objects.Delete(r.U32(8));
    case 37:
    case 48:
    case 50:
    case 51:
    case 100:
        return objects.Use(r.U32(8));
    case 71:
    case 72:
        return objects.Use(r.U32(28));
    default:
        return true;
    }
}

bool EmfRecord(const Record& r, uint32_t type, EmfObjects& objects, Budget& budget)
{
    if (r.n < EmfMinSize(type) || !EmfObjectRecord(r, type, objects))
        return false;
    switch (type) {
    case 1: {  // the description
        const uint64_t chars = r.U32(60);
        return chars == 0 || r.Holds(r.U32(64), chars * 2);
    }
    case 14: {  // the palette of EMR_EOF
        const uint64_t entries = r.U32(8);
        return entries == 0 || r.Holds(r.U32(12), entries * 4);
    }
    case 2:
    case 4:
    case 5:
    case 6:
        return Points(r, 28, r.U32(24), 8, false, budget);
    case 3:
        return Points(r, 28, r.U32(24), 8, true, budget);
    case 85:
    case 87:
    case 88:
    case 89:
        return Points(r, 28, r.U32(24), 4, false, budget);
    case 86:
        return Points(r, 28, r.U32(24), 4, true, budget);
    case 7:
    case 8:
        return PolyCounts(r, 32, r.U32(24), 4, r.U32(28), 8, type == 8, budget);
    case 90:
    case 91:
        return PolyCounts(r, 32, r.U32(24), 4, r.U32(28), 4, type == 91, budget);
    case 56:
        return Points(r, 28, r.U32(24), 9, false, budget);  // points, then a type byte each
    case 92:
        return Points(r, 28, r.U32(24), 5, false, budget);
    case 49:
        return r.Holds(16, static_cast<uint64_t>(r.U16(14)) * 4);
    case 50:
        return r.Holds(20, static_cast<uint64_t>(r.U32(16)) * 4);
    case 51:
        return r.U32(12) <= 1024;
    case 70:
        return r.Holds(12, r.U32(8));
    case 75:
        return r.U32(8) == 0 || RegionData(r, 16, r.U32(8), budget);
    case 71:
        return RegionData(r, 32, r.U32(24), budget);
    case 72:
        return RegionData(r, 40, r.U32(24), budget);
    case 73:
    case 74:
        return RegionData(r, 28, r.U32(24), budget);
    case 76:
    case 77:
        return SplitDib(r, 84, r.U32(80), -1, true);
    case 114:
    case 116:
        return SplitDib(r, 84, r.U32(80), -1, false);
    case 78:
        return SplitDib(r, 84, r.U32(80), -1, true) && SplitDib(r, 112, r.U32(108), -1, true);
    case 79:
        return SplitDib(r, 96, r.U32(92), -1, true) && SplitDib(r, 124, r.U32(120), -1, true);
    case 80:
        return SplitDib(r, 48, r.U32(64), r.U32(72), false);
    case 81:
        return SplitDib(r, 48, r.U32(64), -1, false);
    case 93:
    case 94:
        return SplitDib(r, 16, r.U32(12), -1, false);
    case 95:
        return r.Holds(52, static_cast<uint64_t>(r.U32(48)) * 4) && SplitDib(r, 12, 0, -1, true);
    case 83:
        return EmrText(r, 36, 1, budget);
    case 84:
        return EmrText(r, 36, 2, budget);
    case 96:
    case 97: {
        const uint64_t strings = r.U32(36);
        if (!r.Holds(40, strings * 40))
            return false;
        for (uint64_t i = 0; i < strings; ++i)
            if (!EmrText(r, 40 + 40 * i, type == 97 ? 2 : 1, budget))
                return false;
        return true;
    }
    case 108: {
        const uint64_t chars = r.U32(16);
        const uint32_t options = r.U32(20);
        const uint64_t at = options & 0x100 ? 36 : 52;  // ETO_NO_RECT drops the clip box
        return r.Holds(at, chars * (options & 0x200 ? 1 : 2)) &&
               budget.Spend(chars);  // ETO_SMALL_CHARS
    }
    case 118:
        return GradientFill(r, budget);
    case 122:
        return r.Holds(608, r.U32(604));
    default:
        return true;
    }
}

// --- Windows metafiles ----------------------------------------------------

// The player puts each new object in the lowest free slot of a table of
// mtNoObjects; with none free the object is leaked.
class WmfObjects {
public:
    explicit WmfObjects(uint32_t slots) : m_used(slots, false) {}
    bool Create()
    {
        while (m_free < m_used.size() && m_used[m_free])
            ++m_free;
        if (m_free >= m_used.size())
            return false;
        m_used[m_free] = true;
        return true;
    }
    bool Use(uint32_t index) const { return index < m_used.size(); }
    bool Delete(uint32_t index)
    {
        if (!Use(index))
            return false;
        m_used[index] = false;
        if (index < m_free)
            m_free = index;
        return true;
    }

private:
    std::vector<bool> m_used;
    uint32_t m_free = 0;
};

bool WmfRegion(const Record& r, Budget& budget)
{
    const uint32_t scans = r.U16(16);
    uint64_t at = 28;
    for (uint32_t i = 0; i < scans; ++i) {
        const uint64_t xs = r.U16(at);  // left and right edges, in pairs
        if (xs % 2 != 0 || !r.Holds(at, 8 + 2 * xs) || !budget.Spend(xs / 2 + 1))
            return false;
        at += 8 + 2 * xs;
    }
    return true;
}

bool WmfTextOut(const Record& r, Budget& budget)
{
    const uint64_t chars = r.U16(6);
    return r.Holds(8, (chars + 1) / 2 * 2 + 4) && budget.Spend(chars);
}

bool WmfExtTextOut(const Record& r, Budget& budget)
{
    const uint64_t chars = r.U16(10);
    const uint64_t at = r.U16(12) & 0x6 ? 22 : 14;  // ETO_OPAQUE or ETO_CLIPPED add a box
    return r.Holds(at, chars) && budget.Spend(chars);
}

// A font's face name must end inside the record, or fill its 32 bytes there.
bool WmfFont(const Record& r)
{
    if (r.n < 24)
        return false;
    for (uint64_t i = 24; i < r.n; ++i)
        if (r.p[i] == 0)
            return true;
    return r.n >= 24 + 32;
}

// An escape carrying an enhanced metafile ("WMFC" comments) makes the
// platform play that one instead, unchecked: such files are refused.
bool WmfEscape(const Record& r)
{
    const uint64_t bytes = r.U16(8);
    if (!r.Holds(10, bytes))
        return false;
    return !(r.U16(6) == 15 && bytes >= 4 && r.U32(10) == 0x43464D57);
}

bool WmfObjectRecord(const Record& r, uint16_t function, WmfObjects& objects)
{
    switch (function) {
    case 0x00F7:
    case 0x02FA:
    case 0x02FB:
    case 0x02FC:
    case 0x06FF:
    case 0x0142:
        return objects.Create();
    case 0x01F0:
        return r.n >= 8 && objects.Delete(r.U16(6));
    case 0x012D:
    case 0x0234:
    case 0x012C:
    case 0x012A:
    case 0x012B:
        return r.n >= 8 && objects.Use(r.U16(6));
    case 0x0228:
    case 0x0429:
        return r.n >= 10 && objects.Use(r.U16(6)) && objects.Use(r.U16(8));
    default:
        return true;
    }
}

bool WmfRecord(const Record& r, uint16_t function, WmfObjects& objects, Budget& budget)
{
    if (!WmfObjectRecord(r, function, objects))
        return false;
    const uint32_t words = static_cast<uint32_t>(r.n / 2);
    switch (function) {
    case 0x0000:
        return true;  // META_EOF
    case 0x0324:
    case 0x0325:
        return Points(r, 8, r.U16(6), 4, function == 0x0324, budget);
    case 0x0538: {
        const uint64_t polys = r.U16(6);
        uint64_t points = 0;
        for (uint64_t i = 0; i < polys; ++i)
            points += r.U16(8 + 2 * i);
        return PolyCounts(r, 8, polys, 2, points, 4, true, budget);
    }
    case 0x0521:
        return WmfTextOut(r, budget);
    case 0x0A32:
        return WmfExtTextOut(r, budget);
    case 0x0940:
        return words == 12 || PackedDib(r, 22, 0, -1);  // the short form has no bitmap
    case 0x0B41:
        return words == 14 || PackedDib(r, 26, 0, -1);
    case 0x0F43:
        return PackedDib(r, 28, r.U16(10), -1);
    case 0x0D33:
        return PackedDib(r, 24, r.U16(6), r.U16(8));
    case 0x0142:
        return PackedDib(r, 10, r.U16(6) == 3 ? 0 : r.U16(8),
                         -1);  // BS_PATTERN: colours always RGB
    case 0x0922:
        return words == 12 || Bitmap16(r, 22);
    case 0x0B23:
        return words == 14 || Bitmap16(r, 26);
    case 0x01F9:
        return false;  // the obsolete pattern brush: its layout is read two ways
    case 0x00F7:
    case 0x0037:
    case 0x0436:
        return r.n >= 10 && r.Holds(10, static_cast<uint64_t>(r.U16(8)) * 4);
    case 0x06FF:
        return r.n >= 28 && WmfRegion(r, budget);
    case 0x02FA:
        return r.n >= 16;
    case 0x02FC:
        return r.n >= 14;
    case 0x02FB:
        return WmfFont(r);
    case 0x0626:
        return WmfEscape(r);
    default:
        // Fixed records: the high byte of the function is their parameter count.
        return words >= 3u + (function >> 8);
    }
}

}  // namespace

bool EnhancedRecordsPlayable(const uint8_t* data, size_t size)
{
    const Record head{ data, size };
    if (size < 88 || head.U32(0) != 1 || head.U32(40) != 0x464D4520)
        return false;  // " EMF"
    const uint64_t bytes = head.U32(48);
    if (bytes > size || bytes % 4 != 0)
        return false;
    EmfObjects objects(head.U16(56));
    Budget budget;
    uint64_t at = 0;
    while (at < bytes) {
        if (bytes - at < 8)
            return false;
        const uint32_t type = ReadLe32(data + at);
        const uint64_t length = ReadLe32(data + at + 4);
        // A zero length would have the player read the same record for ever.
        if (length < 8 || length % 4 != 0 || length > bytes - at)
            return false;
        if ((type == 1) != (at == 0))
            return false;  // one header, first
        if (!budget.Record() || !EmfRecord(Record{ data + at, length }, type, objects, budget))
            return false;
        at += length;
    }
    return true;
}

bool WindowsRecordsPlayable(const uint8_t* data, size_t size)
{
    const Record head{ data, size };
    if (size < 18)
        return false;
    const uint16_t kind = head.U16(0), headerWords = head.U16(2), slots = head.U16(10);
    const uint64_t limit = static_cast<uint64_t>(head.U32(6)) * 2;
    if ((kind != 1 && kind != 2) || headerWords != 9 || limit < 18 || limit > size ||
        slots > kMaxObjects)
        return false;
    WmfObjects objects(slots);
    Budget budget;
    uint64_t at = 18;
    while (at < limit) {
        if (limit - at < 6)
            return false;
        const uint64_t length = static_cast<uint64_t>(ReadLe32(data + at)) * 2;
        const uint16_t function = ReadLe16(data + at + 4);
        if (length < 6 || length > limit - at)
            return false;
        if (!budget.Record() || !WmfRecord(Record{ data + at, length }, function, objects, budget))
            return false;
        at += length;
        if (function == 0)
            break;
    }
    return true;
}
