// Drives a modal dialog from inside its own message loop, as a user would: a
// thread timer keeps firing in the dialog's loop and in any message box's
// loop, and runs the script's steps one at a time. A step is retried on every
// tick until it reports that it is done; a step that waits too long fails the
// test and the dialog is ended, so a broken dialog never hangs the run.
#pragma once
#include "framework/afxwin.h"

#include <functional>
#include <string>
#include <vector>

class ModalScript {
public:
    using Step = std::function<bool()>;

    // A step that may need several ticks (it returns true when done).
    ModalScript& WaitFor(std::string what, Step step);
    // A step done in one tick.
    ModalScript& Do(std::function<void()> action);
    // A step that lets the dialog run on for a while.
    ModalScript& Pause(DWORD ms);
    // The last step: the dialog must end by itself (within the step timeout).
    ModalScript& UntilClosed(std::string what);

    // Runs the dialog modally under this script; DoModal's result.
    INT_PTR Run(CDialog& dialog);

    HWND Dialog() const { return m_dialog; }
    HWND Item(int id) const { return ::GetDlgItem(m_dialog, id); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void OnTick();
    void Abort();

    struct Entry {
        std::string what;
        Step step;
    };
    std::vector<Entry> m_steps;
    size_t m_next = 0;
    DWORD m_stepStarted = 0;
    bool m_inStep = false;
    bool m_aborting = false;
    bool m_endsByItself = false;
    HWND m_dialog = nullptr;
    CDialog* m_object = nullptr;
};

// Message boxes of this thread other than the dialog under test.
HWND FindMessageBox(HWND exceptDialog);
std::string MessageBoxText(HWND box);
// The icon the box shows, to compare with LoadIcon(nullptr, IDI_...).
HICON MessageBoxIcon(HWND box);

std::string WindowText(HWND window);

// Common steps.
namespace steps {
// Sets an edit's text.
std::function<void()> SetText(const ModalScript& script, int id, const char* text);
// Clicks a button the way the mouse does (posted, so that a handler that
// opens a message box runs in the dialog's own loop, not inside the script).
std::function<void()> Click(const ModalScript& script, int id);
// Waits for a message box with this text and icon, then presses its OK.
ModalScript::Step DismissBox(const ModalScript& script, std::string text, LPCSTR icon);
// Once the box has gone: the edit has the focus and all its text selected.
ModalScript::Step FocusedAfterBox(const ModalScript& script, int id);
ModalScript::Step BoxGone(const ModalScript& script);
}  // namespace steps
