#include "preview/preview_protocol_info.h"

namespace {

const char kFileScheme[] = "file://";

// "file://" and the program's path, backslashes kept, as a wide string; its
// length in characters, or 0 when it cannot be made.
DWORD MakeSecurityUrl(WCHAR* url, DWORD urlSize)
{
    char text[sizeof(kFileScheme) - 1 + MAX_PATH];
    lstrcpyA(text, kFileScheme);
    char* path = text + sizeof(kFileScheme) - 1;
    DWORD pathLength = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    path[pathLength < MAX_PATH ? pathLength : MAX_PATH - 1] = 0;
    int size = ::MultiByteToWideChar(CP_ACP, 0, text, -1, url, int(urlSize));
    return size > 0 ? DWORD(size - 1) : 0;
}

}  // namespace

// Sizes and lengths are in characters, as the interface counts them; the
// length excludes the terminator and is reported even when the result does not
// fit, so that the caller can size a new buffer (length + 1).
STDMETHODIMP CPreviewProtocolInfo::ParseUrl(LPCWSTR, PARSEACTION action, DWORD, LPWSTR result,
                                            DWORD resultSize, DWORD* resultLength, DWORD)
{
    if (action != PARSE_SECURITY_URL)
        return INET_E_DEFAULT_ACTION;
    WCHAR url[sizeof(kFileScheme) + MAX_PATH];
    DWORD length = MakeSecurityUrl(url, sizeof(url) / sizeof(url[0]));
    if (resultLength)
        *resultLength = length;
    if (!result || resultSize < length + 1)
        return S_FALSE;
    ZeroMemory(result, (length + 1) * sizeof(WCHAR));
    CopyMemory(result, url, (length + 1) * sizeof(WCHAR));
    return S_OK;
}

STDMETHODIMP CPreviewProtocolInfo::CombineUrl(LPCWSTR, LPCWSTR, DWORD, LPWSTR, DWORD, DWORD*, DWORD)
{
    return INET_E_DEFAULT_ACTION;
}

STDMETHODIMP CPreviewProtocolInfo::CompareUrl(LPCWSTR, LPCWSTR, DWORD)
{
    return INET_E_DEFAULT_ACTION;
}

STDMETHODIMP CPreviewProtocolInfo::QueryInfo(LPCWSTR, QUERYOPTION, DWORD, LPVOID, DWORD, DWORD*,
                                             DWORD)
{
    return E_NOTIMPL;
}
