#include "platform/text_code_pages.h"

#include <windows.h>

#include <cstdint>

namespace {

// size bytes of text in the code page as UTF-16; "" when they do not convert.
std::wstring WideOf(UINT codePage, const char* text, size_t size)
{
    if (size == 0 || size > INT32_MAX / 2)
        return std::wstring();
    const int length = static_cast<int>(size);
    const int wideLength = ::MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    if (wideLength <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(codePage, 0, text, length, &wide[0], wideLength);
    return wide;
}

// UTF-16 in the code page. Exact: false when a character has no byte of its
// own there, rather than a best fit or the default character. UTF-8 holds
// every character and takes neither check.
bool NarrowOf(UINT codePage, bool exact, const wchar_t* wide, size_t size, std::string& out)
{
    out.clear();
    if (size == 0)
        return true;
    if (size > INT32_MAX / 4)
        return false;
    const int wideLength = static_cast<int>(size);
    const DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL lossy = FALSE;
    BOOL* const usedDefault = exact ? &lossy : nullptr;
    int length =
        ::WideCharToMultiByte(codePage, flags, wide, wideLength, nullptr, 0, nullptr, usedDefault);
    if (length <= 0 || lossy)
        return false;
    out.resize(static_cast<size_t>(length));
    length = ::WideCharToMultiByte(codePage, flags, wide, wideLength, &out[0], length, nullptr,
                                   usedDefault);
    return length > 0 && !lossy;
}

}  // namespace

std::string AnsiToUtf8(const std::string& ansi)
{
    const std::wstring wide = WideOf(CP_ACP, ansi.data(), ansi.size());
    std::string utf8;
    return NarrowOf(CP_UTF8, false, wide.data(), wide.size(), utf8) ? utf8 : std::string();
}

std::wstring Utf8ToWide(const std::string& utf8)
{
    return WideOf(CP_UTF8, utf8.data(), utf8.size());
}

bool ConvertToAnsi(const std::u16string& text, std::string& ansi)
{
    return NarrowOf(CP_ACP, true, reinterpret_cast<const wchar_t*>(text.data()), text.size(), ansi);
}
