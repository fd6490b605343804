// The Media browser under Wine: which files each media kind lists, the
// navigations a selection makes as the preview protocol sees them, the
// web-browser control's teardown, and a window without the control.
#include "tests/win/modal_driver.h"
#include "preview/current_preview_file.h"
#include "media/media_browser_dlg.h"
#include "preview/preview_page.h"
#include "preview/preview_protocol_factory.h"
#include "tests/win/registry_restore.h"
#include "res/resource.h"
#include "tests/win/scan_host.h"
#include "tests/win/temp_tree.h"
#include "tests/win/static_factory.h"

#include <gtest/gtest.h>
#include <urlmon.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace {

// Every request the control makes of the zemap and about schemes, with the
// page the preview protocol served for it.
struct Request {
    std::string url;
    std::string page;
};

std::mutex requestsLock;
std::vector<Request> requests;

std::vector<Request> Requests()
{
    std::lock_guard<std::mutex> lock(requestsLock);
    return requests;
}

void ForgetRequests()
{
    std::lock_guard<std::mutex> lock(requestsLock);
    requests.clear();
}

std::string Narrow(LPCWSTR text)
{
    char narrow[1024] = {};
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

// A sink that takes what the preview protocol reports and lets it be read.
class QuietSink : public IInternetProtocolSink {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = riid == IID_IUnknown || riid == IID_IInternetProtocolSink ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Switch(PROTOCOLDATA*) override { return S_OK; }
    STDMETHODIMP ReportProgress(ULONG, LPCWSTR) override { return S_OK; }
    STDMETHODIMP ReportData(DWORD, ULONG, ULONG) override { return S_OK; }
    STDMETHODIMP ReportResult(HRESULT, DWORD, LPCWSTR) override { return S_OK; }
};

// Stands between the control and the preview protocol: records the URL,
// lets a real preview protocol object build the page, and keeps the page.
// The control itself gets no data: without an HTML engine there is nothing
// to show it in.
class RecordingProtocol final : public IInternetProtocol {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IInternetProtocolRoot ||
            riid == IID_IInternetProtocol) {
            *ppv = static_cast<IInternetProtocol*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&m_cRef); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG count = ::InterlockedDecrement(&m_cRef);
        if (count == 0)
            delete this;
        return count;
    }
    STDMETHODIMP Start(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo* info,
                       DWORD flags, HANDLE_PTR reserved) override
    {
        Request request{ Narrow(url), "" };
        if (request.url.rfind("zemap:", 0) == 0)
            request.page = PageOf(url, info, flags, reserved);
        {
            std::lock_guard<std::mutex> lock(requestsLock);
            requests.push_back(request);
        }
        sink->ReportResult(S_OK, 0, nullptr);
        return S_OK;
    }
    STDMETHODIMP Continue(PROTOCOLDATA*) override { return S_OK; }
    STDMETHODIMP Abort(HRESULT, DWORD) override { return S_OK; }
    STDMETHODIMP Terminate(DWORD) override { return S_OK; }
    STDMETHODIMP Suspend() override { return E_NOTIMPL; }
    STDMETHODIMP Resume() override { return E_NOTIMPL; }
    STDMETHODIMP Read(void*, ULONG, ULONG* read) override
    {
        *read = 0;
        return S_FALSE;
    }
    STDMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_FAIL; }
    STDMETHODIMP LockRequest(DWORD) override { return S_OK; }
    STDMETHODIMP UnlockRequest() override { return S_OK; }

private:
    static std::string PageOf(LPCWSTR url, IInternetBindInfo* info, DWORD flags,
                              HANDLE_PTR reserved)
    {
        IInternetProtocol* preview = nullptr;
        if (FAILED(g_previewProtocolFactory.CreateInstance(nullptr, IID_IInternetProtocol,
                                                           reinterpret_cast<void**>(&preview))))
            return "(no protocol)";
        QuietSink sink;
        std::string page;
        if (preview->Start(url, &sink, info, flags, reserved) == S_OK) {
            char part[256];
            ULONG count = 0;
            while (preview->Read(part, sizeof part, &count) == S_OK)
                page.append(part, count);
        }
        preview->Release();
        return page;
    }

    volatile LONG m_cRef = 0;
};

// Makes a recording protocol for every request.
class RecordingFactory : public StaticFactory {
public:
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* protocol = new RecordingProtocol;
        protocol->AddRef();
        HRESULT result = protocol->QueryInterface(riid, ppv);
        protocol->Release();
        return result;
    }
};

RecordingFactory recordingFactory;

// OLE as the program starts it, and the two schemes the pane navigates to
// handed to the recording protocol for the whole run.
class PreviewSchemes : public ::testing::Environment {
public:
    void SetUp() override
    {
        AfxEnableControlContainer();
        ASSERT_EQ(S_OK, ::CoInternetGetSession(0, &m_session, 0));
        for (LPCWSTR scheme : { L"zemap", L"about" })
            ASSERT_EQ(S_OK, m_session->RegisterNameSpace(&recordingFactory, CLSID_NULL, scheme, 0,
                                                         nullptr, 0));
    }
    void TearDown() override
    {
        if (m_session)
            m_session->Release();
    }

private:
    IInternetSession* m_session = nullptr;
};

::testing::Environment* const schemes = ::testing::AddGlobalTestEnvironment(new PreviewSchemes);

std::vector<std::string> RowNames(const CCacheListCtrl& list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.GetItemCount(); ++i)
        names.push_back(FileNamePart(list.Row(i)->path));
    std::sort(names.begin(), names.end());
    return names;
}

class MediaCategories : public ::testing::Test {
protected:
    MediaCategories()
    {
        for (const char* name : { "a.swf", "B.SWF", "c.avi", "d.wav", "e.vidx", "f.txt", "noext" })
            tree.AddFile(std::string("X1\\") + name, "media");
        tree.AddFile("X1\\empty.avi", "");
        tree.AddFile("X1\\empty.swf", "");
        avi.Set("video/avi");
        wav.Set("audio/wav");
        vidx.Set("videox");
        txt.Set("text/plain");
    }

    std::vector<std::string> Listed(int32_t kind)
    {
        ScanHost host;
        CMediaListCtrl list;
        list.SubclassWindow(host.List());
        FilterOptions filters;
        filters.mediaKind = kind;
        list.StartScan(filters);
        EXPECT_TRUE(host.PumpUntil([&] { return !list.IsRunning(); }, 20000));
        return RowNames(list);
    }

    TempTree tree;
    CacheFolderOverride cache{ tree.Root() };
    SavedValue swf{ HKEY_CLASSES_ROOT, ".swf", "Content Type" };
    SavedValue avi{ HKEY_CLASSES_ROOT, ".avi", "Content Type" };
    SavedValue wav{ HKEY_CLASSES_ROOT, ".wav", "Content Type" };
    SavedValue vidx{ HKEY_CLASSES_ROOT, ".vidx", "Content Type" };
    SavedValue txt{ HKEY_CLASSES_ROOT, ".txt", "Content Type" };
};

using Names = std::vector<std::string>;

TEST_F(MediaCategories, FlashesAreSwfFilesInAnyCaseWhateverTheirType)
{
    swf.Set("video/x-flash");
    EXPECT_EQ(Listed(Flashes), (Names{ "B.SWF", "a.swf" }));
}

TEST_F(MediaCategories, MoviesAreVideoTypesButNeverSwf)
{
    swf.Set("video/x-flash");
    EXPECT_EQ(Listed(Movies), (Names{ "c.avi", "e.vidx" }))
        << "videox is a video; empty files never";
    avi.Set("video/x-msvideo; codecs=\"" + std::string(100, 'x') + "\"");
    EXPECT_EQ(Listed(Movies), (Names{ "c.avi", "e.vidx" })) << "a long content type is read whole";
}

TEST_F(MediaCategories, AudiosTakeASwfOfAnAudioType)
{
    swf.Set("audio/x-flash");
    EXPECT_EQ(Listed(Audios), (Names{ "B.SWF", "a.swf", "d.wav" }));
    swf.Remove();
    EXPECT_EQ(Listed(Audios), Names{ "d.wav" });
    EXPECT_EQ(Listed(3), Names{}) << "no such kind";
}

// The browser opened on a cache of three Flash movies; the script presses OK
// on the Date options dialog and waits for the rows.
class MediaBrowser : public ::testing::Test {
protected:
    MediaBrowser()
    {
        for (const char* name : { "one.swf", "two.swf", "three.swf" })
            tree.AddFile(std::string("Z9\\") + name, "FWS");
        ForgetRequests();
    }

    HWND List() const { return script.Item(IDC_BROWSER_LIST); }
    CCacheListCtrl& ListObject() const
    {
        return *static_cast<CCacheListCtrl*>(CWnd::FromHandlePermanent(List()));
    }
    std::string RowPath(int row) const { return ListObject().Row(row)->path; }

    void OpenAndScan()
    {
        script
            .WaitFor("the Date options dialog",
                     [] {
                         HWND options = ::FindWindowA("#32770", "Options");
                         return options && ::PostMessageA(options, WM_COMMAND, IDOK, 0);
                     })
            .WaitFor("three rows", [this] {
                return ::FindWindowA("#32770", "Options") == nullptr &&
                       ListObject().GetItemCount() == 3;
            });
    }
    // Selects exactly these rows.
    std::function<void()> Select(std::vector<int> rows)
    {
        return [this, rows] {
            LVITEMA state = {};
            state.stateMask = LVIS_SELECTED;
            ::SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(&state));
            state.state = LVIS_SELECTED;
            for (int row : rows)
                ::SendMessageA(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
        };
    }
    static ModalScript::Step LastRequestIs(std::string url)
    {
        return [url] {
            std::vector<Request> all = Requests();
            return !all.empty() && all.back().url == url;
        };
    }
    // The last request was for the zemap URL and was served the page of this
    // row: the template with the row's path.
    ModalScript::Step ServedPageOf(int row)
    {
        return [this, row] {
            std::vector<Request> all = Requests();
            std::string path = RowPath(row);
            return !all.empty() && all.back().url == "zemap://zema.svc/go.htm" &&
                   all.back().page == BuildPreviewPage(path.c_str()).get() &&
                   all.back().page.find(path) != std::string::npos;
        };
    }

    TempTree tree;
    CacheFolderOverride cache{ tree.Root() };
    ModalScript script;
    CMediaBrowserDlg browser;
};

TEST_F(MediaBrowser, SelectionNavigatesToThePageOfTheFirstSelectedRow)
{
    browser.SetMediaKind(Flashes);
    OpenAndScan();
    script.WaitFor("about:blank at creation", LastRequestIs("about:blank"))
        .Do(Select({ 1 }))
        .WaitFor("row 1's page", ServedPageOf(1))
        .Do(Select({ 2 }))
        .WaitFor("row 2's page", ServedPageOf(2))
        .Do(Select({ 2, 0 }))
        .WaitFor("row 0's page: the first selected in list order", ServedPageOf(0))
        .Do([&] { EXPECT_EQ(g_szCurrentPreviewFile, RowPath(0)); })
        .Do(Select({}))
        .WaitFor("about:blank", LastRequestIs("about:blank"))
        .Do([&] {
            EXPECT_STREQ(g_szCurrentPreviewFile, "");
            ::PostMessageA(script.Dialog(), WM_COMMAND, IDCANCEL, 0);
        })
        .UntilClosed("the browser closing");
    EXPECT_EQ(script.Run(browser), IDCANCEL);
}

TEST_F(MediaBrowser, TheControlIsReleasedWhenTheWindowCloses)
{
    for (int cycle = 0; cycle < 20; ++cycle) {
        ModalScript closing;
        IUnknown* control = nullptr;
        closing
            .Do([&] {
                CWnd* host = CWnd::FromHandlePermanent(closing.Item(IDC_PREVIEW_HOST));
                ASSERT_TRUE(host && host->GetControlUnknown());
                control = host->GetControlUnknown();
                control->AddRef();
                ::PostMessageA(closing.Dialog(), WM_COMMAND, IDCANCEL, 0);
            })
            .UntilClosed("the browser closing");
        CMediaBrowserDlg dialog;
        dialog.SetMediaKind(Movies);
        EXPECT_EQ(closing.Run(dialog), IDCANCEL);
        ASSERT_TRUE(control);
        EXPECT_EQ(control->Release(), 0u) << "cycle " << cycle;
    }
}

TEST_F(MediaBrowser, WithoutTheControlTheWindowStillScansAndKeepsTheCurrentFile)
{
    NoControlFactory noControl;
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, ::CoRegisterClassObject(CLSID_WebBrowser, &noControl, CLSCTX_INPROC_SERVER,
                                            REGCLS_MULTIPLEUSE, &cookie));
    browser.SetMediaKind(Flashes);
    OpenAndScan();
    script.Do([&] { EXPECT_EQ(script.Item(IDC_PREVIEW_HOST), nullptr); })
        .Do(Select({ 2 }))
        .WaitFor("the Current preview file", [&] { return g_szCurrentPreviewFile == RowPath(2); })
        .Pause(300)
        .Do([&] {
            EXPECT_TRUE(Requests().empty()) << "nothing to navigate";
            ::PostMessageA(script.Dialog(), WM_COMMAND, IDCANCEL, 0);
        })
        .UntilClosed("the browser closing");
    EXPECT_EQ(script.Run(browser), IDCANCEL);
    ::CoRevokeClassObject(cookie);
}

TEST_F(MediaBrowser, AnUnknownKindEndsTheWindowAtOnce)
{
    browser.SetMediaKind(3);
    script.UntilClosed("the browser closing");
    EXPECT_EQ(script.Run(browser), IDCANCEL);
    EXPECT_EQ(::FindWindowA("#32770", "Options"), nullptr);
}

}  // namespace
