// zstd through libzstd's streaming decoder.
#include "caches/body_stream.h"

#include <zstd.h>
#include <zstd_errors.h>

namespace {

// RFC 9659 limits an HTTP zstd window to 8 MiB; a frame that asks for more
// would make every entry cost that much memory, so it is refused.
constexpr int kMaxWindowLog = 23;
// RFC 8878: magic, descriptor, window, dictionary id and content size.
constexpr size_t kMaxFrameHeader = 18;

class ZstdSource : public BodySource {
public:
    ZstdSource(BodySource& upstream, BodyDecodeState& state)
        : m_input(upstream), m_state(state), m_context(ZSTD_createDCtx())
    {
        if (m_context)
            ZSTD_DCtx_setParameter(m_context, ZSTD_d_windowLogMax, kMaxWindowLog);
    }
    ~ZstdSource() override { ZSTD_freeDCtx(m_context); }

    int64_t Read(uint8_t* buffer, size_t capacity) override
    {
        if (!m_context) {
            m_state.Fail(BodyDecodeStatus::Corrupt);
            return -1;
        }
        ZSTD_outBuffer out = { buffer, capacity, 0 };
        while (out.pos < out.size) {
            if (m_input.Size() == 0 && !m_input.Fill(1))
                return -1;
            // Frames may follow one another; the body may end between them.
            if (m_input.Size() == 0 && m_frameComplete)
                break;
            if (m_frameComplete && !StartsFrame())
                return -1;
            size_t offered = m_input.Size();
            if (m_headerLeft > 0 && m_headerLeft < offered)
                offered = m_headerLeft;
            ZSTD_inBuffer in = { m_input.Data(), offered, 0 };
            size_t before = out.pos;
            size_t rc = ZSTD_decompressStream(m_context, &out, &in);
            m_input.Consume(in.pos);
            m_headerLeft -= in.pos < m_headerLeft ? in.pos : m_headerLeft;
            if (ZSTD_isError(rc)) {
                m_state.Fail(StatusOfError(rc));
                return -1;
            }
            m_frameOutput += out.pos - before;
            m_frameComplete = rc == 0;
            if (m_frameComplete && !EndsFrame())
                return -1;
            if (m_input.Ended() && m_input.Size() == 0 && !m_frameComplete && out.pos == before) {
                m_state.Fail(BodyDecodeStatus::Truncated);
                return -1;
            }
        }
        return static_cast<int64_t>(out.pos);
    }

private:
    // Only RFC 8878 frames and skippable ones: the host's libzstd would also
    // take the pre-1.0 formats, which no server sends and the Windows build
    // leaves out.
    bool StartsFrame()
    {
        if (!m_input.Fill(kMaxFrameHeader))
            return false;
        m_frameOutput = 0;
        m_frameSize = ZSTD_CONTENTSIZE_UNKNOWN;
        if (m_input.Size() < 4)
            return true;  // the decoder reports the cut
        const uint8_t* data = m_input.Data();
        uint32_t magic = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                         static_cast<uint32_t>(data[2]) << 16 |
                         static_cast<uint32_t>(data[3]) << 24;
        if (magic != ZSTD_MAGICNUMBER &&
            (magic & ZSTD_MAGIC_SKIPPABLE_MASK) != ZSTD_MAGIC_SKIPPABLE_START) {
            m_state.Fail(BodyDecodeStatus::Corrupt);
            return false;
        }
        unsigned long long size = ZSTD_getFrameContentSize(data, m_input.Size());
        if (size != ZSTD_CONTENTSIZE_ERROR)
            m_frameSize = size;
        if (magic == ZSTD_MAGICNUMBER && m_input.Size() > 4)
            m_headerLeft = FrameHeaderSize(data[4]);
        return true;
    }

    // RFC 8878 3.1.1.1: the frame header's size from its descriptor byte.
    static size_t FrameHeaderSize(uint8_t descriptor)
    {
        static const size_t dictionaryIdSizes[4] = { 0, 1, 2, 4 };
        static const size_t contentSizeSizes[4] = { 0, 2, 4, 8 };
        bool singleSegment = (descriptor & 0x20) != 0;
        size_t contentSize = contentSizeSizes[descriptor >> 6];
        if (contentSize == 0 && singleSegment)
            contentSize = 1;
        return 4 + 1 + (singleSegment ? 0 : 1) + dictionaryIdSizes[descriptor & 3] + contentSize;
    }

    // libzstd decodes a frame it finds whole in its input in one pass, which
    // is stricter than its streaming path (a frame that ends short of the
    // size its header declares, a compressed block of no bytes). Each frame's
    // header is therefore handed over alone, so the streaming path reads
    // every frame, and the declared size is checked here: a body gets one
    // answer however it was read.
    bool EndsFrame()
    {
        if (m_frameSize == ZSTD_CONTENTSIZE_UNKNOWN || m_frameSize == m_frameOutput)
            return true;
        m_state.Fail(BodyDecodeStatus::Corrupt);
        return false;
    }

    static BodyDecodeStatus StatusOfError(size_t rc)
    {
        switch (ZSTD_getErrorCode(rc)) {
        // Readable in principle, but not within this reader's limits or
        // without a dictionary it does not have.
        case ZSTD_error_frameParameter_windowTooLarge:
        case ZSTD_error_dictionary_wrong:
            return BodyDecodeStatus::Unsupported;
        default:
            return BodyDecodeStatus::Corrupt;
        }
    }

    BodyInput m_input;
    BodyDecodeState& m_state;
    ZSTD_DCtx* m_context;
    bool m_frameComplete = true;
    unsigned long long m_frameSize = ZSTD_CONTENTSIZE_UNKNOWN;  // as the frame header declares
    unsigned long long m_frameOutput = 0;
    size_t m_headerLeft = 0;  // bytes of the frame header not yet handed over
};

}  // namespace

std::unique_ptr<BodySource> MakeZstdSource(BodySource& upstream, BodyDecodeState& state)
{
    return std::make_unique<ZstdSource>(upstream, state);
}
