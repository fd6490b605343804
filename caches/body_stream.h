// The pieces a body decode is chained from: a source of bytes pulled in
// order, the raw store at the bottom and one decoder per coding above it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "caches/body_decoder.h"

// Every buffer of the chain has this size: the raw reads, each decoder's
// input and the chunks handed to the sink.
constexpr size_t kBodyChunkSize = 64 * 1024;

// What the whole chain shares: the first failure (later ones are its echoes),
// the raw bytes read and the caller's stop check.
class BodyDecodeState {
public:
    explicit BodyDecodeState(const CacheStopCheck& stop) : m_stop(stop) {}

    void Fail(BodyDecodeStatus status)
    {
        if (m_status == BodyDecodeStatus::Ok)
            m_status = status;
    }
    BodyDecodeStatus Status() const { return m_status; }
    bool StopWanted() const { return m_stop && m_stop(); }
    void CountRaw(uint64_t bytes) { m_rawBytes += bytes; }
    uint64_t RawBytes() const { return m_rawBytes; }

private:
    const CacheStopCheck& m_stop;
    BodyDecodeStatus m_status = BodyDecodeStatus::Ok;
    uint64_t m_rawBytes = 0;
};

class BodySource {
public:
    virtual ~BodySource() = default;
    // Bytes written to buffer (at most capacity), 0 at the end, -1 after a
    // failure recorded in the state. Not called again after 0 or -1.
    virtual int64_t Read(uint8_t* buffer, size_t capacity) = 0;
};

// The stored bytes. The first few may be looked at before anyone reads them,
// to recognise a body that names no coding by its magic.
class RawBodySource : public BodySource {
public:
    RawBodySource(const RawBodyReader& reader, BodyDecodeState& state);
    int64_t Read(uint8_t* buffer, size_t capacity) override;
    // The first `size` bytes (fewer when the body is shorter); false when the store failed.
    bool Peek(size_t size, const uint8_t*& data, size_t& available);

private:
    int64_t ReadStore(uint8_t* buffer, size_t capacity);

    static constexpr size_t kPeekSize = 8;
    const RawBodyReader& m_reader;
    BodyDecodeState& m_state;
    uint8_t m_peeked[kPeekSize];
    size_t m_peekedBegin = 0;
    size_t m_peekedEnd = 0;
    bool m_ended = false;
};

// A decoder's input: one buffer refilled from the source below.
class BodyInput {
public:
    explicit BodyInput(BodySource& upstream);
    // Makes at least `wanted` unread bytes available unless the source ends
    // first; false when it failed.
    bool Fill(size_t wanted);
    const uint8_t* Data() const { return m_buffer.get() + m_begin; }
    size_t Size() const { return m_end - m_begin; }
    void Consume(size_t bytes) { m_begin += bytes; }
    bool Ended() const { return m_ended; }
    // True once any byte came from below: an empty body is a whole one.
    bool Started() const { return m_started; }

private:
    BodySource& m_upstream;
    std::unique_ptr<uint8_t[]> m_buffer;
    size_t m_begin = 0;
    size_t m_end = 0;
    bool m_ended = false;
    bool m_started = false;
};

std::unique_ptr<BodySource> MakeGzipSource(BodySource& upstream, BodyDecodeState& state);
std::unique_ptr<BodySource> MakeDeflateSource(BodySource& upstream, BodyDecodeState& state);
std::unique_ptr<BodySource> MakeBrotliSource(BodySource& upstream, BodyDecodeState& state);
std::unique_ptr<BodySource> MakeZstdSource(BodySource& upstream, BodyDecodeState& state);
