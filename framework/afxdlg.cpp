#include "framework/afxdlg.h"
#include "framework/afxapp.h"

#include <commctrl.h>

namespace {

// Templates may name common controls (the date picker, the list view): their
// window classes must be registered before the dialog is created.
void RegisterCommonControls()
{
    static const BOOL registered = [] {
        INITCOMMONCONTROLSEX classes = { sizeof classes, ICC_WIN95_CLASSES | ICC_DATE_CLASSES };
        return ::InitCommonControlsEx(&classes);
    }();
    (void)registered;
}

}  // namespace

// The dialog procedure of every CDialog: it attaches the object when the
// dialog is created; from then on the messages pass through the object's map
// (AfxWndProc) and reach this procedure only as the dialog's default
// processing, where it has nothing to add.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    dialog->SubclassWindow(hWnd);
    return dialog->OnInitDialog();
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
    ON_MESSAGE(WM_HELP, OnHelpRequest)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal()
{
    RegisterCommonControls();
    return ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
                             AfxGetSafeOwner(m_pParentWnd, this), AfxDlgProc,
                             reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int result)
{
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    try {
        DoDataExchange(&exchange);
    } catch (const CUserException&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

// Commands the dialog does not handle go on to the application (ID_HELP).
BOOL CDialog::OnCmdMsg(UINT id, UINT code)
{
    if (CWnd::OnCmdMsg(id, code))
        return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, code);
}

// F1 in a dialog becomes the help command, as in a frame window.
LRESULT CDialog::OnHelpRequest(WPARAM, LPARAM)
{
    return OnCmdMsg(ID_HELP, 0);
}
