// The cost of DecodeBody's chain over the decompression libraries: each body
// decoded through DecodeBody and through the same library called directly,
// taking turns round by round in one process. Both are fed the stored bytes
// the way a cached body arrives, read in 64 KiB pieces into an input buffer
// (a body lives in a file, so no caller has it whole in memory), and both
// decode into a 64 KiB output buffer.
#include <brotli/decode.h>
#include <zlib.h>
#include <zstd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_corpus.h"
#include "caches/body_decoder.h"

namespace {

constexpr size_t kIn = 64 * 1024;
constexpr size_t kOut = 64 * 1024;
size_t g_sink = 0;

struct Body {
    File file;
    std::string coding;
    size_t decodedSize = 0;
};

// The thread's own processor time: the machine is shared with builds, and
// time spent preempted is nobody's decode.
double CpuSeconds(const std::function<void()>& work)
{
    timespec start, end;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    work();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    return static_cast<double>(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9;
}

[[noreturn]] void Fail(const std::string& name, const char* what)
{
    fprintf(stderr, "%s: %s\n", name.c_str(), what);
    exit(1);
}

// The stored body read in order, as a file read would hand it over.
class StoredReads {
public:
    explicit StoredReads(const std::vector<uint8_t>& stored) : m_stored(stored) {}
    size_t Read(uint8_t* buffer, size_t capacity)
    {
        size_t count = std::min(capacity, m_stored.size() - m_offset);
        memcpy(buffer, m_stored.data() + m_offset, count);
        m_offset += count;
        return count;
    }

private:
    const std::vector<uint8_t>& m_stored;
    size_t m_offset = 0;
};

size_t Ours(const Body& body)
{
    StoredReads stored(body.file.bytes);
    RawBodyReader reader = [&](uint8_t* buffer, size_t capacity) -> int64_t {
        return static_cast<int64_t>(stored.Read(buffer, capacity));
    };
    BodyDecodeResult r =
        DecodeBody(reader, body.coding, UINT64_MAX, nullptr, [](const uint8_t* data, size_t) {
            g_sink += data[0];
            return true;
        });
    if (r.status != BodyDecodeStatus::Ok)
        Fail(body.file.name, BodyDecodeStatusText(r.status));
    return r.decodedBytes;
}

size_t DirectZlib(const Body& body, int windowBits)
{
    std::vector<uint8_t> in(kIn), out(kOut);
    StoredReads stored(body.file.bytes);
    z_stream z = z_stream();
    if (inflateInit2(&z, windowBits) != Z_OK)
        Fail(body.file.name, "inflateInit2");
    int rc = Z_OK;
    while (rc == Z_OK) {
        if (z.avail_in == 0) {
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(stored.Read(in.data(), kIn));
        }
        z.next_out = out.data();
        z.avail_out = kOut;
        rc = inflate(&z, Z_NO_FLUSH);
        g_sink += out[0];
    }
    if (rc != Z_STREAM_END)
        Fail(body.file.name, "inflate");
    size_t total = z.total_out;
    inflateEnd(&z);
    return total;
}

size_t DirectBrotli(const Body& body)
{
    std::vector<uint8_t> in(kIn), out(kOut);
    StoredReads stored(body.file.bytes);
    BrotliDecoderState* state = BrotliDecoderCreateInstance(nullptr, nullptr, nullptr);
    size_t available = 0;
    const uint8_t* next = in.data();
    size_t total = 0;
    BrotliDecoderResult rc = BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT;
    while (rc == BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT ||
           rc == BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT) {
        if (rc == BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT) {
            available = stored.Read(in.data(), kIn);
            next = in.data();
            if (available == 0)
                break;
        }
        size_t room = kOut;
        uint8_t* to = out.data();
        rc = BrotliDecoderDecompressStream(state, &available, &next, &room, &to, nullptr);
        total += kOut - room;
        g_sink += out[0];
    }
    BrotliDecoderDestroyInstance(state);
    if (rc != BROTLI_DECODER_RESULT_SUCCESS)
        Fail(body.file.name, "BrotliDecoderDecompressStream");
    return total;
}

size_t DirectZstd(const Body& body)
{
    std::vector<uint8_t> input(kIn), out(kOut);
    StoredReads stored(body.file.bytes);
    ZSTD_DCtx* context = ZSTD_createDCtx();
    ZSTD_inBuffer in = { input.data(), 0, 0 };
    size_t total = 0;
    size_t rc = 1;
    while (rc != 0) {
        if (in.pos == in.size) {
            in.size = stored.Read(input.data(), kIn);
            in.pos = 0;
            if (in.size == 0)
                Fail(body.file.name, "zstd frame cut short");
        }
        ZSTD_outBuffer to = { out.data(), kOut, 0 };
        rc = ZSTD_decompressStream(context, &to, &in);
        if (ZSTD_isError(rc))
            Fail(body.file.name, ZSTD_getErrorName(rc));
        total += to.pos;
        g_sink += out[0];
    }
    ZSTD_freeDCtx(context);
    return total;
}

size_t Direct(const Body& body)
{
    if (body.coding == "gzip")
        return DirectZlib(body, 15 + 16);
    if (body.coding == "br")
        return DirectBrotli(body);
    if (body.coding == "zstd")
        return DirectZstd(body);
    // deflate: the corpus names say which wrapper, as DecodeBody finds out itself.
    return DirectZlib(body, body.file.name.find(".zlib") != std::string::npos ? 15 : -15);
}

std::string CodingOf(const std::string& name)
{
    if (name.find(".gz") != std::string::npos)
        return "gzip";
    if (name.find(".br") != std::string::npos)
        return "br";
    if (name.find(".zst") != std::string::npos)
        return "zstd";
    return "deflate";
}

}  // namespace

int main(int argc, char** argv)
{
    BenchCommand command;
    if (!ReadBenchCommand(argc, argv, "body_bench CORPUS_DIR [ROUNDS]", 21, command))
        return 2;
    printf("Body decode: DecodeBody against the library called directly, decoded MB per second of\n"
           "the thread's processor time (best round); overhead = median over the rounds of\n"
           "DecodeBody's time / direct time - 1. Both read the stored bytes in 64 KiB pieces.\n");
    for (File& file : Corpus(command.folder, "bench.txt")) {
        Body body{ std::move(file), "", 0 };
        body.coding = CodingOf(body.file.name);
        body.decodedSize = Ours(body);
        if (Direct(body) != body.decodedSize)
            Fail(body.file.name, "the two decodes differ in size");
        // A round decodes the body often enough to take some 30 ms each way.
        int repeats = 1;
        while (repeats < 100000 && CpuSeconds([&] { Direct(body); }) * repeats < 0.03)
            repeats *= 2;
        const auto timeEach = [&](size_t (*decode)(const Body&)) {
            return [&, decode] {
                return CpuSeconds([&] {
                           for (int i = 0; i < repeats; ++i)
                               decode(body);
                       }) /
                       repeats;
            };
        };
        const Turns turns = TakeTurns(command.rounds, timeEach(Ours), timeEach(Direct));
        const double mb = body.decodedSize / 1e6;
        printf("%-16s %5.1f MB from %6.2f MB | ours %7.1f MB/s | direct %7.1f MB/s | overhead "
               "%+5.1f%%\n",
               body.file.name.c_str(), mb, body.file.bytes.size() / 1e6, mb / turns.bestOurs,
               mb / turns.bestRival, (Median(turns.ratios) - 1) * 100);
    }
    return g_sink == 42 ? 3 : 0;
}
