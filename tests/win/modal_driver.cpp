#include "tests/win/modal_driver.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD stepTimeoutMs = 5000;
constexpr UINT tickMs = 20;
ModalScript* running = nullptr;

struct BoxSearch {
    HWND except;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM parameter)
{
    BoxSearch* search = reinterpret_cast<BoxSearch*>(parameter);
    char name[16] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (window != search->except && lstrcmpA(name, "#32770") == 0 && ::GetDlgItem(window, 0xFFFF)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

ModalScript& ModalScript::WaitFor(std::string what, Step step)
{
    m_steps.push_back({ std::move(what), std::move(step) });
    return *this;
}

ModalScript& ModalScript::Do(std::function<void()> action)
{
    return WaitFor("action", [action] {
        action();
        return true;
    });
}

ModalScript& ModalScript::Pause(DWORD ms)
{
    return WaitFor("pause", [this, ms] { return ::GetTickCount() - m_stepStarted >= ms; });
}

ModalScript& ModalScript::UntilClosed(std::string what)
{
    m_endsByItself = true;
    return WaitFor(std::move(what), [] { return false; });
}

INT_PTR ModalScript::Run(CDialog& dialog)
{
    m_object = &dialog;
    m_next = 0;
    m_stepStarted = ::GetTickCount();
    running = this;
    UINT_PTR timer = ::SetTimer(nullptr, 0, tickMs, &ModalScript::Tick);
    INT_PTR result = dialog.DoModal();
    ::KillTimer(nullptr, timer);
    running = nullptr;
    size_t expected = m_endsByItself ? m_steps.size() - 1 : m_steps.size();
    EXPECT_EQ(m_next, expected) << "the dialog ended before the script did";
    return result;
}

void CALLBACK ModalScript::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (running)
        running->OnTick();
}

void ModalScript::OnTick()
{
    m_dialog = m_object->GetSafeHwnd();
    if (m_inStep) {
        // A step called something that opened a message box inside the
        // script itself: that is the dialog's fault, not a wait.
        if (HWND box = FindMessageBox(m_dialog)) {
            ADD_FAILURE() << "unexpected message box: " << MessageBoxText(box);
            ::SendMessageA(box, WM_COMMAND, IDOK, 0);
        }
        return;
    }
    if (m_aborting) {
        Abort();
        return;
    }
    if (!m_dialog || m_next >= m_steps.size())
        return;
    m_inStep = true;
    bool done = m_steps[m_next].step();
    m_inStep = false;
    if (done) {
        ++m_next;
        m_stepStarted = ::GetTickCount();
    } else if (::GetTickCount() - m_stepStarted > stepTimeoutMs) {
        ADD_FAILURE() << "timed out waiting for: " << m_steps[m_next].what;
        m_aborting = true;
    }
}

void ModalScript::Abort()
{
    if (HWND box = FindMessageBox(m_dialog)) {
        ::SendMessageA(box, WM_COMMAND, IDOK, 0);
        return;
    }
    if (m_dialog)
        ::EndDialog(m_dialog, IDABORT);
}

HWND FindMessageBox(HWND exceptDialog)
{
    BoxSearch search = { exceptDialog, nullptr };
    ::EnumThreadWindows(::GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND window)
{
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string MessageBoxText(HWND box)
{
    return WindowText(::GetDlgItem(box, 0xFFFF));
}

HICON MessageBoxIcon(HWND box)
{
    constexpr int iconId = 0x0440;
    return reinterpret_cast<HICON>(::SendDlgItemMessageA(box, iconId, STM_GETICON, 0, 0));
}

namespace steps {

std::function<void()> SetText(const ModalScript& script, int id, const char* text)
{
    std::string copy = text;
    return [&script, id, copy] { ::SetWindowTextA(script.Item(id), copy.c_str()); };
}

std::function<void()> Click(const ModalScript& script, int id)
{
    return [&script, id] { ::PostMessageA(script.Item(id), BM_CLICK, 0, 0); };
}

ModalScript::Step DismissBox(const ModalScript& script, std::string text, LPCSTR icon)
{
    return [&script, text, icon] {
        HWND box = FindMessageBox(script.Dialog());
        if (!box)
            return false;
        EXPECT_EQ(MessageBoxText(box), text);
        EXPECT_EQ(MessageBoxIcon(box), ::LoadIconA(nullptr, icon)) << text;
        ::SendMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    };
}

ModalScript::Step FocusedAfterBox(const ModalScript& script, int id)
{
    return [&script, id] {
        // The dialog sets the focus after MessageBox returns, which may be a
        // moment after the box is gone: until then this step is not done,
        // and a focus that never comes fails the script by its time limit.
        HWND control = script.Item(id);
        if (FindMessageBox(script.Dialog()) || ::GetFocus() != control)
            return false;
        DWORD start = 0, end = 0;
        ::SendMessageA(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                       reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u) << "control " << id;
        EXPECT_EQ(end, static_cast<DWORD>(::GetWindowTextLengthA(control))) << "control " << id;
        return true;
    };
}

ModalScript::Step BoxGone(const ModalScript& script)
{
    return [&script] { return FindMessageBox(script.Dialog()) == nullptr; };
}

}  // namespace steps
