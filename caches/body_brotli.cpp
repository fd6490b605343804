// br through the brotli decoder. Its window is at most 16 MiB: large-window
// streams (not an HTTP coding) are refused by the decoder's default.
#include "caches/body_stream.h"

#include <brotli/decode.h>

namespace {

class BrotliSource : public BodySource {
public:
    BrotliSource(BodySource& upstream, BodyDecodeState& state)
        : m_input(upstream), m_state(state),
          m_decoder(BrotliDecoderCreateInstance(nullptr, nullptr, nullptr))
    {}
    ~BrotliSource() override
    {
        if (m_decoder)
            BrotliDecoderDestroyInstance(m_decoder);
    }

    int64_t Read(uint8_t* buffer, size_t capacity) override
    {
        if (!m_decoder) {
            m_state.Fail(BodyDecodeStatus::Corrupt);
            return -1;
        }
        size_t room = capacity;
        uint8_t* next = buffer;
        while (room > 0 && !m_done) {
            if (m_input.Size() == 0 && m_needsInput) {
                if (!m_input.Fill(1))
                    return -1;
                if (m_input.Size() == 0) {
                    if (!m_input.Started())
                        break;
                    m_state.Fail(BodyDecodeStatus::Truncated);
                    return -1;
                }
            }
            size_t available = m_input.Size();
            const uint8_t* in = m_input.Data();
            BrotliDecoderResult rc =
                BrotliDecoderDecompressStream(m_decoder, &available, &in, &room, &next, nullptr);
            m_input.Consume(m_input.Size() - available);
            m_needsInput = rc == BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT;
            if (rc == BROTLI_DECODER_RESULT_SUCCESS)
                m_done = true;
            else if (rc == BROTLI_DECODER_RESULT_ERROR) {
                m_state.Fail(BodyDecodeStatus::Corrupt);
                return -1;
            }
        }
        return static_cast<int64_t>(capacity - room);
    }

private:
    BodyInput m_input;
    BodyDecodeState& m_state;
    BrotliDecoderState* m_decoder;
    bool m_needsInput = true;
    bool m_done = false;
};

}  // namespace

std::unique_ptr<BodySource> MakeBrotliSource(BodySource& upstream, BodyDecodeState& state)
{
    return std::make_unique<BrotliSource>(upstream, state);
}
