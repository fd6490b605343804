// gzip and deflate through zlib.
#include "caches/body_stream.h"

#include <zlib.h>

namespace {

// zlib's window bits: 15 with the zlib wrapper, negative for raw deflate, +32
// to accept a gzip or a zlib header (servers label one as the other).
constexpr int kZlibWrapped = 15;
constexpr int kRawDeflate = -15;
constexpr int kGzipOrZlib = 15 + 32;

// RFC 1950: method 8 with a window of at most 32K, and a header check that
// makes the first two bytes a multiple of 31.
bool LooksZlibWrapped(const uint8_t* data, size_t size)
{
    if (size < 2)
        return false;
    return (data[0] & 0x0F) == 8 && (data[0] >> 4) <= 7 && ((data[0] << 8) | data[1]) % 31 == 0;
}

class ZlibSource : public BodySource {
public:
    ZlibSource(BodySource& upstream, BodyDecodeState& state, bool gzip)
        : m_input(upstream), m_state(state), m_gzip(gzip)
    {}
    ~ZlibSource() override
    {
        if (m_initialised)
            inflateEnd(&m_stream);
    }

    int64_t Read(uint8_t* buffer, size_t capacity) override
    {
        if (!m_initialised && !Start())
            return -1;
        if (capacity > kBodyChunkSize)
            capacity = kBodyChunkSize;
        m_stream.next_out = buffer;
        m_stream.avail_out = static_cast<uInt>(capacity);
        while (m_stream.avail_out > 0 && !m_done) {
            if (!Step())
                return -1;
        }
        return static_cast<int64_t>(capacity - m_stream.avail_out);
    }

private:
    bool Start()
    {
        if (!m_input.Fill(2))
            return false;
        int windowBits = kGzipOrZlib;
        if (!m_gzip)
            windowBits =
                LooksZlibWrapped(m_input.Data(), m_input.Size()) ? kZlibWrapped : kRawDeflate;
        m_stream = z_stream();
        if (inflateInit2(&m_stream, windowBits) != Z_OK) {
            m_state.Fail(BodyDecodeStatus::Corrupt);
            return false;
        }
        m_initialised = true;
        return true;
    }

    // One inflate call on what the input holds, refilled first when empty.
    bool Step()
    {
        if (m_input.Size() == 0 && !m_input.Fill(1))
            return false;
        if (m_input.Size() == 0) {
            if (m_input.Started()) {
                m_state.Fail(BodyDecodeStatus::Truncated);
                return false;
            }
            m_done = true;
            return true;
        }
        m_stream.next_in = const_cast<Bytef*>(m_input.Data());
        m_stream.avail_in = static_cast<uInt>(m_input.Size());
        int rc = inflate(&m_stream, Z_NO_FLUSH);
        m_input.Consume(m_input.Size() - m_stream.avail_in);
        if (rc == Z_STREAM_END)
            return EndOfMember();
        if (rc == Z_OK || rc == Z_BUF_ERROR)
            return true;
        m_state.Fail(BodyDecodeStatus::Corrupt);
        return false;
    }

    // gzip bodies may be several members one after another, as the gzip tool
    // writes them; anything else after the end is ignored, as browsers do.
    bool EndOfMember()
    {
        if (!m_gzip)
            return m_done = true;
        if (!m_input.Fill(2))
            return false;
        const uint8_t* next = m_input.Data();
        if (m_input.Size() < 2 || next[0] != 0x1F || next[1] != 0x8B)
            return m_done = true;
        if (inflateReset(&m_stream) != Z_OK) {
            m_state.Fail(BodyDecodeStatus::Corrupt);
            return false;
        }
        return true;
    }

    BodyInput m_input;
    BodyDecodeState& m_state;
    bool m_gzip;
    z_stream m_stream = z_stream();
    bool m_initialised = false;
    bool m_done = false;
};

}  // namespace

std::unique_ptr<BodySource> MakeGzipSource(BodySource& upstream, BodyDecodeState& state)
{
    return std::make_unique<ZlibSource>(upstream, state, true);
}

std::unique_ptr<BodySource> MakeDeflateSource(BodySource& upstream, BodyDecodeState& state)
{
    return std::make_unique<ZlibSource>(upstream, state, false);
}
