#include "browser/details_dlg.h"
#include "res/resource.h"
#include "browser/cache_source_url.h"
#include "browser/entry_details.h"
#include "scan/cache_item.h"
#include "scan/cached_entry.h"
#include "platform/shell_open.h"

#include <memory>
#include <utility>

const char CDetailsDlg::noSourceUrlText[] =
    "No source URL: the Internet cache index has no entry for this file.";

BEGIN_MESSAGE_MAP(CDetailsDlg, CDialog)
    ON_WM_SETCURSOR()
    ON_BN_CLICKED(IDC_OPEN_SOURCE_URL, OnOpen)
END_MESSAGE_MAP()

CDetailsDlg::CDetailsDlg(CWnd* parent) : CDialog(IDD_DETAILS, parent)
{
    m_findDetails = [this] {
        FoundDetails details;
        details.found = FindCacheSourceUrl(m_cacheFilePath, details.url);
        return details;
    };
}

void CDetailsDlg::Describe(UINT templateId, std::function<FoundDetails()> lookUp)
{
    m_nIDTemplate = templateId;
    m_findDetails = std::move(lookUp);
}

// The look-up cannot be cut short: a dialog that ends while it runs (only
// through a failure; a Close waits for it) waits here for its end.
CDetailsDlg::~CDetailsDlg()
{
    m_lookUp.Join();
}

void CDetailsDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_CACHE_FILE_PATH, m_pathEdit);
    DDX_Control(pDX, IDC_OPEN_SOURCE_URL, m_openButton);
    DDX_Control(pDX, IDC_SOURCE_URL, m_urlEdit);
    DDX_Text(pDX, IDC_CACHE_FILE_PATH, m_cacheFilePath);
}

BOOL CDetailsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_openButton.EnableWindow(FALSE);
    m_lookUp.Start([this] { LookUpSourceUrl(); }, [this] { OnLookUpEnded(); });
    return TRUE;
}

// Both the Close and the end of the look-up run on this thread: a Close
// during the look-up is carried out by its end, one after it at once.
void CDetailsDlg::OnCancel()
{
    if (m_lookUp.IsRunning()) {
        m_closeRequested = true;
        return;
    }
    EndDialog(IDCANCEL);
}

BOOL CDetailsDlg::OnSetCursor(HWND, UINT, UINT)
{
    if (!m_lookUp.IsRunning())
        return static_cast<BOOL>(Default());
    ::SetCursor(::LoadCursorA(nullptr, IDC_APPSTARTING));
    return TRUE;
}

void CDetailsDlg::OnOpen()
{
    CString url;
    m_urlEdit.GetWindowText(url);
    OpenWithShell(url);
}

void CDetailsDlg::LookUpSourceUrl()
{
    FoundDetails found = m_findDetails();
    m_lookUp.Post([this, found] { ShowDetails(found); });
}

void CDetailsDlg::ShowDetails(const FoundDetails& found)
{
    m_pathEdit.SetWindowText(m_cacheFilePath);
    m_urlEdit.SetWindowText(found.found ? static_cast<LPCSTR>(found.url) : noSourceUrlText);
    for (const DetailField& field : found.fields)
        ::SetDlgItemTextA(m_hWnd, field.controlId, field.text.c_str());
    if (found.found)
        m_openButton.EnableWindow(TRUE);
}

// Goes through OnCancel, as the user's Close would.
void CDetailsDlg::OnLookUpEnded()
{
    if (m_closeRequested)
        PostMessage(WM_COMMAND, IDCANCEL);
}

void PrepareDetails(const CacheItem& row, CDetailsDlg& details)
{
    std::shared_ptr<const CachedEntry> entry = row.SourceEntry();
    if (!entry) {
        details.m_cacheFilePath = row.path;
        return;
    }
    details.m_cacheFilePath = entry->Cache().name.c_str();
    // The entry is shared, so the worker's copy stays valid whatever becomes
    // of the row while the dialog is open.
    details.Describe(IDD_ENTRY_DETAILS, [entry] {
        FoundDetails found;
        const std::string url = entry->Url();
        found.url = url.c_str();
        found.found = !url.empty();
        found.fields = EntryDetailFields(*entry);
        return found;
    });
}
