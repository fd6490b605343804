// Message maps: per-class tables from messages, commands and notifications to
// handler methods, chained to the base class's table. Each entry macro
// generates a small typed thunk, so a handler with the wrong signature fails
// to compile instead of misbehaving at run time.
#pragma once
#include <type_traits>
#include <windows.h>

class CCmdTarget;

// Reflected messages: a control's notification to its parent, handed back to
// the control's own map first (WM_REFLECT_BASE + the original message).
constexpr UINT WM_REFLECT_BASE = 0xBC00;
// The one reflected message for every WM_CTLCOLORxxx; wParam the DC, lParam the
// CTLCOLOR_xxx code.
constexpr UINT WM_CTLCOLOR = 0x0019;

using AFX_THUNK = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // message, or WM_COMMAND / WM_NOTIFY, possibly reflected
    UINT nCode;     // notification code; 0 for plain messages and commands
    UINT nID;       // first control or command id; 0 for plain messages
    UINT nLastID;   // last id of the range
    AFX_THUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const                                              \
    {                                                                                              \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                \
    {                                                                                              \
        using ThisClass = theClass;                                                                \
        using TheBaseClass = baseClass;                                                            \
        static_assert(std::is_base_of<TheBaseClass, ThisClass>::value,                             \
                      "a message map chains to a base class");                                     \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                                          \
    {                                                                                              \
        0, 0, 0, 0, nullptr                                                                        \
    }                                                                                              \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP map = { &TheBaseClass::GetThisMessageMap, entries };                   \
    return &map;                                                                                   \
    }

#define AFX_ENTRY(message, code, first, last, ...)                                                 \
    { message, code, first, last,                                                                  \
      [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT {                            \
          ThisClass* self = static_cast<ThisClass*>(target);                                       \
          (void)self;                                                                              \
          (void)wParam;                                                                            \
          (void)lParam;                                                                            \
          __VA_ARGS__                                                                              \
      } },

// Commands: a button click (BN_CLICKED is 0) or a menu/accelerator command.
#define ON_COMMAND(id, memberFxn) AFX_ENTRY(WM_COMMAND, 0, id, id, self->memberFxn(); return 0;)
#define ON_CONTROL(code, id, memberFxn)                                                            \
    AFX_ENTRY(WM_COMMAND, code, id, id, self->memberFxn(); return 0;)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_NOTIFY(code, id, memberFxn)                                                             \
    AFX_ENTRY(WM_NOTIFY, static_cast<UINT>(code), id, id, LRESULT result = 0;                      \
              self->memberFxn(reinterpret_cast<NMHDR*>(lParam), &result); return result;)
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                         \
    AFX_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(code), 0, 0xFFFF, LRESULT result = 0; \
              self->memberFxn(reinterpret_cast<NMHDR*>(lParam), &result); return result;)
#define ON_MESSAGE(message, memberFxn)                                                             \
    AFX_ENTRY(message, 0, 0, 0, return self->memberFxn(wParam, lParam);)

// Window messages, cracked into the arguments their handlers take.
#define ON_WM_SYSCOMMAND()                                                                         \
    AFX_ENTRY(WM_SYSCOMMAND, 0, 0, 0, self->OnSysCommand(static_cast<UINT>(wParam), lParam);       \
              return 0;)
#define ON_WM_CTLCOLOR_REFLECT()                                                                   \
    AFX_ENTRY(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0,                                              \
              return reinterpret_cast<LRESULT>(                                                    \
                  self->CtlColor(reinterpret_cast<HDC>(wParam), static_cast<UINT>(lParam)));)
#define ON_WM_SETCURSOR()                                                                          \
    AFX_ENTRY(                                                                                     \
        WM_SETCURSOR, 0, 0, 0,                                                                     \
        return self->OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));)
// The window the user right-clicked (or that had the focus for the menu key
// and Shift+F10) and the screen point; (-1, -1) from the keyboard.
#define ON_WM_CONTEXTMENU()                                                                        \
    AFX_ENTRY(WM_CONTEXTMENU, 0, 0, 0,                                                             \
              POINT point = { static_cast<short>(LOWORD(lParam)),                                  \
                              static_cast<short>(HIWORD(lParam)) };                                \
              self->OnContextMenu(reinterpret_cast<HWND>(wParam), point); return 0;)
#define AFX_MOUSE_ENTRY(message, memberFxn)                                                        \
    AFX_ENTRY(                                                                                     \
        message, 0, 0, 0,                                                                          \
        POINT point = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };  \
        self->memberFxn(static_cast<UINT>(wParam), point); return 0;)
#define ON_WM_MOUSEMOVE() AFX_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() AFX_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_TIMER()                                                                              \
    AFX_ENTRY(WM_TIMER, 0, 0, 0, self->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;)
#define ON_WM_DESTROY() AFX_ENTRY(WM_DESTROY, 0, 0, 0, self->OnDestroy(); return 0;)
#define ON_WM_SIZE()                                                                               \
    AFX_ENTRY(WM_SIZE, 0, 0, 0,                                                                    \
              self->OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)),          \
                           static_cast<short>(HIWORD(lParam)));                                    \
              return 0;)
