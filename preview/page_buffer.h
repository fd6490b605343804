// The bytes of one preview page, appended by the request that builds it and
// drained by whichever thread the URL-moniker layer reads on.
#pragma once
#include <windows.h>
#include <stdint.h>

#include "framework/afxmt.h"

class CPageBuffer {
public:
    CPageBuffer();
    ~CPageBuffer();

    int Append(const void* bytes, uint32_t length);
    int AppendString(const char* text);
    uint32_t Read(void* destination, uint32_t maximum);
    uint32_t TotalAppended() const;

    // Size of the heap block; the growth policy is observable only through it.
    uint32_t Capacity() const { return m_capacity; }

    static const uint32_t kInitialCapacity = 0x10000;

private:
    CPageBuffer(const CPageBuffer&) = delete;
    CPageBuffer& operator=(const CPageBuffer&) = delete;

    int MakeRoom(uint32_t length);

    BYTE* m_block;
    uint32_t m_capacity;
    uint32_t m_readPosition;
    uint32_t m_fill;
    CMutex m_lock;
    uint32_t m_totalAppended;
};
