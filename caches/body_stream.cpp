#include "caches/body_stream.h"

#include <cstring>

RawBodySource::RawBodySource(const RawBodyReader& reader, BodyDecodeState& state)
    : m_reader(reader), m_state(state)
{}

int64_t RawBodySource::ReadStore(uint8_t* buffer, size_t capacity)
{
    if (m_ended)
        return 0;
    if (m_state.StopWanted()) {
        m_state.Fail(BodyDecodeStatus::Cancelled);
        return -1;
    }
    int64_t got = m_reader(buffer, capacity);
    // A reader that claims more than the buffer holds has not read what it says.
    if (got < 0 || static_cast<uint64_t>(got) > capacity) {
        m_state.Fail(BodyDecodeStatus::ReadFailed);
        return -1;
    }
    if (got == 0)
        m_ended = true;
    m_state.CountRaw(static_cast<uint64_t>(got));
    return got;
}

bool RawBodySource::Peek(size_t size, const uint8_t*& data, size_t& available)
{
    if (size > kPeekSize)
        size = kPeekSize;
    while (m_peekedEnd < size && !m_ended) {
        int64_t got = ReadStore(m_peeked + m_peekedEnd, size - m_peekedEnd);
        if (got < 0)
            return false;
        m_peekedEnd += static_cast<size_t>(got);
    }
    data = m_peeked + m_peekedBegin;
    available = m_peekedEnd - m_peekedBegin;
    return true;
}

int64_t RawBodySource::Read(uint8_t* buffer, size_t capacity)
{
    if (m_peekedBegin < m_peekedEnd) {
        size_t count = m_peekedEnd - m_peekedBegin;
        if (count > capacity)
            count = capacity;
        std::memcpy(buffer, m_peeked + m_peekedBegin, count);
        m_peekedBegin += count;
        return static_cast<int64_t>(count);
    }
    return ReadStore(buffer, capacity);
}

BodyInput::BodyInput(BodySource& upstream)
    : m_upstream(upstream), m_buffer(new uint8_t[kBodyChunkSize])
{}

bool BodyInput::Fill(size_t wanted)
{
    if (Size() >= wanted || m_ended)
        return true;
    if (m_begin > 0) {
        std::memmove(m_buffer.get(), Data(), Size());
        m_end -= m_begin;
        m_begin = 0;
    }
    while (m_end < wanted && !m_ended) {
        int64_t got = m_upstream.Read(m_buffer.get() + m_end, kBodyChunkSize - m_end);
        if (got < 0)
            return false;
        if (got == 0)
            m_ended = true;
        else
            m_started = true;
        m_end += static_cast<size_t>(got);
    }
    return true;
}
