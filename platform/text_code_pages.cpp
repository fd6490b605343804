#include "platform/text_code_pages.h"

#include <windows.h>

#include <climits>
#include <cstdint>
#include <vector>

std::string AnsiToUtf8(const std::string& ansi)
{
    if (ansi.empty() || ansi.size() > INT32_MAX / 4)
        return std::string();
    const int length = static_cast<int>(ansi.size());
    const int wideLength = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    if (wideLength <= 0)
        return std::string();
    std::vector<wchar_t> wide(static_cast<size_t>(wideLength));
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), wideLength);
    const int utf8Length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (utf8Length <= 0)
        return std::string();
    std::string utf8(static_cast<size_t>(utf8Length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], utf8Length, nullptr,
                          nullptr);
    return utf8;
}

std::wstring Utf8ToWide(const std::string& utf8)
{
    if (utf8.empty() || utf8.size() > INT32_MAX / 2)
        return std::wstring();
    const int length = static_cast<int>(utf8.size());
    const int wideLength = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (wideLength <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, &wide[0], wideLength);
    return wide;
}

bool ConvertToAnsi(const std::u16string& text, std::string& ansi)
{
    ansi.clear();
    if (text.empty())
        return true;
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
    int wideLength = static_cast<int>(text.size());
    BOOL lossy = FALSE;
    int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, wideLength, nullptr, 0,
                                       nullptr, &lossy);
    if (length <= 0 || lossy)
        return false;
    ansi.resize(static_cast<size_t>(length));
    length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, wideLength, &ansi[0], length,
                                   nullptr, &lossy);
    return length > 0 && !lossy;
}
