// Text blocks from malloc, owned by one holder and freed with free, so that an
// allocation failure is an empty holder rather than an exception.
#pragma once
#include <stdlib.h>
#include <memory>

struct FreeBlock {
    void operator()(void* block) const { free(block); }
};

using HeapText = std::unique_ptr<char, FreeBlock>;
