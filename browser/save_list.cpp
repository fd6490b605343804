#include "browser/save_list.h"

#include "framework/afxapp.h"
#include "framework/afxworker.h"
#include "res/resource.h"

#include <atomic>
#include <iterator>
#include <cstring>

#include <commdlg.h>
#include <shlobj.h>

namespace {

// Fewer rows than this are written before a progress dialog would show.
constexpr size_t rowsWithoutProgress = 2000;
constexpr DWORD progressInterval = 100;

// The filter's order is the formats' order: nFilterIndex - 1.
const char saveFilter[] = "CSV (*.csv)\0*.csv\0"
                          "Tab-separated text (*.txt)\0*.txt\0"
                          "HTML page (*.html)\0*.html\0";
const char* const defaultExtensions[] = { "csv", "txt", "html" };
const ReportFormat filterFormats[] = { ReportFormat::Csv, ReportFormat::Text, ReportFormat::Html };

// What the hook reads and writes, handed to it through lCustData.
struct SaveDialogState {
    SaveListChoice* choice;
    UINT selectedCount;
};

// The explorer-style dialog hands the hook its own child dialog: the check
// box starts as the selection says, is read when the user presses Save, and
// a change of file type makes its extension the one a bare name takes.
UINT_PTR CALLBACK SaveOptionsHook(HWND child, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        const OPENFILENAMEA* dialog = reinterpret_cast<const OPENFILENAMEA*>(lParam);
        ::SetWindowLongPtrA(child, GWLP_USERDATA, dialog->lCustData);
        const auto* state = reinterpret_cast<const SaveDialogState*>(dialog->lCustData);
        ::CheckDlgButton(child, IDC_SAVE_SELECTED_ROWS,
                         state->choice->selectedOnly ? BST_CHECKED : BST_UNCHECKED);
        ::EnableWindow(::GetDlgItem(child, IDC_SAVE_SELECTED_ROWS), state->selectedCount > 0);
        return 0;
    }
    if (message != WM_NOTIFY)
        return 0;
    const OFNOTIFYA* notice = reinterpret_cast<const OFNOTIFYA*>(lParam);
    auto* state = reinterpret_cast<SaveDialogState*>(::GetWindowLongPtrA(child, GWLP_USERDATA));
    if (notice->hdr.code == static_cast<UINT>(CDN_FILEOK)) {
        state->choice->selectedOnly =
            ::IsDlgButtonChecked(child, IDC_SAVE_SELECTED_ROWS) == BST_CHECKED;
    } else if (notice->hdr.code == static_cast<UINT>(CDN_TYPECHANGE)) {
        const DWORD index = notice->lpOFN->nFilterIndex;
        if (index >= 1 && index <= std::size(defaultExtensions))
            ::SendMessageA(::GetParent(child), CDM_SETDEFEXT, 0,
                           reinterpret_cast<LPARAM>(defaultExtensions[index - 1]));
    }
    return 0;
}

// The shell's progress dialog, shown for long lists only; without it the
// save still runs, without Cancel.
class SaveProgress {
public:
    SaveProgress(HWND owner, size_t total) : m_total(total)
    {
        if (total < rowsWithoutProgress ||
            FAILED(::CoCreateInstance(CLSID_ProgressDialog, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IProgressDialog, reinterpret_cast<void**>(&m_dialog))))
            return;
        m_dialog->SetTitle(L"Save List");
        m_dialog->StartProgressDialog(owner, nullptr, PROGDLG_NORMAL | PROGDLG_AUTOTIME, nullptr);
    }
    ~SaveProgress()
    {
        if (m_dialog) {
            m_dialog->StopProgressDialog();
            m_dialog->Release();
        }
    }
    bool Step(size_t done)
    {
        if (!m_dialog)
            return true;
        m_dialog->SetProgress64(done, m_total);
        return !m_dialog->HasUserCancelled();
    }

private:
    IProgressDialog* m_dialog = nullptr;
    ULONGLONG m_total;
};

}  // namespace

bool ChooseListReport(HWND owner, UINT selectedCount, SaveListChoice& choice)
{
    char file[MAX_PATH] = "";
    lstrcpynA(file, choice.target.c_str(), sizeof file);
    choice.selectedOnly = selectedCount > 1;
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.hInstance = ::GetModuleHandleA(nullptr);
    dialog.lpstrFilter = saveFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrTitle = "Save List";
    dialog.lpstrDefExt = defaultExtensions[0];
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                   OFN_NOCHANGEDIR | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK;
    SaveDialogState state = { &choice, selectedCount };
    dialog.lpTemplateName = MAKEINTRESOURCEA(IDD_SAVE_LIST_OPTIONS);
    dialog.lpfnHook = SaveOptionsHook;
    dialog.lCustData = reinterpret_cast<LPARAM>(&state);
    if (!::GetSaveFileNameA(&dialog))
        return false;
    const DWORD index = dialog.nFilterIndex >= 1 && dialog.nFilterIndex <= std::size(filterFormats)
                            ? dialog.nFilterIndex
                            : 1;
    // A name typed with a report's extension says the format; any other
    // takes the chosen file type's.
    if (!ReportFormatOfFileName(file, choice.format))
        choice.format = filterFormats[index - 1];
    choice.target = file;
    if (selectedCount == 0)
        choice.selectedOnly = false;
    return true;
}

ListReportResult WriteListReportAnswering(HWND owner, const ListReport& report,
                                          const std::string& target,
                                          const std::function<bool(size_t done)>& keepGoing)
{
    // The worker writes the count; this thread only reads it for progress.
    std::atomic<size_t> done{ 0 };
    ListReportResult result = ListReportResult::Failed;
    bool ended = false;
    CWorker worker;
    const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerWasEnabled)
        ::EnableWindow(owner, FALSE);
    // The result is written by the worker and read here after Join, which
    // waits for its thread to end.
    const bool started = worker.Start(
        [&] {
            result = WriteListReport(report, target, [&](size_t rows) {
                done = rows;
                return !worker.StopRequested();
            });
        },
        [&] { ended = true; });
    // A WM_QUIT ends the wait at once: Join then waits for the worker,
    // which heeds the stop before its next row.
    const bool answered = !started || AfxPumpMessagesUntil(
                                          [&] {
                                              if (keepGoing && !ended && !keepGoing(done))
                                                  worker.RequestStop();
                                              return ended;
                                          },
                                          progressInterval);
    if (!answered)
        worker.RequestStop();
    worker.Join();
    if (ownerWasEnabled) {
        ::EnableWindow(owner, TRUE);
        ::SetActiveWindow(owner);
    }
    return started ? result : ListReportResult::Failed;
}

void SaveListReport(HWND owner, const ListReport& report, const std::string& target)
{
    SaveProgress progress(owner, report.rows.size());
    const ListReportResult result = WriteListReportAnswering(
        owner, report, target, [&](size_t done) { return progress.Step(done); });
    if (result == ListReportResult::Failed) {
        const std::string text = "The list could not be saved as:\r\n\r\n" + target;
        AfxMessageBox(text.c_str(), MB_ICONINFORMATION);
    }
}
