#include "framework/afxworker.h"

namespace {
constexpr UINT WM_APPLY_RESULTS = WM_APP + 0x1F0;
const char resultWindowClass[] = "ZemaWorkerResults";
}  // namespace

// The resume event starts set: a worker nobody paused passes its pause
// points without waiting.
CWorker::CWorker()
    : m_stopEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_resumeEvent(::CreateEventA(nullptr, TRUE, TRUE, nullptr)),
      m_appliedEvent(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
{}

// The window goes after the thread: a worker still running may be posting
// to it.
CWorker::~CWorker()
{
    Join();
    if (m_window)
        ::DestroyWindow(m_window);
    for (HANDLE event : { m_stopEvent, m_resumeEvent, m_appliedEvent }) {
        if (event)
            ::CloseHandle(event);
    }
}

// Nothing that can fail is left after the thread exists: the end of the run
// is allocated here, so the worker's last act cannot fail to report it.
bool CWorker::Start(std::function<void()> job, std::function<void()> finished)
{
    if (m_running || !m_stopEvent || !m_resumeEvent || !m_appliedEvent)
        return false;
    if (!m_window && !CreateResultWindow())
        return false;
    m_end = MakeResult([this] { OnEnded(); });
    if (!m_end)
        return false;
    m_job = std::move(job);
    m_finished = std::move(finished);
    m_stopRequested = 0;
    m_joining = 0;
    ::ResetEvent(m_stopEvent);
    ::ResetEvent(m_appliedEvent);
    m_running = true;
    m_thread = AfxBeginOwnedThread(Run, this);
    if (m_thread)
        return true;
    m_running = false;
    m_job = nullptr;
    m_finished = nullptr;
    m_end.reset();
    return false;
}

// The end is handed over however the job returned, stopped or not: it is
// what tells the owner that the run is over. Handing it over still reads this
// object (the window, the joining flag); both the end's own step and Join
// wait for the thread before anything of the object can go.
UINT CWorker::Run(LPVOID parameter)
{
    CWorker* worker = static_cast<CWorker*>(parameter);
    worker->m_job();
    worker->Enqueue(std::move(worker->m_end));
    return 0;
}

void CWorker::RequestStop()
{
    m_stopRequested = 1;
    ::SetEvent(m_stopEvent);
}

void CWorker::SetPaused(bool paused)
{
    if (paused) {
        ::ResetEvent(m_resumeEvent);
        m_paused = 1;
    } else {
        m_paused = 0;
        ::SetEvent(m_resumeEvent);
    }
}

// Unpaused, the pause point costs one read of the flag: a scan passes it for
// every file.
bool CWorker::PassPausePoint() const
{
    if (m_paused) {
        HANDLE wake[] = { m_stopEvent, m_resumeEvent };
        ::WaitForMultipleObjects(2, wake, FALSE, INFINITE);
    }
    return !StopRequested();
}

// The stop request wakes a worker waiting in Send, so it cannot stay blocked
// on this thread while this thread waits for it; what it left queued is
// freed here, on this side.
void CWorker::Join()
{
    if (m_thread) {
        m_joining = 1;
        RequestStop();
        AfxJoinThread(m_thread);
    }
    DiscardQueued();
    m_running = false;
    m_job = nullptr;
    m_finished = nullptr;
    m_end.reset();
}

// Only one Send waits at a time (there is one worker thread), so an applied
// event set by this thread belongs to the result the worker waits for. A
// Send cut short by a stop leaves its result queued; no later Send of that
// run waits, since the stop request stays until the next Start, and that
// Start comes only after the run's end was applied or Join freed the queue.
bool CWorker::Hand(std::unique_ptr<CWorkerResult> result, bool acknowledge)
{
    if (!result || StopRequested())
        return false;
    result->m_acknowledge = acknowledge;
    Enqueue(std::move(result));
    if (!acknowledge)
        return true;
    HANDLE wake[] = { m_appliedEvent, m_stopEvent };
    return ::WaitForMultipleObjects(2, wake, FALSE, INFINITE) == WAIT_OBJECT_0;
}

// The result may be applied, and freed, as soon as the lock is released.
void CWorker::Enqueue(std::unique_ptr<CWorkerResult> result)
{
    bool postMessage;
    {
        CSingleLock lock(&m_lock, TRUE);
        CWorkerResult* added = result.release();
        (m_last ? m_last->m_next : m_first) = added;
        m_last = added;
        postMessage = !m_applyPosted;
        m_applyPosted = true;
    }
    if (postMessage)
        PostApplyMessage();
}

// Posting fails only when the user-interface thread's message queue is full:
// retried until that thread has made room, unless the thread is joining this
// worker and reads no message until the worker has ended. Outside the lock,
// so that this thread can keep applying meanwhile.
void CWorker::PostApplyMessage()
{
    while (!::PostMessageA(m_window, WM_APPLY_RESULTS, 0, 0) && !m_joining)
        ::Sleep(10);
}

// One result at a time, unlocked while it is applied: the worker keeps
// queueing, and a result may start, pause or stop this worker. The posted
// flag is cleared only under the lock with the queue seen empty, so a result
// queued after that posts a message of its own.
void CWorker::ApplyQueued()
{
    for (;;) {
        std::unique_ptr<CWorkerResult> next;
        {
            CSingleLock lock(&m_lock, TRUE);
            if (!m_first) {
                m_applyPosted = false;
                return;
            }
            next.reset(m_first);
            m_first = m_first->m_next;
            if (!m_first)
                m_last = nullptr;
        }
        bool acknowledge = next->m_acknowledge;
        next->Apply();
        next.reset();
        if (acknowledge)
            ::SetEvent(m_appliedEvent);
    }
}

// A message still on its way finds the queue empty; one posted later is
// needed again, so the posted flag is cleared with the queue.
void CWorker::DiscardQueued()
{
    CWorkerResult* first;
    {
        CSingleLock lock(&m_lock, TRUE);
        first = m_first;
        m_first = m_last = nullptr;
        m_applyPosted = false;
    }
    while (first) {
        CWorkerResult* next = first->m_next;
        delete first;
        first = next;
    }
}

// The run's last result: the job has returned and everything it posted has
// been applied. The thread is no more than its own return away from its end,
// so the join is short.
void CWorker::OnEnded()
{
    AfxJoinThread(m_thread);
    m_running = false;
    m_job = nullptr;
    std::function<void()> finished = std::move(m_finished);
    m_finished = nullptr;
    if (finished)
        finished();
}

bool CWorker::CreateResultWindow()
{
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    static const ATOM registered = [instance] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = ResultWindowProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = resultWindowClass;
        return ::RegisterClassA(&windowClass);
    }();
    if (!registered)
        return false;
    m_window = ::CreateWindowExA(0, resultWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
    if (!m_window)
        return false;
    ::SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

LRESULT CALLBACK CWorker::ResultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_APPLY_RESULTS)
        return ::DefWindowProcA(window, message, wParam, lParam);
    if (CWorker* worker = reinterpret_cast<CWorker*>(::GetWindowLongPtrA(window, GWLP_USERDATA)))
        worker->ApplyQueued();
    return 0;
}
