// The zemap scheme through the real URL-moniker layer of this process,
// registered as the program registers it at start-up.
#include <gtest/gtest.h>

#include <string>

#include <objbase.h>
#include <urlmon.h>

#include "preview/current_preview_file.h"
#include "preview/preview_page.h"
#include "preview/preview_protocol_registration.h"

namespace {

// Collects the page inside OnDataAvailable: under Wine the stream that
// BindToStorage hands back afterwards is already drained.
class PageCollector : public IBindStatusCallback {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IBindStatusCallback) {
            *ppv = static_cast<IBindStatusCallback*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&m_cRef); }
    STDMETHODIMP_(ULONG) Release() override { return ::InterlockedDecrement(&m_cRef); }

    STDMETHODIMP OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnLowResource(DWORD) override { return S_OK; }
    STDMETHODIMP OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
    STDMETHODIMP OnStopBinding(HRESULT result, LPCWSTR) override
    {
        stopped = true;
        stopResult = result;
        return S_OK;
    }
    STDMETHODIMP GetBindInfo(DWORD* flags, BINDINFO* info) override
    {
        *flags = BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE;
        ULONG size = info->cbSize;
        ZeroMemory(info, size);
        info->cbSize = size;
        info->dwBindVerb = BINDVERB_GET;
        return S_OK;
    }
    STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* medium) override
    {
        if (!medium || medium->tymed != TYMED_ISTREAM || !medium->pstm)
            return S_OK;
        char part[128];
        ULONG count = 0;
        while (SUCCEEDED(medium->pstm->Read(part, sizeof(part), &count)) && count)
            page.append(part, count);
        return S_OK;
    }
    STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

    std::string page;
    bool stopped = false;
    HRESULT stopResult = E_PENDING;

private:
    volatile LONG m_cRef = 1;
};

// Waits for an asynchronous binding to stop, pumping this thread's messages.
void WaitForStop(const PageCollector& collector)
{
    DWORD deadline = ::GetTickCount() + 10000;
    while (!collector.stopped && ::GetTickCount() < deadline) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(5);
    }
}

std::string Fetch(LPCWSTR url, HRESULT* stopResult)
{
    IMoniker* moniker = nullptr;
    if (FAILED(::CreateURLMonikerEx(nullptr, url, &moniker, URL_MK_UNIFORM)))
        return "(no moniker)";
    IBindCtx* context = nullptr;
    if (FAILED(::CreateBindCtx(0, &context))) {
        moniker->Release();
        return "(no bind context)";
    }
    PageCollector collector;
    IBindStatusCallback* previous = nullptr;
    ::RegisterBindStatusCallback(context, &collector, &previous, 0);
    IStream* stream = nullptr;
    HRESULT hr =
        moniker->BindToStorage(context, nullptr, IID_IStream, reinterpret_cast<void**>(&stream));
    if (hr == MK_S_ASYNCHRONOUS)
        WaitForStop(collector);
    if (stream)
        stream->Release();
    ::RevokeBindStatusCallback(context, &collector);
    context->Release();
    moniker->Release();
    *stopResult = FAILED(hr) ? hr : collector.stopResult;
    return collector.page;
}

std::wstring OwnSecurityUrl()
{
    char path[MAX_PATH];
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string url = std::string("file://") + path;
    return std::wstring(url.begin(), url.end());
}

// One registration for the whole process, held to its end, as at start-up.
class ZemapScheme : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        ASSERT_EQ(S_OK, ::CoInternetGetSession(0, &m_session, 0));
        ASSERT_NE(nullptr, m_session);
        ASSERT_EQ(S_OK, RegisterPreviewProtocol(m_session));
    }
    void TearDown() override
    {
        if (m_session)
            m_session->Release();
        ::CoUninitialize();
    }

private:
    IInternetSession* m_session = nullptr;
};

::testing::Environment* const g_scheme = ::testing::AddGlobalTestEnvironment(new ZemapScheme);

TEST(PreviewUrl, RegistrationNeedsASession)
{
    EXPECT_EQ(E_POINTER, RegisterPreviewProtocol(nullptr));
}

TEST(PreviewUrl, AnyZemapUrlFetchesThePageOfTheCurrentFile)
{
    lstrcpyA(g_szCurrentPreviewFile, "C:\\Cache\\Content.IE5\\0AB1CD2E\\intro[1].swf");
    std::string expected = BuildPreviewPage(g_szCurrentPreviewFile).get();
    for (LPCWSTR url :
         { L"zemap://zema.svc/go.htm", L"zemap://elsewhere/page.txt?x=1", L"zemap:go" }) {
        HRESULT result = E_FAIL;
        EXPECT_EQ(expected, Fetch(url, &result)) << url;
        EXPECT_EQ(S_OK, result) << url;
    }
}

TEST(PreviewUrl, EachRequestReadsTheCurrentFileAfresh)
{
    lstrcpyA(g_szCurrentPreviewFile, "C:\\Cache\\a[1].rm");
    std::string real = BuildPreviewPage(g_szCurrentPreviewFile).get();
    HRESULT result = E_FAIL;
    EXPECT_EQ(real, Fetch(L"zemap://zema.svc/go.htm", &result));

    lstrcpyA(g_szCurrentPreviewFile, "C:\\Cache\\no player here");
    EXPECT_EQ("<HTML></HTML>", Fetch(L"zemap://zema.svc/go.htm", &result));
    EXPECT_EQ(S_OK, result);
}

TEST(PreviewUrl, ParseUrlGivesTheProgramsSecurityUrl)
{
    std::wstring expected = OwnSecurityUrl();
    for (LPCWSTR url : { L"zemap://zema.svc/go.htm", L"zemap:anything" }) {
        WCHAR result[400] = L"";
        DWORD length = 0;
        EXPECT_EQ(S_OK, ::CoInternetParseUrl(url, PARSE_SECURITY_URL, 0, result, 400, &length, 0))
            << url;
        EXPECT_EQ(expected, std::wstring(result)) << url;
        EXPECT_EQ(DWORD(expected.size()), length) << url;
    }
}

TEST(PreviewUrl, ParseUrlIntoTooSmallABufferGivesNoText)
{
    std::wstring expected = OwnSecurityUrl();
    WCHAR result[400];
    wmemset(result, L'#', 400);
    DWORD length = 0;
    EXPECT_EQ(S_FALSE, ::CoInternetParseUrl(L"zemap://zema.svc/go.htm", PARSE_SECURITY_URL, 0,
                                            result, DWORD(expected.size()), &length, 0));
    EXPECT_EQ(DWORD(expected.size()), length);
    EXPECT_EQ(L'#', result[0]);
}

}  // namespace
