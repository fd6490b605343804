// The heap the rows' records live in, apart from the process heap. Records
// live as long as the list, one more with each row, while decoding allocates
// and frees larger blocks between them: in the common heap each record would
// split the space decoding frees, every later allocation would search the
// longer free lists, and large blocks would come from fresh pages to be
// zeroed again. Whatever a row keeps for its life belongs here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>

// Null when the memory is not there.
void* AllocateRecordMemory(size_t size) noexcept;
void FreeRecordMemory(void* memory) noexcept;

// For the containers and shared objects a row keeps.
template <class T> struct RecordAllocator {
    using value_type = T;

    RecordAllocator() = default;
    template <class U> RecordAllocator(const RecordAllocator<U>&) noexcept {}

    T* allocate(size_t count)
    {
        if (count > SIZE_MAX / sizeof(T))
            throw std::bad_alloc();
        if (void* memory = AllocateRecordMemory(count * sizeof(T)))
            return static_cast<T*>(memory);
        throw std::bad_alloc();
    }
    void deallocate(T* memory, size_t) noexcept { FreeRecordMemory(memory); }
};

template <class T, class U>
bool operator==(const RecordAllocator<T>&, const RecordAllocator<U>&) noexcept
{
    return true;
}
template <class T, class U>
bool operator!=(const RecordAllocator<T>&, const RecordAllocator<U>&) noexcept
{
    return false;
}
