#include "WindowTestFixture.h"

#include "platform/core/BlockedWait.h"
#include "tests/support/WaitUntil.h"

#include <atomic>
#include <thread>

namespace platform::testing {
namespace {

using MessageQueue = WindowFixture;

TEST_F(MessageQueue, PostedMessagesComeBackInOrderAndPeekWithoutRemoveLeavesThem)
{
    HWND w = MakeWindow();
    Pump();
    PostMessageA(w, WM_USER + 1, 1, 10);
    PostMessageA(w, WM_USER + 2, 2, 20);

    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_USER + 1u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 1u);
    EXPECT_EQ(msg.hwnd, w);
    EXPECT_EQ(msg.lParam, 10);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 2u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, FiltersTakeOnlyTheRangeAskedForAndKeepTheRest)
{
    HWND w = MakeWindow();
    Pump();
    PostMessageA(w, WM_USER + 5, 0, 0);
    PostMessageA(w, WM_KEYDOWN, 'A', 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 5u);
}

TEST_F(MessageQueue, DispatchReachesTheProcedureAndTheLogShowsTheRoute)
{
    HWND w = MakeWindow();
    Pump();
    MessageLog log;
    PostMessageA(w, WM_USER, 7, 8);
    Pump();
    EXPECT_EQ(log.Filter(MessageLog::Route::Posted, WM_USER).size(), 1u);
    ASSERT_EQ(log.Filter(MessageLog::Route::Dispatched, WM_USER).size(), 1u);
    EXPECT_EQ(CountReceived(WM_USER, w), 1);
    EXPECT_EQ(SendMessageA(w, WM_USER + 3, 0, 0), 0);
    EXPECT_EQ(log.Filter(MessageLog::Route::Sent, WM_USER + 3).size(), 1u);
}

TEST_F(MessageQueue, QuitEndsGetMessage)
{
    MakeWindow();
    Pump();
    PostQuitMessage(3);
    MSG msg{};
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(MessageQueue, MessagesForADestroyedWindowAreDroppedAndItsHandleGoesStale)
{
    HWND w = MakeWindow();
    Pump();
    PostMessageA(w, WM_USER, 0, 0);
    SetWindowLongPtrA(w, GWL_USERDATA, 1234);
    ASSERT_TRUE(DestroyWindow(w));
    EXPECT_EQ(CountReceived(WM_DESTROY, w), 1);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(GetWindowLongPtrA(w, GWL_USERDATA), 0);
    EXPECT_FALSE(PostMessageA(w, WM_USER, 0, 0));
    EXPECT_TRUE(Only(Pump(), WM_USER).empty());
    // A new window never gets the old handle back.
    EXPECT_NE(MakeWindow("Other"), w);
}

TEST_F(MessageQueue, CreationCanBeRefusedByTheProcedureOrMadeToFail)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        return m == WM_CREATE ? -1 : DefWindowProcA(w, m, wp, lp);
    };
    wc.lpszClassName = "Refusing";
    ASSERT_NE(RegisterClassA(&wc), 0);
    EXPECT_EQ(CreateWindowExA(0, "Refusing", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);

    Register("MainWindow", 0);
    EXPECT_EQ(RegisterClassA(&wc), 0) << "a class name is registered once";
    FailNext("CreateWindowEx", 0);
    EXPECT_EQ(CreateWindowExA(0, "mainwindow", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_NE(CreateWindowExA(0, "MAINWINDOW", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr)
        << "class names compare without case";
}

TEST_F(MessageQueue, UserDataHoldsAWholePointer)
{
    HWND w = MakeWindow();
    int object = 0;
    SetWindowLongPtrA(w, GWL_USERDATA, reinterpret_cast<intptr_t>(&object));
    EXPECT_EQ(reinterpret_cast<int*>(GetWindowLongPtrA(w, GWL_USERDATA)), &object);
}

TEST_F(MessageQueue, RegisteredMessagesAreSharedByNameWithoutCase)
{
    const UINT a = RegisterWindowMessageA("NotifyPellucor");
    EXPECT_GE(a, kFirstRegisteredMessage);
    EXPECT_LE(a, kLastRegisteredMessage);
    EXPECT_EQ(RegisterWindowMessageA("notifypellucor"), a);
    EXPECT_NE(RegisterWindowMessageA("NotifyOther"), a);
}

TEST_F(MessageQueue, BroadcastReachesEveryTopLevelWindowAndNoChild)
{
    HWND main = MakeWindow();
    Register("InvisWindow", 0);
    HWND invisible = CreateWindowExA(0, "InvisWindow", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExA(0, "InvisWindow", "", WS_CHILD, 0, 0, 10, 10, main, nullptr, nullptr, nullptr);
    Pump();
    received().clear();
    PostMessageA(HWND_BROADCAST, WM_USER + 9, 0, 0);
    SendMessageA(HWND_BROADCAST, WM_USER + 10, 0, 0);
    Pump();
    for (const UINT message : {WM_USER + 9, WM_USER + 10}) {
        EXPECT_EQ(CountReceived(message, main), 1) << message;
        EXPECT_EQ(CountReceived(message, invisible), 1) << message;
        EXPECT_EQ(CountReceived(message, child), 0) << message;
    }
}

TEST_F(MessageQueue, AMessageSentFromAnotherThreadRunsOnTheOwnerThread)
{
    static std::atomic<uint32_t> ranOn{0};
    WNDCLASSA wc{};
    wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_USER) {
            ranOn = GetCurrentThreadId();
            return 77;
        }
        return DefWindowProcA(w, m, wp, lp);
    };
    wc.lpszClassName = "Owner";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND w = CreateWindowExA(0, "Owner", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    std::atomic<LRESULT> answer{0};
    std::atomic<bool> done{false};
    std::thread sender([&] {
        answer = SendMessageA(w, WM_USER, 0, 0);
        done = true;
    });
    MSG msg;
    while (!done)
        PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    sender.join();
    EXPECT_EQ(answer.load(), 77);
    EXPECT_EQ(ranOn.load(), GetCurrentThreadId());
}

TEST_F(MessageQueue, ASenderIsReleasedWhenTheWindowGoes)
{
    HWND w = MakeWindow();
    std::atomic<bool> done{false};
    std::thread sender([&] {
        SendMessageA(w, WM_USER, 0, 0);
        done = true;
    });
    // Once the sender waits for its answer, destroy the window without ever
    // pumping: the sender must not wait forever.
    EXPECT_TRUE(test_support::WaitUntil([] { return BlockedThreads() == 1; }));
    DestroyWindow(w);
    sender.join();
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(MessageQueue, PostsFromAnotherThreadWakeGetMessage)
{
    HWND w = MakeWindow();
    Pump();
    std::thread poster([&] {
        // Posted once the main thread waits for it.
        EXPECT_TRUE(test_support::WaitUntil([] { return BlockedThreads() == 1; }));
        PostMessageA(w, WM_USER + 4, 0, 0);
    });
    MSG msg{};
    ASSERT_EQ(GetMessageA(&msg, nullptr, WM_USER + 4, WM_USER + 4), TRUE);
    EXPECT_EQ(msg.message, WM_USER + 4u);
    poster.join();
}

TEST_F(MessageQueue, TimersFireFromThePlatformClockOncePerTakeHoweverLate)
{
    ManualClock clock(1'000'000);
    ScopedClock scoped(clock);
    HWND w = MakeWindow();
    Pump();
    EXPECT_EQ(SetTimer(w, 100, 10, nullptr), 100u);
    EXPECT_TRUE(Only(Pump(), WM_TIMER).empty()) << "not due yet";

    clock.AdvanceMilliseconds(10);
    std::vector<MSG> timers = Only(Pump(), WM_TIMER);
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].wParam, 100u);
    EXPECT_EQ(timers[0].hwnd, w);

    clock.AdvanceMilliseconds(1000); // a stall: still one message, not a hundred
    EXPECT_EQ(Only(Pump(), WM_TIMER).size(), 1u);

    ASSERT_TRUE(KillTimer(w, 100));
    clock.AdvanceMilliseconds(100);
    EXPECT_TRUE(Only(Pump(), WM_TIMER).empty());
    EXPECT_FALSE(KillTimer(w, 100));
}

TEST_F(MessageQueue, GetMessageWaitsForATimerOnAManualClock)
{
    ManualClock clock(0);
    ScopedClock scoped(clock);
    HWND w = MakeWindow();
    Pump();
    SetTimer(w, 1, 250, nullptr);
    MSG msg{};
    ASSERT_EQ(GetMessageA(&msg, nullptr, WM_TIMER, WM_TIMER), TRUE);
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_GE(clock.NowMicroseconds(), 250'000u);
}

TEST_F(MessageQueue, AWaitForMessagesEndsAtAMessageOrADueTimerAndOtherwiseSleepsItsTime)
{
    ManualClock clock(0);
    ScopedClock scoped(clock);
    HWND w = MakeWindow();
    Pump();
    const DWORD allButTimers = QS_ALLINPUT & ~QS_TIMER;
    PostMessageA(w, WM_USER + 1, 0, 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, allButTimers), WAIT_OBJECT_0);
    EXPECT_EQ(clock.NowMicroseconds(), 0u) << "a waiting message ends the wait at once";
    EXPECT_EQ(Only(Pump(), WM_USER + 1).size(), 1u) << "and stays queued for the pump";

    SetTimer(w, 1, 250, nullptr);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT), WAIT_OBJECT_0);
    EXPECT_EQ(clock.NowMicroseconds(), 250'000u) << "asked for, a timer ends the wait when due";
    Pump();
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, allButTimers), WAIT_TIMEOUT);
    EXPECT_EQ(clock.NowMicroseconds(), 1'250'000u) << "timers left out do not wake";
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT), WAIT_OBJECT_0)
        << "an overdue timer ends the wait at once";
    EXPECT_EQ(MsgWaitForMultipleObjects(1, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_FAILED)
        << "waiting for objects is not offered";
}

TEST_F(MessageQueue, InputInjectedForTheNextPumpEndsTheUiThreadsWaitAtOnce)
{
    ManualClock clock(0);
    ScopedClock scoped(clock);
    HWND w = MakeWindow();
    Pump();
    InjectKey(w, 'A', true);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT & ~QS_TIMER), WAIT_OBJECT_0);
    EXPECT_EQ(clock.NowMicroseconds(), 0u) << "as the display's input would, it ends the wait at once";
    EXPECT_EQ(Only(Pump(), WM_KEYDOWN).size(), 1u);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT & ~QS_TIMER), WAIT_TIMEOUT);
    EXPECT_EQ(clock.NowMicroseconds(), 1'000'000u) << "once taken, it wakes nothing";
}

TEST_F(MessageQueue, ATimerCanBeMadeToFail)
{
    HWND w = MakeWindow();
    FailNext("SetTimer", 0);
    EXPECT_EQ(SetTimer(w, 100, 10, nullptr), 0u);
    EXPECT_EQ(SetTimer(w, 100, 10, nullptr), 100u);
}

TEST_F(MessageQueue, PaintComesUntilTheWindowIsValidated)
{
    HWND w = MakeWindow();
    std::vector<MSG> first = Pump();
    EXPECT_EQ(Only(first, WM_PAINT).size(), 1u) << "a shown window is painted once";
    EXPECT_TRUE(Only(Pump(), WM_PAINT).empty());
    ShowWindow(w, SW_SHOW);
    EXPECT_TRUE(Only(Pump(), WM_PAINT).empty()) << "showing a shown window changes nothing on screen";
    InvalidateRect(w, nullptr, FALSE);
    EXPECT_EQ(Only(Pump(), WM_PAINT).size(), 1u);
}

} // namespace
} // namespace platform::testing
