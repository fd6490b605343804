#include "framework/afxthrd.h"

#include <memory>
#include <new>
#include <process.h>
#include <utility>

namespace {

using DetachedJob = std::function<void()>;

UINT RunDetachedJob(LPVOID parameter)
{
    std::unique_ptr<DetachedJob> job(static_cast<DetachedJob*>(parameter));
    (*job)();
    return 0;
}

}  // namespace

CWinThread::~CWinThread()
{
    if (m_hThread)
        ::CloseHandle(m_hThread);
}

unsigned __stdcall CWinThread::Run(void* self)
{
    CWinThread* thread = static_cast<CWinThread*>(self);
    UINT result = thread->m_pfnThreadProc(thread->m_pThreadParams);
    if (thread->m_bAutoDelete)
        delete thread;
    return result;
}

// The thread starts suspended so that its object is complete before it can
// delete itself.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID parameter, int priority, UINT stackSize,
                           DWORD createFlags, LPSECURITY_ATTRIBUTES security)
{
    CWinThread* thread = new (std::nothrow) CWinThread;
    if (!thread)
        return nullptr;
    thread->m_pfnThreadProc = proc;
    thread->m_pThreadParams = parameter;
    unsigned id = 0;
    uintptr_t handle =
        ::_beginthreadex(security, stackSize, &CWinThread::Run, thread, CREATE_SUSPENDED, &id);
    if (!handle) {
        delete thread;
        return nullptr;
    }
    thread->m_hThread = reinterpret_cast<HANDLE>(handle);
    thread->m_nThreadID = id;
    ::SetThreadPriority(thread->m_hThread, priority);
    if (!(createFlags & CREATE_SUSPENDED))
        ::ResumeThread(thread->m_hThread);
    return thread;
}

bool AfxPumpMessagesUntil(const std::function<bool()>& done, DWORD interval)
{
    while (!done()) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(message.wParam));
                return false;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        if (!done())
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, interval, QS_ALLINPUT);
    }
    return true;
}

CWinThread* AfxBeginOwnedThread(AFX_THREADPROC proc, LPVOID parameter)
{
    CWinThread* thread =
        AfxBeginThread(proc, parameter, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (thread) {
        thread->m_bAutoDelete = FALSE;
        ::ResumeThread(thread->m_hThread);
    }
    return thread;
}

void AfxJoinThread(CWinThread*& thread)
{
    if (!thread)
        return;
    ::WaitForSingleObject(thread->m_hThread, INFINITE);
    delete thread;
    thread = nullptr;
}

// The job changes hands once: the thread adopts it before running it, and
// the starter lets go of it only once the thread exists.
bool AfxRunDetached(std::function<void()> job)
{
    std::unique_ptr<DetachedJob> owned(new (std::nothrow) DetachedJob(std::move(job)));
    if (!owned || !AfxBeginThread(RunDetachedJob, owned.get()))
        return false;
    owned.release();
    return true;
}
