// A worker thread and its owner's hold on it: start, a stop request, Pause
// and Resume, results handed back to the user-interface thread, and join.
//
// The worker never touches a window. What it finds travels as a result: it
// posts an object whose Apply runs later on the user-interface thread, in the
// order the worker posted them, from any loop that dispatches that thread's
// posted messages (its own, a modal dialog's, a message box's). Results go
// through a message-only window of the worker's own, so they are applied
// while the owner's window is busy in a modal loop, and none outlives the
// CWorker: those still queued when it is joined are freed, never applied.
//
// Which thread calls what:
//   - the thread that starts the worker (the user-interface thread): Start,
//     SetPaused, IsPaused, RequestStop, IsRunning, Join and the destructor;
//     results and the finished step are applied there;
//   - the worker: StopRequested, PassPausePoint, Post and Send (and
//     StopRequested from either side).
// A result must not destroy the CWorker that applies it.
#pragma once
#include "framework/afxmt.h"
#include "framework/afxthrd.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

// Something the worker found, applied on the user-interface thread. Queued
// through its own link, so that handing one over allocates nothing more.
class CWorkerResult {
public:
    virtual ~CWorkerResult() = default;
    virtual void Apply() = 0;

private:
    friend class CWorker;
    CWorkerResult* m_next = nullptr;
    // Set for a Send: the worker waits until this result has been applied.
    bool m_acknowledge = false;
};

class CWorker {
public:
    CWorker();
    // Joins a worker still running (see Join).
    ~CWorker();
    CWorker(const CWorker&) = delete;
    CWorker& operator=(const CWorker&) = delete;

    // Runs job on a new thread. finished, when given, is applied on this
    // thread once the job has returned and every result it posted has been
    // applied; a run cut short by Join never applies it. False, with nothing
    // started, when a run is still going or no thread could be made. The
    // pause state carries over: a worker paused before Start holds at its
    // first pause point.
    bool Start(std::function<void()> job, std::function<void()> finished = nullptr);

    // From Start until the finished step is applied (or Join): the
    // user-interface thread's own view, so it never reads "ended" while a
    // result of the run is still to be applied.
    bool IsRunning() const { return m_running; }

    // The worker finds these at its next pause point or poll; a worker held
    // at a pause point or waiting in Send wakes at once.
    void RequestStop();
    void SetPaused(bool paused);
    bool IsPaused() const { return m_paused != 0; }

    // Asks the worker to stop, waits for its thread to end and frees the
    // results it posted that were not applied: nothing of that run reaches
    // this thread afterwards. The worker must heed the stop request within
    // the wait the caller can afford.
    void Join();

    bool StopRequested() const { return m_stopRequested != 0; }

    // On the worker, between two entries of its work: waits while paused,
    // without polling. False when the worker must unwind.
    bool PassPausePoint() const;

    // On the worker: queues action (a callable, moved in) to run on the
    // user-interface thread. False, and the action is dropped, once a stop is
    // requested or when it cannot be allocated.
    template <typename Action> bool Post(Action&& action)
    {
        return Hand(MakeResult(std::forward<Action>(action)), false);
    }
    // As Post, then waits until the action has run: the worker goes no faster
    // than the user-interface thread takes its results, and a pause set by
    // the action holds it at its next pause point. True when the action ran;
    // false when the wait was cut short by a stop request, and the result is
    // then applied later or freed by Join.
    template <typename Action> bool Send(Action&& action)
    {
        return Hand(MakeResult(std::forward<Action>(action)), true);
    }

private:
    template <typename Action> class CAppliedBy final : public CWorkerResult {
    public:
        explicit CAppliedBy(Action&& action) : m_action(std::move(action)) {}
        explicit CAppliedBy(const Action& action) : m_action(action) {}
        void Apply() override { m_action(); }

    private:
        Action m_action;
    };

    template <typename Action> static std::unique_ptr<CWorkerResult> MakeResult(Action&& action)
    {
        using Stored = std::decay_t<Action>;
        return std::unique_ptr<CWorkerResult>(new (std::nothrow)
                                                  CAppliedBy<Stored>(std::forward<Action>(action)));
    }

    static UINT Run(LPVOID worker);
    static LRESULT CALLBACK ResultWindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam);
    bool CreateResultWindow();
    bool Hand(std::unique_ptr<CWorkerResult> result, bool acknowledge);
    void Enqueue(std::unique_ptr<CWorkerResult> result);
    void PostApplyMessage();
    void ApplyQueued();
    void DiscardQueued();
    void OnEnded();

    // Written by Start before the thread exists and read by the worker only
    // (the thread's creation orders them), except m_end, which the worker
    // hands back as its last act, and m_finished, which stays on this side.
    std::function<void()> m_job;
    std::function<void()> m_finished;
    std::unique_ptr<CWorkerResult> m_end;

    // Shared with the worker without a lock: each is written whole by one
    // side and read by the other, and every wait has an event beside it.
    //
    // A stop request writes the flag before setting the stop event, so a
    // worker woken by the event reads the flag set. Pause resets the resume
    // event before raising the flag, and Resume lowers the flag before setting
    // the event: a worker that reads the flag raised finds the event already
    // reset, and one waiting when Resume comes is woken by it.
    std::atomic<int32_t> m_stopRequested{ 0 };
    std::atomic<int32_t> m_paused{ 0 };
    // Raised by Join, so that a worker retrying a post of its results gives
    // up on a thread that is waiting for it instead of reading its messages.
    std::atomic<int32_t> m_joining{ 0 };
    HANDLE m_stopEvent;     // manual reset: set from a stop request to the next Start
    HANDLE m_resumeEvent;   // manual reset: set while not paused
    HANDLE m_appliedEvent;  // auto reset: a Send's result has been applied

    // The queue of results, oldest first, and whether a message asking this
    // thread to apply them is on its way: one such message at a time, so the
    // worker never fills the thread's message queue.
    CCriticalSection m_lock;
    CWorkerResult* m_first = nullptr;
    CWorkerResult* m_last = nullptr;
    bool m_applyPosted = false;

    // This thread's own; read and written nowhere else.
    bool m_running = false;
    CWinThread* m_thread = nullptr;
    HWND m_window = nullptr;
};
