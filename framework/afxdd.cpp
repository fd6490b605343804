#include "framework/afxdd.h"
#include "framework/afxapp.h"
#include "framework/afxdisp.h"
#include "framework/afxstr.h"
#include "framework/afxwnd.h"

#include <commctrl.h>
#include <cstdio>

const char AFX_IDP_PARSE_UINT[] = "Please enter a positive integer.";
const char AFX_IDP_PARSE_INT_RANGE[] = "Please enter an integer between %1 and %2.";

HWND CDataExchange::PrepareCtrl(int id)
{
    m_hWndLastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    m_bEditLastControl = FALSE;
    return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int id)
{
    HWND control = PrepareCtrl(id);
    m_bEditLastControl = TRUE;
    return control;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_hWndLastControl) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl)
            ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw CUserException();
}

CString AfxFormatString2(LPCSTR format, LPCSTR first, LPCSTR second)
{
    CString out;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && (p[1] == '1' || p[1] == '2')) {
            out += p[1] == '1' ? first : second;
            ++p;
        } else {
            char one[2] = { *p, 0 };
            out += one;
        }
    }
    return out;
}

namespace {

CString ControlText(HWND control)
{
    CString text;
    int length = ::GetWindowTextLengthA(control);
    ::GetWindowTextA(control, text.GetBuffer(length), length + 1);
    text.ReleaseBuffer();
    return text;
}

// Digits only, surrounded by optional blanks, within 32 bits.
bool ParseUnsigned(LPCSTR text, UINT& value)
{
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    unsigned long long number = 0;
    const char* digits = p;
    while (*p >= '0' && *p <= '9') {
        number = number * 10 + static_cast<unsigned>(*p - '0');
        if (number > 0xFFFFFFFFull)
            return false;
        ++p;
    }
    if (p == digits)
        return false;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p)
        return false;
    value = static_cast<UINT>(number);
    return true;
}

bool IsRadioButton(HWND control)
{
    if (::SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)
        return true;
    UINT type = static_cast<UINT>(::GetWindowLongA(control, GWL_STYLE)) & BS_TYPEMASK;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (!control.m_hWnd)
        control.SubclassWindow(pDX->PrepareCtrl(id));
}

void DDX_Text(CDataExchange* pDX, int id, CString& value)
{
    HWND control = pDX->PrepareEditCtrl(id);
    if (pDX->m_bSaveAndValidate)
        value = ControlText(control);
    else
        ::SetWindowTextA(control, value);
}

void DDX_Text(CDataExchange* pDX, int id, UINT& value)
{
    HWND control = pDX->PrepareEditCtrl(id);
    if (!pDX->m_bSaveAndValidate) {
        char text[16];
        std::snprintf(text, sizeof text, "%u", value);
        ::SetWindowTextA(control, text);
        return;
    }
    if (!ParseUnsigned(ControlText(control), value)) {
        AfxMessageBox(AFX_IDP_PARSE_UINT, MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

void DDX_Radio(CDataExchange* pDX, int id, int& value)
{
    HWND control = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    do {
        if (IsRadioButton(control)) {
            if (pDX->m_bSaveAndValidate) {
                if (::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED)
                    value = index;
            } else {
                ::SendMessageA(control, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED,
                               0);
            }
            ++index;
        }
        control = ::GetWindow(control, GW_HWNDNEXT);
    } while (control && !(::GetWindowLongA(control, GWL_STYLE) & WS_GROUP));
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    HWND control = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_DateTimeCtrl(CDataExchange* pDX, int id, COleDateTime& value)
{
    HWND control = pDX->PrepareCtrl(id);
    SYSTEMTIME time = {};
    if (pDX->m_bSaveAndValidate) {
        if (::SendMessageA(control, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) ==
            GDT_VALID)
            value = COleDateTime(time);
    } else if (value.GetAsSystemTime(time)) {
        ::SendMessageA(control, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    }
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minimum, UINT maximum)
{
    if (!pDX->m_bSaveAndValidate || (value >= minimum && value <= maximum))
        return;
    char low[16], high[16];
    std::snprintf(low, sizeof low, "%u", minimum);
    std::snprintf(high, sizeof high, "%u", maximum);
    AfxMessageBox(AfxFormatString2(AFX_IDP_PARSE_INT_RANGE, low, high), MB_ICONEXCLAMATION);
    pDX->Fail();
}
