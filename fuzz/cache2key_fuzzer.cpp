// A cache2 key, and a file name made from what it names: the name must stay
// one safe Windows name whatever the key holds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "caches/firefox_key.h"
#include "caches/safe_file_name.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void CheckSafe(const std::string& name)
{
    Check(!name.empty() && name.size() <= 120);
    Check(name != "." && name != "..");
    Check(name.back() != '.' && name.back() != ' ');
    for (unsigned char c : name)
        Check(c >= 0x20 && c != 0x7f &&
              std::string("<>:\"/\\|?*").find(static_cast<char>(c)) == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    FirefoxKey key = ParseFirefoxKey(text);
    if (key.valid)
        Check(key.url.size() < text.size());
    SiteFromPartitionKey(text);
    CheckSafe(SafeFileName(text));
    if (key.valid)
        CheckSafe(SafeFileName(key.url));
    return 0;
}
