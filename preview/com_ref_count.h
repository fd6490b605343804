// Reference counts of the preview protocol's COM objects. The URL-moniker
// layer calls AddRef and Release on threads of its own choosing, so every
// change is interlocked.
#pragma once
#include <windows.h>

inline LONG IncrementRefCount(volatile LONG* count)
{
    return ::InterlockedIncrement(count);
}

// Takes one reference away but never goes below zero, so that a surplus
// Release is harmless. Answers the count as it was before the call.
inline LONG DecrementRefCount(volatile LONG* count)
{
    for (;;) {
        LONG before = *count;
        if (before <= 0)
            return 0;
        if (::InterlockedCompareExchange(count, before - 1, before) == before)
            return before;
    }
}
