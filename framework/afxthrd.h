// Worker threads started through the framework.
#pragma once
#include <windows.h>

#include <functional>

using AFX_THREADPROC = UINT (*)(LPVOID parameter);

// A running worker. With m_bAutoDelete (the default) the object deletes
// itself when its thread ends, so callers must not touch it afterwards.
class CWinThread {
public:
    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;

    ~CWinThread();

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD,
                                      LPSECURITY_ATTRIBUTES);
    static unsigned __stdcall Run(void* self);

    AFX_THREADPROC m_pfnThreadProc = nullptr;
    LPVOID m_pThreadParams = nullptr;
};

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID parameter,
                           int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0,
                           DWORD createFlags = 0, LPSECURITY_ATTRIBUTES security = nullptr);

// A worker whose owner waits for it and deletes it (AfxJoinThread) instead of
// one that deletes itself: it is started suspended so that m_bAutoDelete is
// cleared before the thread can end. Null when no thread could be made.
// CWorker (framework/afxworker.h) is built on these two.
CWinThread* AfxBeginOwnedThread(AFX_THREADPROC proc, LPVOID parameter);

// Waits for an owned worker to end, deletes it and nulls the pointer; a null
// pointer is left alone.
void AfxJoinThread(CWinThread*& thread);

// Dispatches this thread's messages until done() holds, asking it after
// each batch of messages and at least every interval milliseconds, so a
// window stays answering while a worker runs. False when a WM_QUIT came
// first: it is posted again for the loop that owns it.
bool AfxPumpMessagesUntil(const std::function<bool()>& done, DWORD interval = 50);

// Runs job on a thread nobody waits for, for work whose starter may be gone
// before it ends (a link handed to the shell). The thread owns the job and
// everything it captured, and frees them when the job returns. False, the
// job freed at once, when no thread could be made.
bool AfxRunDetached(std::function<void()> job);
