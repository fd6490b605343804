// The record checks that stand before GDI plays a metafile: the host tree
// reaches them only here, as it has no player to decode with.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    EnhancedRecordsPlayable(data, size);
    WindowsRecordsPlayable(data, size);
    if (size > 22)
        WindowsRecordsPlayable(data + 22, size - 22);  // after a placeable header
    return 0;
}
