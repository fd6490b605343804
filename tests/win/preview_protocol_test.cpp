// The preview protocol's COM objects called directly, as the URL-moniker
// layer calls them: the factory, a protocol object per request, info objects.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "preview/current_preview_file.h"
#include "preview/preview_page.h"
#include "preview/preview_protocol_factory.h"

namespace {

struct Report {
    DWORD flags;
    ULONG progress;
    ULONG maximum;
};

// Records what the protocol reports; can refuse data to end the sequence.
class RecordingSink : public IInternetProtocolSink {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IInternetProtocolSink) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Switch(PROTOCOLDATA*) override { return E_NOTIMPL; }
    STDMETHODIMP ReportProgress(ULONG, LPCWSTR) override
    {
        ++progressReports;
        return S_OK;
    }
    STDMETHODIMP ReportData(DWORD flags, ULONG progress, ULONG maximum) override
    {
        data.push_back({ flags, progress, maximum });
        return data.size() == refuseDataNumber ? E_FAIL : S_OK;
    }
    STDMETHODIMP ReportResult(HRESULT result, DWORD error, LPCWSTR text) override
    {
        results.push_back(result);
        lastError = error;
        lastText = text;
        return S_OK;
    }

    std::vector<Report> data;
    std::vector<HRESULT> results;
    DWORD lastError = 1;
    LPCWSTR lastText = L"unset";
    int progressReports = 0;
    size_t refuseDataNumber = 0;  // 1-based ReportData call to refuse; 0 never
};

class PreviewFileGuard {
public:
    explicit PreviewFileGuard(const char* path)
    {
        lstrcpyA(m_saved, g_szCurrentPreviewFile);
        lstrcpyA(g_szCurrentPreviewFile, path);
    }
    ~PreviewFileGuard() { lstrcpyA(g_szCurrentPreviewFile, m_saved); }

private:
    char m_saved[MAX_PATH];
};

IInternetProtocol* NewProtocol()
{
    IInternetProtocol* protocol = nullptr;
    EXPECT_EQ(S_OK, g_previewProtocolFactory.CreateInstance(nullptr, IID_IInternetProtocol,
                                                            reinterpret_cast<void**>(&protocol)));
    return protocol;
}

IInternetProtocolInfo* NewInfo()
{
    IInternetProtocolInfo* info = nullptr;
    EXPECT_EQ(S_OK, g_previewProtocolFactory.CreateInstance(nullptr, IID_IInternetProtocolInfo,
                                                            reinterpret_cast<void**>(&info)));
    return info;
}

std::string ReadWhole(IInternetProtocol* protocol, ULONG chunk,
                      std::vector<ULONG>* counts = nullptr)
{
    std::string all;
    std::vector<char> part(chunk);
    for (;;) {
        ULONG count = 12345;
        HRESULT hr = protocol->Read(part.data(), chunk, &count);
        if (counts)
            counts->push_back(count);
        if (hr == S_FALSE) {
            EXPECT_EQ(0u, count);
            return all;
        }
        EXPECT_EQ(S_OK, hr);
        EXPECT_GT(count, 0u);
        all.append(part.data(), count);
    }
}

std::wstring OwnSecurityUrl()
{
    char path[MAX_PATH];
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string url = std::string("file://") + path;
    return std::wstring(url.begin(), url.end());
}

TEST(PreviewProtocolFactory, AnswersOnlyForItsOwnInterfaces)
{
    void* out = &out;
    EXPECT_EQ(S_OK, g_previewProtocolFactory.QueryInterface(IID_IClassFactory, &out));
    EXPECT_EQ(static_cast<IClassFactory*>(&g_previewProtocolFactory), out);
    out = &out;
    EXPECT_EQ(S_OK, g_previewProtocolFactory.QueryInterface(IID_IUnknown, &out));
    EXPECT_EQ(static_cast<IClassFactory*>(&g_previewProtocolFactory), out);
    out = &out;
    EXPECT_EQ(E_NOINTERFACE, g_previewProtocolFactory.QueryInterface(IID_IInternetProtocol, &out));
    EXPECT_EQ(nullptr, out);
    g_previewProtocolFactory.Release();
    g_previewProtocolFactory.Release();
    EXPECT_EQ(S_OK, g_previewProtocolFactory.LockServer(TRUE));
    EXPECT_EQ(S_OK, g_previewProtocolFactory.LockServer(FALSE));
}

TEST(PreviewProtocolFactory, CountNeverFallsBelowZero)
{
    for (int i = 0; i < 5; ++i)
        g_previewProtocolFactory.Release();
    EXPECT_EQ(0u, g_previewProtocolFactory.Release());
    EXPECT_EQ(1u, g_previewProtocolFactory.AddRef());
    EXPECT_EQ(2u, g_previewProtocolFactory.AddRef());
    EXPECT_EQ(1u, g_previewProtocolFactory.Release());
    EXPECT_EQ(0u, g_previewProtocolFactory.Release());
    EXPECT_EQ(0u, g_previewProtocolFactory.Release());
}

TEST(PreviewProtocolFactory, RefusesAggregationAndPlainUnknown)
{
    void* out = &out;
    IUnknown* outer = &g_previewProtocolFactory;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              g_previewProtocolFactory.CreateInstance(outer, IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
    out = &out;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              g_previewProtocolFactory.CreateInstance(outer, IID_IInternetProtocol, &out));
    EXPECT_EQ(nullptr, out);
    out = &out;
    EXPECT_EQ(E_NOINTERFACE, g_previewProtocolFactory.CreateInstance(nullptr, IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
    out = &out;
    EXPECT_EQ(E_NOINTERFACE,
              g_previewProtocolFactory.CreateInstance(nullptr, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
}

TEST(PreviewProtocolFactory, MakesProtocolObjectsHoldingOneReference)
{
    for (REFIID riid : { IID_IInternetProtocol, IID_IInternetProtocolRoot }) {
        IUnknown* object = nullptr;
        ASSERT_EQ(S_OK, g_previewProtocolFactory.CreateInstance(nullptr, riid,
                                                                reinterpret_cast<void**>(&object)));
        ASSERT_NE(nullptr, object);
        EXPECT_EQ(2u, object->AddRef());
        EXPECT_EQ(1u, object->Release());
        EXPECT_EQ(0u, object->Release());
    }
}

TEST(PreviewProtocol, QueryInterfaceServesItsThreeInterfaces)
{
    IInternetProtocol* protocol = NewProtocol();
    ASSERT_NE(nullptr, protocol);
    for (REFIID riid : { IID_IUnknown, IID_IInternetProtocolRoot, IID_IInternetProtocol }) {
        void* out = nullptr;
        EXPECT_EQ(S_OK, protocol->QueryInterface(riid, &out));
        EXPECT_EQ(static_cast<void*>(protocol), out);
    }
    EXPECT_EQ(5u, protocol->AddRef());  // one from the factory, three from the queries
    void* out = &out;
    EXPECT_EQ(E_NOINTERFACE, protocol->QueryInterface(IID_IInternetProtocolInfo, &out));
    EXPECT_EQ(nullptr, out);
    for (ULONG expected = 4; expected > 0; --expected)
        EXPECT_EQ(expected, protocol->Release());
    EXPECT_EQ(0u, protocol->Release());
}

TEST(PreviewProtocol, StartReportsTheWholePageThenServesIt)
{
    PreviewFileGuard file("C:\\cache\\clip.swf");
    std::string page = BuildPreviewPage(g_szCurrentPreviewFile).get();
    IInternetProtocol* protocol = NewProtocol();
    ASSERT_NE(nullptr, protocol);
    RecordingSink sink;

    EXPECT_EQ(S_OK, protocol->Start(L"zemap://zema.svc/go.htm", &sink, nullptr, 0, 0));

    ULONG size = ULONG(page.size());
    ASSERT_EQ(2u, sink.data.size());
    EXPECT_EQ(DWORD(BSCF_FIRSTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE), sink.data[0].flags);
    EXPECT_EQ(DWORD(BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE), sink.data[1].flags);
    for (const Report& report : sink.data) {
        EXPECT_EQ(size, report.progress);
        EXPECT_EQ(size, report.maximum);
    }
    ASSERT_EQ(1u, sink.results.size());
    EXPECT_EQ(S_OK, sink.results[0]);
    EXPECT_EQ(0u, sink.lastError);
    EXPECT_EQ(nullptr, sink.lastText);
    EXPECT_EQ(0, sink.progressReports);

    std::vector<ULONG> counts;
    EXPECT_EQ(page, ReadWhole(protocol, 400, &counts));
    EXPECT_EQ((std::vector<ULONG>{ 400, size - 400, 0 }), counts);
    ULONG count = 7;
    char byte;
    EXPECT_EQ(S_FALSE, protocol->Read(&byte, 1, &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(S_FALSE, protocol->Read(&byte, 0, &count));
    EXPECT_EQ(S_OK, protocol->Terminate(0));
    protocol->Release();
}

TEST(PreviewProtocol, AnyUrlGetsThePageOfTheCurrentFile)
{
    PreviewFileGuard file("C:\\cache\\song.rm");
    std::string page = BuildPreviewPage(g_szCurrentPreviewFile).get();
    for (LPCWSTR url :
         { L"zemap://zema.svc/go.htm", L"zemap:other", L"zemap://x/y.txt?q=1", L"" }) {
        IInternetProtocol* protocol = NewProtocol();
        RecordingSink sink;
        EXPECT_EQ(S_OK, protocol->Start(url, &sink, nullptr, 0, 0));
        EXPECT_EQ(page, ReadWhole(protocol, 4096));
        protocol->Release();
    }
}

TEST(PreviewProtocol, RefusedDataEndsTheReportsButNotTheRequest)
{
    PreviewFileGuard file("C:\\cache\\clip.swf");
    for (size_t refused : { 1, 2 }) {
        IInternetProtocol* protocol = NewProtocol();
        RecordingSink sink;
        sink.refuseDataNumber = refused;
        EXPECT_EQ(S_OK, protocol->Start(L"zemap://zema.svc/go.htm", &sink, nullptr, 0, 0));
        EXPECT_EQ(refused, sink.data.size());
        EXPECT_TRUE(sink.results.empty());
        protocol->Release();
    }
}

TEST(PreviewProtocol, FileWithoutPlayerGetsTheEmptyPage)
{
    PreviewFileGuard file("C:\\cache\\nodot");
    IInternetProtocol* protocol = NewProtocol();
    RecordingSink sink;
    EXPECT_EQ(S_OK, protocol->Start(L"zemap://zema.svc/go.htm", &sink, nullptr, 0, 0));
    ASSERT_EQ(2u, sink.data.size());
    EXPECT_EQ(13u, sink.data[0].progress);
    EXPECT_EQ("<HTML></HTML>", ReadWhole(protocol, 400));
    protocol->Release();
}

TEST(PreviewProtocol, OtherMethodsAnswerAsTheyMust)
{
    IInternetProtocol* protocol = NewProtocol();
    LARGE_INTEGER move = {};
    ULARGE_INTEGER position = {};
    EXPECT_EQ(S_OK, protocol->Continue(nullptr));
    EXPECT_EQ(S_OK, protocol->Abort(E_ABORT, 0));
    EXPECT_EQ(S_OK, protocol->Terminate(0));
    EXPECT_EQ(E_NOTIMPL, protocol->Suspend());
    EXPECT_EQ(E_NOTIMPL, protocol->Resume());
    EXPECT_EQ(E_FAIL, protocol->Seek(move, 0, &position));
    EXPECT_EQ(S_OK, protocol->LockRequest(0));
    EXPECT_EQ(S_OK, protocol->UnlockRequest());
    ULONG count = 9;
    char byte;
    EXPECT_EQ(S_FALSE, protocol->Read(&byte, 1, &count));  // never started
    EXPECT_EQ(0u, count);
    protocol->Release();
}

TEST(PreviewProtocol, ReferenceCountsHoldUnderConcurrentCalls)
{
    IInternetProtocol* protocol = NewProtocol();
    const int kThreads = 4;
    const int kRounds = 200000;
    std::atomic<int> ready{ 0 };
    auto churn = [&] {
        // All threads begin together, so that their calls really overlap.
        ready.fetch_add(1);
        while (ready.load() < kThreads)
            std::this_thread::yield();
        for (int i = 0; i < kRounds; ++i) {
            protocol->AddRef();
            protocol->AddRef();
            protocol->Release();
        }
        for (int i = 0; i < kRounds; ++i)
            protocol->Release();
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back(churn);
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(2u, protocol->AddRef());
    EXPECT_EQ(1u, protocol->Release());
    EXPECT_EQ(0u, protocol->Release());
}

TEST(PreviewProtocolInfo, QueryInterfaceServesItsTwoInterfaces)
{
    IInternetProtocolInfo* info = NewInfo();
    ASSERT_NE(nullptr, info);
    void* out = nullptr;
    EXPECT_EQ(S_OK, info->QueryInterface(IID_IUnknown, &out));
    EXPECT_EQ(static_cast<void*>(info), out);
    EXPECT_EQ(S_OK, info->QueryInterface(IID_IInternetProtocolInfo, &out));
    out = &out;
    EXPECT_EQ(E_NOINTERFACE, info->QueryInterface(IID_IInternetProtocol, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(2u, info->Release());
    EXPECT_EQ(1u, info->Release());
    EXPECT_EQ(0u, info->Release());
}

TEST(PreviewProtocolInfo, SecurityUrlIsTheProgramsOwnFile)
{
    IInternetProtocolInfo* info = NewInfo();
    std::wstring expected = OwnSecurityUrl();
    for (LPCWSTR url : { L"zemap://zema.svc/go.htm", L"zemap:elsewhere", L"" }) {
        WCHAR result[400];
        wmemset(result, L'#', 400);
        DWORD length = 0;
        EXPECT_EQ(S_OK, info->ParseUrl(url, PARSE_SECURITY_URL, 0, result, 400, &length, 0));
        EXPECT_EQ(expected, std::wstring(result));
        EXPECT_EQ(DWORD(expected.size()), length);
        EXPECT_EQ(L'#', result[length + 1]);  // nothing written past the terminator
    }
    info->Release();
}

TEST(PreviewProtocolInfo, SecurityUrlSizesAreInCharacters)
{
    IInternetProtocolInfo* info = NewInfo();
    std::wstring expected = OwnSecurityUrl();
    DWORD needed = DWORD(expected.size()) + 1;
    std::vector<WCHAR> result(needed + 8, L'#');

    DWORD length = 0;
    EXPECT_EQ(S_FALSE, info->ParseUrl(L"zemap:x", PARSE_SECURITY_URL, 0, result.data(), needed - 1,
                                      &length, 0));
    EXPECT_EQ(DWORD(expected.size()), length);
    EXPECT_EQ(L'#', result[0]);  // no text when it does not fit

    length = 0;
    EXPECT_EQ(S_OK,
              info->ParseUrl(L"zemap:x", PARSE_SECURITY_URL, 0, result.data(), needed, &length, 0));
    EXPECT_EQ(expected, std::wstring(result.data()));
    EXPECT_EQ(DWORD(expected.size()), length);
    info->Release();
}

TEST(PreviewProtocolInfo, OnlyTheSecurityUrlIsServed)
{
    IInternetProtocolInfo* info = NewInfo();
    WCHAR result[400] = L"";
    DWORD length = 0;
    for (PARSEACTION action : { PARSE_CANONICALIZE, PARSE_FRIENDLY, PARSE_SECURITY_DOMAIN,
                                PARSE_DOMAIN, PARSE_SCHEMA, PARSE_PATH_FROM_URL })
        EXPECT_EQ(INET_E_DEFAULT_ACTION,
                  info->ParseUrl(L"zemap:x", action, 0, result, 400, &length, 0));
    EXPECT_EQ(INET_E_DEFAULT_ACTION,
              info->CombineUrl(L"zemap://a/", L"b.htm", 0, result, 400, &length, 0));
    EXPECT_EQ(INET_E_DEFAULT_ACTION, info->CompareUrl(L"zemap:a", L"zemap:a", 0));
    DWORD answer = 0, answerSize = 0;
    EXPECT_EQ(E_NOTIMPL, info->QueryInfo(L"zemap:x", QUERY_IS_SECURE, 0, &answer, sizeof(answer),
                                         &answerSize, 0));
    info->Release();
}

}  // namespace
