// CString: the 8-bit string class of the framework, a value type over
// std::string with the MFC member names the programs use.
#pragma once
#include <string>
#include <windows.h>

class CString {
public:
    CString() = default;
    CString(LPCSTR text) : m_text(text ? text : "") {}
    CString(LPCSTR text, int length) : m_text(text, text + length) {}

    CString& operator=(LPCSTR text);
    CString& operator+=(LPCSTR text);
    operator LPCSTR() const { return m_text.c_str(); }
    bool operator==(LPCSTR text) const { return m_text == (text ? text : ""); }
    bool operator!=(LPCSTR text) const { return !(*this == text); }

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }

    // A writable buffer of at least minLength characters (plus the NUL);
    // ReleaseBuffer takes the new length, or measures it when given -1.
    LPSTR GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    void Format(LPCSTR format, ...);

    // White space is what isspace calls it: blanks, tabs and line ends.
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim() { return TrimRight().TrimLeft(); }
    CString& MakeLower();

private:
    std::string m_text;
};
