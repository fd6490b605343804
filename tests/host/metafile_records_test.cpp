// The record checks that stand between a metafile and the platform's player:
// what reaches the player has every count, offset and size inside its record,
// and no file may ask for unbounded objects or work.
#include <gtest/gtest.h>

#include "images/codec/metafile_records.h"
#include "tests/common/metafile_samples.h"

namespace {

bool Playable(const Sample& s)
{
    return s.placeable ? WindowsRecordsPlayable(s.bytes.data() + 22, s.bytes.size() - 22)
                       : EnhancedRecordsPlayable(s.bytes.data(), s.bytes.size());
}
bool Emf(const std::vector<uint8_t>& v)
{
    return EnhancedRecordsPlayable(v.data(), v.size());
}
bool Emf(const EmfBuilder& b)
{
    return Emf(b.Bytes());
}
bool Wmf(const std::vector<uint8_t>& v)
{
    return WindowsRecordsPlayable(v.data(), v.size());
}
bool Wmf(const WmfBuilder& b)
{
    return Wmf(b.Bytes(false));
}

const std::vector<uint32_t> kLine = { 0, 0, 9, 9, 2, 0, 0, 9, 9 };  // EMR_POLYLINE of two points
const std::vector<uint16_t> kBrush = { 0, 0x00FF, 0, 0 };           // META_CREATEBRUSHINDIRECT

TEST(MetafileRecords, GoodFilesPassAndTheHostileOnesAreRefused)
{
    for (const Sample& s : GoodMetafiles())
        EXPECT_TRUE(Playable(s)) << s.name;
    for (const Sample& s : HostileMetafiles())
        EXPECT_FALSE(Playable(s)) << s.name;
}

TEST(MetafileRecords, EnhancedChainOfRecords)
{
    EXPECT_TRUE(Emf(EmfBuilder().Add(4, kLine)));
    for (uint32_t size :
         { 0u, 4u, 42u, 24u, 4000u })  // zero, short, unaligned, below its fields, past the end
        EXPECT_FALSE(Emf(EmfBuilder().Add(4, kLine).Size(size))) << size;
    std::vector<uint8_t> cut = EmfBuilder().Add(4, kLine).Bytes();
    cut.resize(cut.size() - 4);  // the header's byte count now runs past the data
    EXPECT_FALSE(Emf(cut));
    EXPECT_FALSE(Emf(EmfBuilder().Add(1, std::vector<uint32_t>(20, 0))));  // a second header
    std::vector<uint8_t> description = EmfBuilder().Bytes();
    description[60] = 8;  // nDescription characters at offDescription 0 would pass the record
    description[64] = 80;
    EXPECT_FALSE(Emf(description));
}

TEST(MetafileRecords, EnhancedCountsStayInsideTheirRecords)
{
    // EMR_POLYPOLYGON: the counts share out the points that follow.
    EXPECT_TRUE(Emf(EmfBuilder().Add(8, { 0, 0, 9, 9, 2, 4, 2, 2, 0, 0, 9, 9, 9, 0, 0, 9 })));
    EXPECT_FALSE(Emf(EmfBuilder().Add(8, { 0, 0, 9, 9, 2, 3, 2, 2, 0, 0, 9, 9, 9, 0 })));
    // EMR_EXTTEXTOUTW: advances past the end of the record.
    std::vector<uint32_t> text = ExtTextOutWFields();
    text[16] = 76;
    EXPECT_FALSE(Emf(EmfBuilder().Add(84, text)));
    // EMR_FILLRGN with a stock brush: one rectangle, then a count of two.
    std::vector<uint32_t> region = { 0,  0, 9, 9, 48, 0x80000000, 32, 1, 1,
                                     16, 0, 0, 9, 9,  0,          0,  9, 9 };
    EXPECT_TRUE(Emf(EmfBuilder().Add(71, region)));
    region[8] = 2;
    EXPECT_FALSE(Emf(EmfBuilder().Add(71, region)));
    // EMR_GRADIENTFILL: a rectangle naming a vertex that is not there.
    std::vector<uint32_t> gradient = { 0, 0, 9, 9, 2, 1, 0, 0, 0, 0, 0, 9, 9, 0, 0, 0, 1 };
    EXPECT_TRUE(Emf(EmfBuilder().Add(118, gradient)));
    gradient.back() = 2;
    EXPECT_FALSE(Emf(EmfBuilder().Add(118, gradient)));
    // EMR_CREATEPALETTE of four entries with none stored.
    EXPECT_FALSE(Emf(EmfBuilder().Add(49, { 1, 0x300 | 4 << 16 })));
}

TEST(MetafileRecords, EnhancedBitmapsHoldTheirBits)
{
    EXPECT_TRUE(Emf(EmfBuilder().Add(81, StretchDibitsFields(2, -2, 16))));  // top-down
    EXPECT_FALSE(
        Emf(EmfBuilder().Add(81, StretchDibitsFields(2, 3, 16))));  // three rows of 8 bytes
    // EMR_SETDIBITSTODEVICE needs the bits of the scans it sets only.
    std::vector<uint32_t> scans = StretchDibitsFields(2, 4, 16);
    scans[15] = 0;  // iStartScan
    scans[16] = 2;  // cScans
    EXPECT_TRUE(Emf(EmfBuilder().Add(80, scans)));
    scans[16] = 3;
    EXPECT_FALSE(Emf(EmfBuilder().Add(80, scans)));
    // An 8-bit bitmap whose colour table runs past its header's size.
    std::vector<uint32_t> paletted = StretchDibitsFields(4, 4, 16);
    paletted[21] = 1 | 8u << 16;
    EXPECT_FALSE(Emf(EmfBuilder().Add(81, paletted)));
    // EMR_BITBLT without a source bitmap is a pattern fill.
    std::vector<uint32_t> blt(23, 0);
    EXPECT_TRUE(Emf(EmfBuilder().Add(76, blt)));
    blt[19] = 40;  // a header size with no header
    EXPECT_FALSE(Emf(EmfBuilder().Add(76, blt)));
}

TEST(MetafileRecords, ObjectsAreBounded)
{
    EmfBuilder pairs(2), leaks(2);
    WmfBuilder wmfPairs(1);
    for (int i = 0; i < 3000; ++i) {
        pairs.Add(39, { 1, 0, 0, 0 }).Add(40, { 1 });
        leaks.Add(39, { 1, 0, 0, 0 });  // the slot filled again: the old brush leaks
        wmfPairs.Add(0x02FC, kBrush).Add(0x01F0, { 0 });
    }
    EXPECT_TRUE(Emf(pairs));
    EXPECT_FALSE(Emf(leaks));
    EXPECT_TRUE(Wmf(wmfPairs));
    EXPECT_FALSE(Wmf(WmfBuilder(1).Add(0x02FC, kBrush).Add(0x02FC, kBrush)));  // the table is full
    EXPECT_FALSE(Emf(EmfBuilder(2).Add(39, { 2, 0, 0, 0 })));  // a slot past nHandles
    EXPECT_FALSE(Emf(EmfBuilder(2).Add(37, { 5 })));
    EXPECT_TRUE(Emf(EmfBuilder(2).Add(37, { 0x80000005 })));  // a stock object
    EXPECT_FALSE(Wmf(WmfBuilder(1).Add(0x012D, { 1 })));
}

TEST(MetafileRecords, WorkIsBounded)
{
    // Every point present, but a filled polygon beyond the cap.
    std::vector<uint32_t> many = { 0, 0, 9, 9, 9000 };
    many.resize(5 + 2 * 9000, 1);
    EXPECT_FALSE(Emf(EmfBuilder().Add(3, many)));
    EXPECT_TRUE(Emf(EmfBuilder().Add(4, many)));
    // Filled points of the whole file.
    std::vector<uint32_t> polygon = { 0, 0, 9, 9, 8000 };
    polygon.resize(5 + 2 * 8000, 1);
    EmfBuilder filled;
    for (int i = 0; i < 25; ++i)
        filled.Add(3, polygon);
    EXPECT_TRUE(Emf(filled));
    EXPECT_FALSE(Emf(filled.Add(3, polygon)));
    // Points of the whole file.
    std::vector<uint32_t> line = { 0, 0, 9, 9, 100000 };
    line.resize(5 + 2 * 100000, 1);
    EmfBuilder within, beyond;
    for (int i = 0; i < 19; ++i)
        within.Add(4, line);
    for (int i = 0; i < 21; ++i)
        beyond.Add(4, line);
    EXPECT_TRUE(Emf(within));
    EXPECT_FALSE(Emf(beyond));
    // Records of the whole file.
    EmfBuilder saves;
    for (int i = 0; i < 500001; ++i)
        saves.Add(33, {});
    EXPECT_FALSE(Emf(saves));
}

TEST(MetafileRecords, WindowsRecordsStayInsideTheFile)
{
    const std::vector<uint16_t> triangle = { 3, 0, 0, 9, 0, 9, 9 };
    std::vector<uint8_t> good = WmfBuilder().Add(0x0324, triangle).Bytes(false);
    EXPECT_TRUE(Wmf(good));
    for (uint8_t words : { 0, 2, 200 }) {  // no size, below the record's own, past the end
        std::vector<uint8_t> bad = good;
        bad[18] = words;
        EXPECT_FALSE(Wmf(bad)) << int{ words };
    }
    EXPECT_FALSE(Wmf(WmfBuilder().Add(0x0324, { 4, 0, 0, 9, 0, 9, 9 })));
    EXPECT_TRUE(Wmf(WmfBuilder().Add(0x0538, { 2, 2, 2, 0, 0, 9, 9, 0, 0, 9, 0 })));
    EXPECT_FALSE(Wmf(WmfBuilder().Add(0x0538, { 2, 3, 3, 0, 0, 9, 9, 0, 0, 9, 0 })));
    EXPECT_FALSE(Wmf(WmfBuilder().Add(0x0521, { 5, 'a' | 'b' << 8, 0, 0 })));  // META_TEXTOUT
    EXPECT_FALSE(Wmf(WmfBuilder().Add(0x041B, { 0, 0 })));  // META_RECTANGLE takes four
    // META_STRETCHDIB of a 2 by 2 24-bit bitmap: 16 bytes of bits, or 14.
    std::vector<uint16_t> dib = { 0x0020, 0x00CC, 0, 2, 2, 0, 0, 2, 2, 0,
                                  0,      40,     0, 2, 0, 2, 0, 1, 24 };
    dib.resize(dib.size() + 12 + 8, 0);
    EXPECT_TRUE(Wmf(WmfBuilder().Add(0x0F43, dib)));
    dib.pop_back();
    EXPECT_FALSE(Wmf(WmfBuilder().Add(0x0F43, dib)));
    // An escape carrying an enhanced metafile, which the platform would play unchecked.
    EXPECT_FALSE(Wmf(WmfBuilder().Add(0x0626, { 15, 4, 0x4D57, 0x4346 })));
    EXPECT_TRUE(Wmf(WmfBuilder().Add(0x0626, { 15, 4, 0x4141, 0x4141 })));
}

}  // namespace
