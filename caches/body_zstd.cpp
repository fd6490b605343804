// zstd through libzstd's streaming decoder.
#include "caches/body_stream.h"

#include <zstd.h>
#include <zstd_errors.h>

namespace {

// RFC 9659 limits an HTTP zstd window to 8 MiB; a frame that asks for more
// would make every entry cost that much memory, so it is refused.
constexpr int kMaxWindowLog = 23;

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
            ZSTD_inBuffer in = { m_input.Data(), m_input.Size(), 0 };
            size_t before = out.pos;
            size_t rc = ZSTD_decompressStream(m_context, &out, &in);
            m_input.Consume(in.pos);
            if (ZSTD_isError(rc)) {
                m_state.Fail(StatusOfError(rc));
                return -1;
            }
            m_frameComplete = rc == 0;
            if (m_input.Ended() && m_input.Size() == 0 && !m_frameComplete && out.pos == before) {
                m_state.Fail(BodyDecodeStatus::Truncated);
                return -1;
            }
        }
        return static_cast<int64_t>(out.pos);
    }

private:
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
};

}  // namespace

std::unique_ptr<BodySource> MakeZstdSource(BodySource& upstream, BodyDecodeState& state)
{
    return std::make_unique<ZstdSource>(upstream, state);
}
