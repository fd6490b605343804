// The framework's worker: results reach the starting thread in order and
// before the end of the run, Pause holds the worker and Resume or a stop
// wakes it at once, and Join never waits on a result this thread has not
// applied.
#include "framework/afxworker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Dispatches this thread's messages until the condition holds; false when
// the timeout passed first.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&message);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

// Milliseconds from now until the condition holds, pumping meanwhile.
DWORD MillisecondsUntil(const std::function<bool()>& condition)
{
    DWORD start = ::GetTickCount();
    EXPECT_TRUE(PumpUntil(condition, 5000));
    return ::GetTickCount() - start;
}

// A result that counts its own release, applied or not.
struct Counted {
    std::atomic<int>* freed;
    explicit Counted(std::atomic<int>& count) : freed(&count) {}
    Counted(Counted&& other) noexcept : freed(other.freed) { other.freed = nullptr; }
    ~Counted()
    {
        if (freed)
            ++*freed;
    }
};

TEST(Worker, ResultsArriveOnTheStartingThreadInOrderAndTheEndAfterThem)
{
    const int results = 2000;
    std::vector<int> applied;
    std::vector<DWORD> threads;
    int appliedAtEnd = -1;
    int ends = 0;
    CWorker worker;
    ASSERT_TRUE(worker.Start(
        [&] {
            // Sent and posted results mixed: one queue, one order.
            for (int i = 0; i < results; ++i) {
                auto apply = [&, i] {
                    applied.push_back(i);
                    threads.push_back(::GetCurrentThreadId());
                };
                bool handed = i % 7 ? worker.Post(apply) : worker.Send(apply);
                ASSERT_TRUE(handed) << i;
            }
        },
        [&] {
            appliedAtEnd = static_cast<int>(applied.size());
            ++ends;
        }));
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_FALSE(worker.Start([] {})) << "one run at a time";
    ASSERT_TRUE(PumpUntil([&] { return !worker.IsRunning(); }, 20000));
    ASSERT_EQ(applied.size(), static_cast<size_t>(results));
    for (int i = 0; i < results; ++i) {
        ASSERT_EQ(applied[i], i);
        ASSERT_EQ(threads[i], ::GetCurrentThreadId()) << i;
    }
    EXPECT_EQ(appliedAtEnd, results);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(ends, 1);

    // A second run on the same worker: its Send is answered as before.
    std::atomic<int> sendsReturned{ 0 };
    ASSERT_TRUE(worker.Start([&] {
        worker.Send([] {});
        ++sendsReturned;
    }));
    ASSERT_TRUE(PumpUntil([&] { return !worker.IsRunning(); }, 5000));
    EXPECT_EQ(sendsReturned, 1);
}

// The old pause point slept 100 ms between looks at the flag: ten wakes
// took half a second on average. Woken by events they take next to nothing.
TEST(Worker, PauseHoldsBetweenEntriesAndResumeOrStopWakesAtOnce)
{
    std::atomic<int> entries{ 0 };
    bool ended = false;
    CWorker worker;
    worker.SetPaused(true);
    ASSERT_TRUE(worker.Start(
        [&] {
            while (worker.PassPausePoint())
                ++entries;
        },
        [&] { ended = true; }));
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(entries, 0) << "paused before the start, held at the first pause point";
    EXPECT_TRUE(worker.IsPaused());

    const int wakes = 10;
    DWORD resumed = 0, held = 0;
    for (int i = 0; i < wakes; ++i) {
        int before = entries;
        worker.SetPaused(false);
        resumed += MillisecondsUntil([&] { return entries > before + 1000; });
        worker.SetPaused(true);
        // The entry under way when Pause came may still finish.
        PumpUntil([] { return false; }, 30);
        int atPause = entries;
        PumpUntil([] { return false; }, 30);
        held += entries - atPause;
    }
    std::printf("%d resumes: %lu ms in all\n", wakes, static_cast<unsigned long>(resumed));
    EXPECT_LT(resumed, 250u);
    EXPECT_EQ(held, 0u) << "entries passed while paused";

    worker.RequestStop();
    DWORD stopped = MillisecondsUntil([&] { return ended; });
    EXPECT_LT(stopped, 200u) << "a stop wakes a paused worker";
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_TRUE(worker.StopRequested());
}

TEST(Worker, JoinEndsAWorkerWaitingOnThisThreadAndFreesWhatWasNotApplied)
{
    std::atomic<int> freed{ 0 };
    std::atomic<int> posted{ 0 };
    std::atomic<bool> sendReturned{ false };
    int applied = 0;
    bool ended = false;
    {
        CWorker worker;
        ASSERT_TRUE(worker.Start(
            [&] {
                for (int i = 0; i < 5; ++i)
                    posted += worker.Post([&, c = Counted(freed)] { ++applied; }) ? 1 : 0;
                // This thread pumps nothing until Join: only the stop can end
                // this wait.
                bool sent = worker.Send([&, c = Counted(freed)] { ++applied; });
                EXPECT_FALSE(sent);
                sendReturned = true;
                EXPECT_FALSE(worker.Post([&, c = Counted(freed)] { ++applied; }))
                    << "nothing is taken once a stop is requested";
            },
            [&] { ended = true; }));
        ::Sleep(200);
        EXPECT_FALSE(sendReturned) << "Send waits until its result is applied";
        DWORD start = ::GetTickCount();
        worker.Join();
        EXPECT_LT(::GetTickCount() - start, 1000u);
        EXPECT_TRUE(sendReturned);
        EXPECT_FALSE(worker.IsRunning());
        EXPECT_EQ(posted, 5);
        EXPECT_EQ(freed, 7) << "five posted, one sent, one refused: all freed";
        PumpUntil([] { return false; }, 100);
    }
    EXPECT_EQ(applied, 0) << "nothing of a joined run reaches this thread";
    EXPECT_FALSE(ended) << "nor its end";
}

}  // namespace
