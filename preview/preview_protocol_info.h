// Places every zemap URL in the security context of the program's own file,
// so that the players of a preview page run as for a local page.
#pragma once
#include <windows.h>
#include <urlmon.h>

#include "preview/com_object.h"

class CPreviewProtocolInfo : public CComObject<IInternetProtocolInfo, &IID_IInternetProtocolInfo> {
public:
    // IInternetProtocolInfo
    STDMETHODIMP ParseUrl(LPCWSTR url, PARSEACTION action, DWORD flags, LPWSTR result,
                          DWORD resultSize, DWORD* resultLength, DWORD reserved) override;
    STDMETHODIMP CombineUrl(LPCWSTR baseUrl, LPCWSTR relativeUrl, DWORD flags, LPWSTR result,
                            DWORD resultSize, DWORD* resultLength, DWORD reserved) override;
    STDMETHODIMP CompareUrl(LPCWSTR url1, LPCWSTR url2, DWORD flags) override;
    STDMETHODIMP QueryInfo(LPCWSTR url, QUERYOPTION option, DWORD flags, LPVOID buffer,
                           DWORD bufferSize, DWORD* resultSize, DWORD reserved) override;
};
