// DecodeBody against what the real tools wrote: gzip, brotli and zstd from
// their command-line programs, raw and zlib deflate from Python's zlib
// (make-body-fixtures.sh, at build time).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "caches/body_decoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kDir = ZEMA_BODY_FIXTURES;

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Decoded {
    BodyDecodeResult result;
    Bytes bytes;
};

// Hands the body over in reads of changing sizes, from one byte up, so
// headers and frames are split at every kind of place.
void DecodeInto(Decoded& out, const Bytes& stored, const std::string& coding, uint64_t bound,
                const CacheStopCheck& stop)
{
    size_t offset = 0;
    size_t turn = 0;
    RawBodyReader reader = [&](uint8_t* buffer, size_t capacity) -> int64_t {
        static const size_t sizes[] = { 1, 3, 4096, 65536, 7, 100000 };
        size_t count = std::min({ capacity, stored.size() - offset, sizes[turn++ % 6] });
        std::copy(stored.begin() + static_cast<ptrdiff_t>(offset),
                  stored.begin() + static_cast<ptrdiff_t>(offset + count), buffer);
        offset += count;
        return static_cast<int64_t>(count);
    };
    out.result = DecodeBody(reader, coding, bound, stop, [&](const uint8_t* data, size_t size) {
        out.bytes.insert(out.bytes.end(), data, data + size);
        return true;
    });
    EXPECT_EQ(out.result.decodedBytes, out.bytes.size());
}

Decoded Decode(const Bytes& stored, const std::string& coding, uint64_t bound = 1u << 30,
               const CacheStopCheck& stop = nullptr)
{
    Decoded out;
    DecodeInto(out, stored, coding, bound, stop);
    return out;
}

bool IsPrefix(const Bytes& part, const Bytes& whole)
{
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

class BodyDecodeTest : public testing::Test {
protected:
    static Bytes File(const std::string& name)
    {
        Bytes bytes = ReadFile(kDir + "/" + name);
        EXPECT_FALSE(bytes.empty()) << name << " is missing";
        return bytes;
    }
};

struct Case {
    const char* file;
    const char* coding;
};
const Case kCodings[] = { { ".gz", "gzip" },  { ".gz", "x-gzip" },    { ".br", "br" },
                          { ".zst", "zstd" }, { ".zlib", "deflate" }, { ".deflate", "Deflate" } };

TEST_F(BodyDecodeTest, EveryCodingDecodesToTheToolsInput)
{
    for (const char* name : { "text", "binary" }) {
        Bytes original = File(name);
        for (const Case& c : kCodings) {
            SCOPED_TRACE(std::string(name) + c.file + " as " + c.coding);
            Bytes stored = File(name + std::string(c.file));
            Decoded d = Decode(stored, c.coding);
            EXPECT_EQ(d.result.status, BodyDecodeStatus::Ok);
            EXPECT_EQ(d.result.rawBytes, stored.size());
            EXPECT_TRUE(d.bytes == original);
        }
        Decoded identity = Decode(original, "identity");
        EXPECT_EQ(identity.result.status, BodyDecodeStatus::Ok);
        EXPECT_TRUE(identity.bytes == original);
    }
}

TEST_F(BodyDecodeTest, HeaderListsAndMembers)
{
    Bytes text = File("text");
    Decoded stacked = Decode(File("text.gz.br"), " GZIP ,br");
    EXPECT_EQ(stacked.result.status, BodyDecodeStatus::Ok);
    EXPECT_TRUE(stacked.bytes == text);
    // In the wrong order the outer layer is not gzip.
    EXPECT_EQ(Decode(File("text.gz.br"), "br, gzip").result.status, BodyDecodeStatus::Corrupt);

    Bytes both = text;
    Bytes binary = File("binary");
    both.insert(both.end(), binary.begin(), binary.end());
    Decoded members = Decode(File("members.gz"), "gzip");
    EXPECT_EQ(members.result.status, BodyDecodeStatus::Ok);
    EXPECT_TRUE(members.bytes == both);

    // Chromium's own on-disk compression names no coding.
    Decoded unlabelled = Decode(File("text.zst"), "");
    EXPECT_EQ(unlabelled.result.status, BodyDecodeStatus::Ok);
    EXPECT_TRUE(unlabelled.bytes == text);
    Decoded identity = Decode(File("text.zst"), "identity");
    EXPECT_EQ(identity.result.status, BodyDecodeStatus::Ok);
    EXPECT_TRUE(identity.bytes == text);

    EXPECT_EQ(Decode(File("long-window.zst"), "zstd").result.status, BodyDecodeStatus::Unsupported);
    for (const char* coding : { "compress", "gzip, sdch", "dcb", "gzip,gzip,gzip,gzip,gzip" }) {
        Decoded d = Decode(File("text.gz"), coding);
        EXPECT_EQ(d.result.status, BodyDecodeStatus::Unsupported) << coding;
        EXPECT_EQ(d.result.rawBytes, 0u) << coding;
    }
    // A stored response without a body (a redirect, a 204) keeps its header.
    for (const Case& c : kCodings)
        EXPECT_EQ(Decode(Bytes(), c.coding).result.status, BodyDecodeStatus::Ok) << c.coding;
}

TEST_F(BodyDecodeTest, OutputBoundIsExact)
{
    Bytes text = File("text");
    for (const Case& c : kCodings) {
        SCOPED_TRACE(c.coding);
        Bytes stored = File("text" + std::string(c.file));
        Decoded at = Decode(stored, c.coding, text.size());
        EXPECT_EQ(at.result.status, BodyDecodeStatus::Ok);
        EXPECT_EQ(at.bytes.size(), text.size());
        Decoded below = Decode(stored, c.coding, text.size() - 1);
        EXPECT_EQ(below.result.status, BodyDecodeStatus::TooLarge);
        EXPECT_EQ(below.bytes.size(), text.size() - 1);
        EXPECT_TRUE(IsPrefix(below.bytes, text));
        EXPECT_EQ(Decode(stored, c.coding, 0).result.status, BodyDecodeStatus::TooLarge);
    }
    // The bombs cost the bound and a buffer or two of input, not 200 MB.
    for (const char* bomb : { "bomb.gz", "bomb.br", "bomb.zst" }) {
        SCOPED_TRACE(bomb);
        Bytes stored = File(bomb);
        Decoded d = Decode(stored,
                           bomb[5] == 'g'   ? "gzip"
                           : bomb[5] == 'b' ? "br"
                                            : "zstd",
                           1000003);
        EXPECT_EQ(d.result.status, BodyDecodeStatus::TooLarge);
        EXPECT_EQ(d.bytes.size(), 1000003u);
        EXPECT_TRUE(d.bytes == Bytes(1000003, 0));
        EXPECT_LE(d.result.rawBytes, 3u * 65536);
    }
}

TEST_F(BodyDecodeTest, TruncatedAndCorruptBodies)
{
    for (const char* name : { "text", "binary" }) {
        Bytes original = File(name);
        for (const Case& c : kCodings) {
            SCOPED_TRACE(std::string(name) + c.file);
            Bytes stored = File(name + std::string(c.file));
            for (size_t keep : { stored.size() / 2, stored.size() - 1, size_t(1) }) {
                Decoded d = Decode(
                    Bytes(stored.begin(), stored.begin() + static_cast<ptrdiff_t>(keep)), c.coding);
                EXPECT_EQ(d.result.status, BodyDecodeStatus::Truncated) << keep;
                EXPECT_TRUE(IsPrefix(d.bytes, original)) << keep;
            }
            // A byte changed in the middle: the format's own check (CRC-32,
            // Adler-32, zstd's content checksum) catches it; raw deflate and
            // brotli carry none, so a change may decode to other bytes.
            if (std::string(c.file) != ".deflate" && std::string(c.file) != ".br") {
                Bytes damaged = stored;
                damaged[damaged.size() / 2] ^= 0x5A;
                EXPECT_EQ(Decode(damaged, c.coding).result.status, BodyDecodeStatus::Corrupt);
            }
        }
    }
    Bytes garbage = File("binary");
    garbage.resize(5000);
    for (const Case& c : kCodings)
        EXPECT_EQ(Decode(garbage, c.coding).result.status, BodyDecodeStatus::Corrupt) << c.coding;
    // A zstd magic followed by nothing sensible: recognised, then refused.
    Bytes fakeZstd = { 0x28, 0xB5, 0x2F, 0xFD };
    fakeZstd.resize(64, 0xFF);
    EXPECT_EQ(Decode(fakeZstd, "").result.status, BodyDecodeStatus::Corrupt);
}

TEST_F(BodyDecodeTest, StopAndFailedReads)
{
    // Heard between chunks: at most one more chunk after the wish.
    Bytes stored = File("text.br");
    Decoded stopped;
    DecodeInto(stopped, stored, "br", 1u << 30, [&] { return stopped.bytes.size() >= 100000; });
    EXPECT_EQ(stopped.result.status, BodyDecodeStatus::Cancelled);
    EXPECT_GE(stopped.bytes.size(), 100000u);
    EXPECT_LE(stopped.bytes.size(), 100000u + 65536);
    EXPECT_EQ(Decode(stored, "br", 1u << 30, [] { return true; }).result.decodedBytes, 0u);

    // The store goes away after the first 10,000 bytes.
    for (const Case& c : kCodings) {
        Bytes body = File("text" + std::string(c.file));
        size_t offset = 0;
        RawBodyReader failing = [&](uint8_t* buffer, size_t capacity) -> int64_t {
            if (offset >= 10000)
                return -1;
            size_t count = std::min<size_t>(capacity, 10000 - offset);
            std::copy(body.begin() + static_cast<ptrdiff_t>(offset),
                      body.begin() + static_cast<ptrdiff_t>(offset + count), buffer);
            offset += count;
            return static_cast<int64_t>(count);
        };
        BodyDecodeResult r = DecodeBody(failing, c.coding, 1u << 30, nullptr,
                                        [](const uint8_t*, size_t) { return true; });
        EXPECT_EQ(r.status, BodyDecodeStatus::ReadFailed) << c.coding;
        EXPECT_EQ(r.rawBytes, 10000u) << c.coding;
    }

    // The sink's refusal ends the decode without a failure.
    size_t calls = 0;
    RawBodyReader whole = [&, offset = size_t(0)](uint8_t* buffer,
                                                  size_t capacity) mutable -> int64_t {
        size_t count = std::min(capacity, stored.size() - offset);
        std::copy(stored.begin() + static_cast<ptrdiff_t>(offset),
                  stored.begin() + static_cast<ptrdiff_t>(offset + count), buffer);
        offset += count;
        return static_cast<int64_t>(count);
    };
    BodyDecodeResult r = DecodeBody(whole, "br", 1u << 30, nullptr,
                                    [&](const uint8_t*, size_t) { return ++calls < 2; });
    EXPECT_EQ(r.status, BodyDecodeStatus::Ok);
    EXPECT_EQ(calls, 2u);
    EXPECT_LT(r.decodedBytes, File("text").size());
}

}  // namespace
