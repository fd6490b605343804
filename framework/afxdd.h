// Dialog data exchange: moving values between a dialog's controls and its
// members, and validating them, in both directions.
#pragma once
#include <windows.h>

class COleDateTime;
class CString;
class CWnd;

// Thrown by CDataExchange::Fail and caught by UpdateData: never crosses a
// window procedure.
struct CUserException {};

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog)
    {}

    // The control a routine is about to exchange; Fail gives it the focus.
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Ends the exchange after a validation message: focus (and, in an edit
    // control, selection) goes to the control last prepared.
    [[noreturn]] void Fail();

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

private:
    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;
};

// The framework's own prompts for values it cannot accept.
extern const char AFX_IDP_PARSE_UINT[];       // "Please enter a positive integer."
extern const char AFX_IDP_PARSE_INT_RANGE[];  // "Please enter an integer between %1 and %2."

// The text with %1 and %2 replaced by the two arguments.
CString AfxFormatString2(LPCSTR format, LPCSTR first, LPCSTR second);

void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Text(CDataExchange* pDX, int id, CString& value);
void DDX_Text(CDataExchange* pDX, int id, UINT& value);
// The first radio button of a group: value is the index of the checked one
// among the group's radio buttons, -1 when none is.
void DDX_Radio(CDataExchange* pDX, int id, int& value);
void DDX_Check(CDataExchange* pDX, int id, int& value);
void DDX_DateTimeCtrl(CDataExchange* pDX, int id, COleDateTime& value);

// Validates the value just exchanged; a failure focuses that control.
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minimum, UINT maximum);
