#include "scan/record_heap.h"

#include <windows.h>

namespace {

// Created on first use, by whichever thread makes the first record, and kept
// for the life of the program like the process heap.
HANDLE RecordHeap()
{
    static const HANDLE heap = ::HeapCreate(0, 0, 0);
    return heap;
}

}  // namespace

void* AllocateRecordMemory(size_t size) noexcept
{
    HANDLE heap = RecordHeap();
    return heap ? ::HeapAlloc(heap, 0, size) : nullptr;
}

void FreeRecordMemory(void* memory) noexcept
{
    if (memory)
        ::HeapFree(RecordHeap(), 0, memory);
}
