#include "sources/caches_dlg.h"

#include "res/resource.h"
#include "widgets/folder_chooser.h"

#include <commctrl.h>

namespace {

enum Column { NameColumn, FormatColumn, EntriesColumn, FolderColumn };

struct ColumnLayout {
    const char* title;
    int width;
};
const ColumnLayout kColumns[] = {
    { "Name", 140 }, { "Format", 100 }, { "Entries", 130 }, { "Folder", 260 }
};

const char kCounting[] = "counting...";

void SetCellText(HWND list, int row, int column, const std::string& text)
{
    ListView_SetItemText(list, row, column, const_cast<LPSTR>(text.c_str()));
}

}  // namespace

const char CCachesDlg::alreadyListedText[] =
    "This cache is on the list already.\r\n\r\nCheck its row to have it read.";
const char CCachesDlg::tooManyText[] =
    "No more folders can be added.\r\n\r\nRemove an added folder first.";

BEGIN_MESSAGE_MAP(CCachesDlg, CDialog)
    ON_BN_CLICKED(IDC_ADD_CACHE_FOLDER, OnAddFolder)
    ON_BN_CLICKED(IDC_REMOVE_CACHE_FOLDER, OnRemoveFolder)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_CACHES_LIST, OnItemChanged)
END_MESSAGE_MAP()

CCachesDlg::CCachesDlg(CWnd* parent) : CDialog(IDD_CACHES, parent) {}

// The worker reads nothing of the window, but hands its counts to it: it
// ends before the window and the rows go.
CCachesDlg::~CCachesDlg()
{
    m_census.Join();
}

void CCachesDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_CACHES_LIST, m_list);
    DDX_Control(pDX, IDC_REMOVE_CACHE_FOLDER, m_removeButton);
}

BOOL CCachesDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    HWND list = m_list.GetSafeHwnd();
    for (int column = 0; column < static_cast<int>(std::size(kColumns)); ++column) {
        LVCOLUMNA layout = {};
        layout.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        layout.pszText = const_cast<LPSTR>(kColumns[column].title);
        layout.cx = kColumns[column].width;
        layout.iSubItem = column;
        ListView_InsertColumn(list, column, &layout);
    }
    LoadChoice();
    for (const CCacheChoice::Row& row : m_choice.Rows())
        AddRow(row);
    UpdateRemoveButton();
    StartCensus();
    return TRUE;
}

void CCachesDlg::LoadChoice()
{
    m_choice.Load();
}

void CCachesDlg::AddRow(const CCacheChoice::Row& row)
{
    HWND list = m_list.GetSafeHwnd();
    LPARAM id = m_nextId++;
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<LPSTR>(row.cache.name.c_str());
    item.lParam = id;
    int index = ListView_InsertItem(list, &item);
    if (index < 0)
        return;
    SetCellText(list, index, EntriesColumn, kCounting);
    SetCellText(list, index, FolderColumn, row.cache.folder);
    ListView_SetCheckState(list, index, row.checked);
    m_toCount.emplace_back(id, row.cache);
}

int CCachesDlg::RowOf(LPARAM id) const
{
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = id;
    return ListView_FindItem(m_list.GetSafeHwnd(), -1, &find);
}

// One run counts the rows waiting when it starts; its end starts the next
// for rows added meanwhile.
void CCachesDlg::StartCensus()
{
    if (m_census.IsRunning() || m_toCount.empty() || !m_hWnd)
        return;
    std::vector<Counted> caches;
    caches.swap(m_toCount);
    m_census.Start([this, caches] { Census(caches); }, [this] { StartCensus(); });
}

// On the worker.
void CCachesDlg::Census(const std::vector<Counted>& caches)
{
    CacheStopCheck stop = [this] { return m_census.StopRequested(); };
    for (const Counted& counted : caches) {
        if (!m_census.PassPausePoint())
            return;
        CacheCensus census = TakeCacheCensus(counted.second, stop);
        LPARAM id = counted.first;
        if (!m_census.Post([this, id, census] { ShowCensus(id, census); }))
            return;
    }
}

void CCachesDlg::ShowCensus(LPARAM id, const CacheCensus& census)
{
    int row = RowOf(id);
    if (row < 0)
        return;  // removed while it was counted
    HWND list = m_list.GetSafeHwnd();
    SetCellText(list, row, FormatColumn, census.format);
    SetCellText(list, row, EntriesColumn, CensusText(census));
}

void CCachesDlg::OnAddFolder()
{
    std::string folder;
    if (!AskForCacheFolder(folder))
        return;
    ChosenCache cache;
    std::string refusal;
    if (!RecogniseCacheFolder(folder, cache, refusal)) {
        AfxMessageBox(refusal.c_str(), MB_ICONINFORMATION);
        return;
    }
    if (m_choice.Lists(cache.folder)) {
        AfxMessageBox(alreadyListedText, MB_ICONINFORMATION);
        return;
    }
    if (!m_choice.Add(cache)) {
        AfxMessageBox(tooManyText, MB_ICONINFORMATION);
        return;
    }
    AddRow(m_choice.Rows().back());
    UpdateRemoveButton();
    StartCensus();
}

bool CCachesDlg::AskForCacheFolder(std::string& folder)
{
    char path[MAX_PATH] = {};
    if (!ChooseFolder(m_hWnd, path, "Choose a folder that holds a browser's cache:", 0))
        return false;
    folder = path;
    return true;
}

void CCachesDlg::OnRemoveFolder()
{
    int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0 || !m_choice.Remove(static_cast<size_t>(row)))
        return;
    ListView_DeleteItem(m_list.GetSafeHwnd(), row);
    UpdateRemoveButton();
}

void CCachesDlg::OnItemChanged(NMHDR*, LRESULT* result)
{
    *result = 0;
    UpdateRemoveButton();
}

// Only a folder the user added can be taken off the list.
void CCachesDlg::UpdateRemoveButton()
{
    if (!m_removeButton.GetSafeHwnd())
        return;
    int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    const auto& rows = m_choice.Rows();
    bool added = row >= 0 && static_cast<size_t>(row) < rows.size() && rows[row].cache.added;
    m_removeButton.EnableWindow(added);
}

void CCachesDlg::StopCensus()
{
    m_toCount.clear();
    m_census.Join();
}

void CCachesDlg::OnOK()
{
    StopCensus();
    HWND list = m_list.GetSafeHwnd();
    for (size_t row = 0; row < m_choice.Rows().size(); ++row)
        m_choice.SetChecked(row, ListView_GetCheckState(list, static_cast<int>(row)) != 0);
    m_choice.Save();
    CDialog::OnOK();
}

void CCachesDlg::OnCancel()
{
    StopCensus();
    CDialog::OnCancel();
}
