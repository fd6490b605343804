// A cache entry's row name from URL bytes: never empty, never longer than
// the bound, never a name Windows would take for another file or folder.
// The first byte picks the code page (bit 0: Windows-1252, else ASCII only)
// and the content type whose extension may be added.
#include "scan/entry_name.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool AsciiOnly(const std::u16string& text, std::string& ansi)
{
    for (char16_t c : text) {
        if (c >= 0x80)
            return false;
        ansi.push_back(static_cast<char>(c));
    }
    return true;
}

// Latin-1's letters and the euro sign: enough of Windows-1252 for bytes
// outside ASCII to reach the name.
bool Western(const std::u16string& text, std::string& ansi)
{
    for (char16_t c : text) {
        if (c == 0x20AC)
            ansi.push_back('\x80');
        else if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
            ansi.push_back(static_cast<char>(c));
        else
            return false;
    }
    return true;
}

const char* const kTypes[] = {
    "",
    "text/html",
    "image/png",
    "application/octet-stream",
    "video/mp4; codecs=x",
    "IMAGE/SVG+XML",
    "application/x-unheard-of",
    "text/plain",
};

bool IsDeviceName(const std::string& name)
{
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (char& c : stem)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    for (const char* device : { "con", "prn", "aux", "nul" }) {
        if (stem == device)
            return true;
    }
    return stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const AnsiConverter toAnsi = (data[0] & 1) ? AnsiConverter(Western) : AnsiConverter(AsciiOnly);
    const char* type = kTypes[(data[0] >> 1) % (sizeof kTypes / sizeof kTypes[0])];
    const std::string url(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string name = EntryRowName(url, type, toAnsi);
    Check(!name.empty() && name.size() <= kEntryNameLength);
    Check(name != "." && name != "..");
    Check(name.back() != '.' && name.back() != ' ' && name.front() != ' ');
    for (unsigned char c : name) {
        Check(c >= 0x20 && c != 0x7F);
        Check(!std::strchr("<>:\"/\\|?*", c) || c == 0);
        // ASCII-only names never carry a byte the code page lacks.
        Check((data[0] & 1) || c < 0x80);
    }
    Check(!IsDeviceName(name));
    return 0;
}
