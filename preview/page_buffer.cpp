#include "preview/page_buffer.h"

#include <new>
#include <string.h>

namespace {

// Room kept past the stored bytes; it always holds the terminating NUL.
const uint32_t kSlack = 16;
const uint32_t kGrowthStep = 0x4000;

}  // namespace

CPageBuffer::CPageBuffer()
    : m_block(new (std::nothrow) BYTE[kInitialCapacity]), m_capacity(kInitialCapacity),
      m_readPosition(0), m_fill(0), m_lock(FALSE, nullptr), m_totalAppended(0)
{
    if (m_block)
        m_block[0] = 0;
}

CPageBuffer::~CPageBuffer()
{
    delete[] m_block;
}

// Called with the lock held. Sizes are worked out in 64 bits so that a huge
// length fails instead of wrapping round to a small block.
int CPageBuffer::MakeRoom(uint32_t length)
{
    if (!m_block)
        return 0;
    uint64_t free = m_capacity - m_fill;
    uint64_t need = uint64_t(length) + kSlack;
    if (free > need)
        return 1;
    uint64_t growth = ((need - free) + kGrowthStep) & ~uint64_t(kGrowthStep - 1);
    uint64_t capacity = m_capacity + free + growth;
    if (capacity > UINT32_MAX)
        return 0;
    BYTE* block = new (std::nothrow) BYTE[size_t(capacity)];
    if (!block)
        return 0;
    memcpy(block, m_block, m_fill);
    delete[] m_block;
    m_block = block;
    m_capacity = uint32_t(capacity);
    return 1;
}

int CPageBuffer::Append(const void* bytes, uint32_t length)
{
    if (!bytes || length == 0)
        return 1;
    CSingleLock lock(&m_lock, TRUE);
    if (!MakeRoom(length))
        return 0;
    memcpy(m_block + m_fill, bytes, length);
    m_fill += length;
    m_block[m_fill] = 0;
    m_totalAppended += length;
    return 1;
}

int CPageBuffer::AppendString(const char* text)
{
    if (!text)
        return 1;
    return Append(text, uint32_t(strlen(text)));
}

uint32_t CPageBuffer::Read(void* destination, uint32_t maximum)
{
    CSingleLock lock(&m_lock, TRUE);
    if (!m_block || !destination || m_readPosition >= m_fill)
        return 0;
    uint32_t count = m_fill - m_readPosition;
    if (count > maximum)
        count = maximum;
    memcpy(destination, m_block + m_readPosition, count);
    m_readPosition += count;
    // Unread bytes move to the front, so no second index survives the call.
    uint32_t rest = m_fill - m_readPosition;
    memmove(m_block, m_block + m_readPosition, rest);
    m_block[rest] = 0;
    m_fill = rest;
    m_readPosition = 0;
    return count;
}

uint32_t CPageBuffer::TotalAppended() const
{
    return m_block ? m_totalAppended : 0;
}
