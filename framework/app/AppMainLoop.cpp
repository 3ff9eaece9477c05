// The main loop: pumping messages, the fixed-step timing core, the draw pass
// and deferred deletion. Main thread; other threads reach the loop only
// through the atomic quit request and loading flags.
#include "framework/app/ZoltAppBase.h"

#include "framework/app/BackgroundLoader.h"
#include "framework/app/DemoRecorder.h"
#include "framework/app/DeveloperOverlay.h"
#include "framework/app/FramePacer.h"
#include "framework/app/ImageRegistry.h"
#include "framework/app/ScreenSaverWatch.h"
#include "framework/app/ShownPicture.h"
#include "framework/base/StringUtils.h"
#include "framework/graphics/DDInterface.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/core/Clock.h"
#include "platform/core/DebugOutput.h"
#include "platform/window/Window.h"

#include <algorithm>
#include <cmath>

using namespace platform;

namespace Zolt {

void ZoltAppBase::Run()
{
    if (quit_)
        return;
    BeginRun(true);
    RunLoop();
    EndRun();
}

void ZoltAppBase::BeginRun(bool withCursorThread)
{
    if (withCursorThread)
        LaunchPointerThread();
    LaunchLoaderThread();
    if (mainWindow_) {
        ShowWindow(mainWindow_, SW_SHOW);
        SetFocus(mainWindow_);
    }
    timeBeginPeriod(1);

    runStart_ = timeGetTime();
    running_ = true;
    screenSaver_->NoteInput(runStart_);
    lastTimerTick_ = runStart_;
    tickRunStart_ = runStart_;
}

void ZoltAppBase::EndRun()
{
    ProcessDeletions();
    running_ = false;

    JoinLoaderThread();

    const uint32_t elapsed = timeGetTime() - runStart_;
    std::string stats = FormatString("Seconds       = %g\r\n", double(elapsed) / 1000.0);
    stats += FormatString("Sleep Count   = %d\r\n", sleepCount_);
    stats += FormatString("Update Count  = %d\r\n", updateCount_);
    stats += FormatString("Draw Count    = %d\r\n", drawCount_);
    stats += FormatString("Draw Time     = %d\r\n", drawTime_);
    stats += FormatString("Screen Blt    = %d\r\n", lastPresentDuration_);
    if (drawTime_ + lastPresentDuration_ > 0)
        stats += FormatString("Avg FPS       = %d\r\n", drawCount_ * 1000 / (drawTime_ + lastPresentDuration_));
    OutputDebugString(stats);

    timeEndPeriod(1);
    OnLoopFinished();
    WriteSettings();
}

void ZoltAppBase::RunLoop()
{
    if (quit_)
        return;
    do {
        leaveNestedLoops_ = false;
        RunLoopIteration();
    } while (!quit_);
}

bool ZoltAppBase::RunLoopIteration()
{
    for (;;) {
        bool updated = false;
        if (!RunLoopStep(&updated))
            return false;
        if (updated)
            return true;
    }
}

bool ZoltAppBase::RunLoopStep(bool* updated)
{
    if (updated)
        *updated = false;
    if (leaveNestedLoops_)
        return false;
    if (loopState_ == LoopState::Finished)
        loopState_ = LoopState::Pump;
    DeletionQueue::ScopedLoopStep depth(deletions_);

    if (loopState_ == LoopState::Pump && pacer_->HeldUpdatesFirst() && singleStepMode_ == 0) {
        // The updates a hold let wait all came due before the loop woke:
        // whatever the pump would find now came after them, so it waits for
        // them.
        loopState_ = LoopState::DueUpdate;
    } else if (loopState_ == LoopState::Pump) {
        CheckSecondInstances();
        ShowSettingsWarnings();
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!quit_) {
                // Input, a message or a repaint asked for may change the
                // screen: it is no longer taken for still, so nothing waits
                // in a hold for the update and the draw that show it. The
                // frame timer, due every update, changes nothing by itself.
                if (msg.message != WM_TIMER)
                    stillDraws_ = 0;
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        PlayDemoCommand();
        if (!ProcessQueuedInput(true))
            loopState_ = LoopState::DueUpdate;
    } else if (singleStepMode_ == 0) {
        const int before = updateCount_;
        TimedUpdateStep(true);
        if (updated)
            *updated = updateCount_ != before;
    } else if (singleStepMode_ == 1) {
        singleStepMode_ = 2;
        GuardedUpdate();
        SmoothUpdate(1.0f);
        RedrawIfNeeded();
    } else {
        Sleep(DWORD(frameTime));
        loopState_ = LoopState::Finished;
    }
    return true;
}

// The application base's table of operations fixes this signature: the
// loop's one call allows sleeping and reads no answer.
bool ZoltAppBase::TimedUpdateStep(bool allowSleep)
{
    if (quitFromOtherThread_.exchange(false))
        Quit();

    const bool paced = refreshPaced && !pacer_->IsPacingBroken() && !demo_->IsPlaying();
    const bool pacingActive = paced && !drawSkipped_ && !isWindowed;
    const FramePacer::Step step = FramePacer::StepFor(paced, refreshRate, frameTime, demoSpeed);

    if (IsDemoFastForwarding()) {
        FastForwardDemo();
        return true;
    }
    if (playback_->IsPaused() || demoSpeed <= 0) {
        // Back to the message pump, or a paused demo could never be resumed.
        loopState_ = LoopState::Finished;
        pacer_->SetHeldUpdatesFirst(false);
        ProcessDeletions();
        return WaitWhileStopped(allowSleep);
    }

    // One reading of the clock serves the step's start and the frame time
    // (a still screen's catching up runs two steps an update).
    const uint32_t start = timeGetTime();
    if (!pacingActive)
        pacer_->Accumulate(start);
    bool draw = true;
    if (loopState_ == LoopState::DueUpdate) {
        draw = !RunDueUpdate(step, pacingActive);
    } else if (loopState_ == LoopState::CatchUp) {
        CatchUpOwedUpdates(step, pacingActive);
        draw = false;
    }
    int slept = 0;
    if (draw && !DrawOrWait(step, allowSleep, slept))
        return false;
    if (!YieldToLoading(start, slept, allowSleep))
        return false;
    ProcessDeletions();
    return true;
}

bool ZoltAppBase::RunDueUpdate(const FramePacer::Step& step, bool pacingActive)
{
    ++updatesSinceDraw_;
    // At normal speed the tenth step since a draw draws (nine updates back
    // to back); below a fifth of it, every second step (one update): a limit
    // under two would let no update run again.
    if (updatesSinceDraw_ >= std::max(2, int(std::floor(demoSpeed * 10))) && loader_->IsCompletionApplied())
        return false;
    if (!pacer_->IsUpdateDue(step, pacingActive, updatedSinceDraw_))
        return false;
    if (!demo_->IsPlaying() && demoSpeed == 1.0)
        pacer_->CountUpdateForPacingCheck(timeGetTime(), frameTime);
    if (GuardedUpdate())
        loopState_ = LoopState::CatchUp;
    updatedSinceDraw_ = true;
    return true;
}

void ZoltAppBase::CatchUpOwedUpdates(const FramePacer::Step& step, bool pacingActive)
{
    loopState_ = LoopState::Finished;
    pacer_->OweExtraUpdates(step);
    ProcessDeletions();
    while (pacer_->HasOwedUpdate()) {
        PlayDemoCommand();
        ++updatesSinceDraw_;
        if (!GuardedUpdate())
            break;
        ProcessDeletions();
        pacer_->PayOwedUpdate();
    }
    SmoothUpdate(float(step.updates));
    ProcessDeletions();
    pacer_->ConsumeStep(step, pacingActive);
}

bool ZoltAppBase::DrawOrWait(const FramePacer::Step& step, bool allowSleep, int& slept)
{
    loopState_ = LoopState::Finished;
    updatesSinceDraw_ = 0;
    if (updatedSinceDraw_) {
        RedrawIfNeeded();
        return true;
    }
    int sleep = pacer_->TimeToNextUpdate(step);
    if (sleep <= 0)
        return true;
    if (pacer_->HeldUpdatesFirst()) {
        // The updates held have run: the messages that came meanwhile (or
        // ended the hold) are taken now, before the next update, as without
        // a hold.
        pacer_->SetHeldUpdatesFirst(false);
        return true;
    }
    if (!allowSleep)
        return false;
    ++sleepCount_;
    // A screen that has stood still for a few updates lets the next updates
    // wait: the loop sleeps longer (no later than the application's own work
    // due meanwhile, nor than the idle screen's next present), and on waking
    // runs the updates that came due, back to back as after any stall; the
    // time of the wait is kept in full, so the update count and what each
    // update sees stay the same. Input, a message, a repaint asked for (from
    // any thread, RequestRepaint) or a Quit from another thread ends the
    // wait at once, and the loop then holds nothing until it has updated
    // and drawn what came. The pump does not run between the updates held:
    // a still screen's catching up costs no look at the display connection
    // or the second-instance socket per update.
    const bool held = ScreenStandsStill() && BeginHold();
    const int untilUpdate = sleep;
    if (held) {
        sleep = HeldSleep(sleep);
        pacer_->NoteHeldWait(sleep);
    }
    // Asleep until the next update is due, or until input or a message
    // arrives: then the loop takes it at once, before the next update (after
    // the updates a hold let wait). The frame timer does not wake it: its
    // WM_TIMER, due about once an update, is taken when the loop next pumps,
    // at the update.
    const uint32_t before = timeGetTime();
    const DWORD woke = MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(sleep), QS_ALLINPUT & ~QS_TIMER);
    slept = int(timeGetTime() - before);
    holding_.store(false);
    pacer_->SetHeldUpdatesFirst(held && (woke == WAIT_OBJECT_0 || sleep > untilUpdate));
    return true;
}

bool ZoltAppBase::BeginHold()
{
    // Marked before the look at the request, as RequestRepaint asks in the
    // other order: a request made meanwhile is seen here, or it sees the
    // hold and ends its wait.
    holding_.store(true);
    if (!repaintRequested_.load())
        return true;
    holding_.store(false);
    stillDraws_ = 0;
    return false;
}

void ZoltAppBase::RequestRepaint()
{
    repaintRequested_.store(true);
    if (holding_.load() && holding_.exchange(false))
        WakeMainThread();
}

void ZoltAppBase::WakeMainThread()
{
    // A message of no window: the pump takes it, no window procedure sees it.
    if (mainThreadId_ != 0)
        PostThreadMessageA(mainThreadId_, WM_NULL, 0, 0);
}

bool ZoltAppBase::WaitWhileStopped(bool allowSleep)
{
    if (!allowSleep)
        return false;
    ++sleepCount_;
    // As a still screen's hold, without its updates: the resume key, any
    // other input or message, or a Quit from another thread ends the wait at
    // once. A repaint asked for does not: nothing is drawn while stopped.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, FramePacer::kIdlePresentMs, QS_ALLINPUT & ~QS_TIMER);
    return true;
}

bool ZoltAppBase::ScreenStandsStill()
{
    return stillDraws_ >= kStillDrawsBeforeHolding && !demo_->IsPlaying() && !demo_->IsRecording() &&
           demoSpeed == 1.0 && singleStepMode_ == 0 && loader_->IsCompletionApplied() &&
           !(musicInterface_ && musicInterface_->IsFading());
}

int ZoltAppBase::HeldSleep(int sleep)
{
    // The idle screen is presented once a second: the draw pass after the
    // hold does it on time.
    const int longest =
        std::max(sleep, std::min(sleep + kStillScreenExtraSleepMs, pacer_->TimeToIdlePresent(timeGetTime())));
    const int limit = UpdateHoldLimitMs();
    if (limit == kHoldWithoutLimit)
        return longest;
    // Work due before the next update needs no hold: the update follows it.
    return int(std::clamp<int64_t>(int64_t{limit} + kOutsideWorkMarginMs, sleep, longest));
}

bool ZoltAppBase::YieldToLoading(uint32_t stepStart, int slept, bool allowSleep)
{
    if (!loader_->IsRunning() || loader_->HasFinished())
        return true;
    // Twice the time the step worked, less what it slept, up to 250 ms.
    const int extra = std::min(2 * int(timeGetTime() - stepStart - uint32_t(slept)) - slept, 250);
    if (extra < 0)
        return true;
    if (!allowSleep)
        return false;
    Sleep(DWORD(extra));
    return true;
}

void ZoltAppBase::AccumulateFrameTime() { pacer_->Accumulate(timeGetTime()); }

void ZoltAppBase::ResetFrameTiming(bool hold) { pacer_->Reset(timeGetTime(), hold); }

double ZoltAppBase::TimeAccumulator() const { return pacer_->Accumulated(); }

void ZoltAppBase::ApplyLoadingCompletion()
{
    mainThreadPriority_ = int(ThreadPriority::Normal);
    loader_->MarkCompletionApplied();
    OnBackgroundLoadDone();
}

bool ZoltAppBase::GuardedUpdate()
{
    if (screenSaver_->IsHolding())
        return false;
    // A played demo applies the loading completion at its recorded update,
    // holding updates until the loader has got that far too.
    const bool completionDue = !demo_->IsPlaying() || demo_->ReachedLoadingDone() || demo_->HasEnded();
    if (demo_->IsPlaying() && demo_->ReachedLoadingDone() && !loader_->HasFinished() &&
        !loader_->IsCompletionApplied())
        return false;
    if (loader_->HasFinished() && !loader_->IsCompletionApplied() && completionDue) {
        // Recorded before it is applied: the settings and files the
        // completion reads (the game's, as it starts) follow it in the
        // stream, where a playback, which applies it once it has played the
        // command, looks for them.
        if (demo_->IsRecording())
            RecordSimpleCommand(kDemoLoadingDone);
        ApplyLoadingCompletion();
    }
    UpdateOnce();
    return true;
}

void ZoltAppBase::UpdateOnce()
{
    ++updateCount_;
    // Asked for before this update looks at the screen: this update's draw
    // shows it.
    repaintRequested_.store(false);
    if (!minimized_)
        widgetManager->TickWidgets();
    if (musicInterface_)
        musicInterface_->AdvanceFades();
    images_->CleanUpIfRequested();
    // What a fault before the next update writes as the demo.
    demo_->PrepareCrashImage(timeLoaded_, productVersion);
}

void ZoltAppBase::SmoothUpdate(float fraction)
{
    if (refreshPaced && !minimized_)
        widgetManager->TickWidgetsSmooth(fraction);
}

// Whether it presented: the answer its place in the application base's table
// fixes; the loop reads none.
bool ZoltAppBase::RedrawIfNeeded()
{
    if (displaySuspended_) {
        RecoverDisplay(nullptr);
        updatedSinceDraw_ = false;
        drawSkipped_ = true;
        return false;
    }

    RefreshOverlays();

    if (screenSaver_->TakeIdleCheckTurn(timeGetTime()))
        ScreenSaverIdleCheck();
    if (screenSaver_->IsHolding()) {
        updatedSinceDraw_ = false;
        drawSkipped_ = true;
        return false;
    }

    painting_ = true;
    const uint32_t paintStart = timeGetTime();
    const bool changed = widgetManager->PaintDirtyWidgets();
    const int paintDuration = int(timeGetTime() - paintStart);
    painting_ = false;
    stillDraws_ = changed || forceRedraw_ ? 0 : stillDraws_ + 1;
    // The display's answer holds for the frame: only its present can change it.
    const bool keepsPicture = ScreenKeepsItsPicture();
    if (changed) {
        // Held until presented, with the places of passes not presented.
        std::vector<Rect> places;
        if (keepsPicture && widgetManager->PaintedAreas(places))
            shown_->NotePaintedPlaces(places);
        else
            shown_->NotePaintedWhole();
    }

    if (!pacer_->IsPresentDue(timeGetTime(), changed, forceRedraw_)) {
        updatedSinceDraw_ = false;
        drawSkipped_ = true;
        return false;
    }

    ++drawCount_;
    drawSkipped_ = false;
    drawTime_ += paintDuration;
    DrawOverlays();
    if (!keepsPicture)
        shown_->NotePaintedWhole();

    if (waitForVSync && isWindowed && display_) {
        const uint32_t period = uint32_t(std::max(1, display_->GetMillisecondsPerFrame()));
        const uint32_t since = timeGetTime() - pacer_->LastPresent();
        if (since < period)
            Sleep(period - since);
    }

    const uint32_t presentStart = timeGetTime();
    pacer_->NotePresentStart(presentStart);
    // Only the places painted since the last present, when every paint
    // said where; the picture the window already shows, shown again, when
    // nothing was painted; else the whole screen.
    switch (shown_->Next(forceRedraw_)) {
    case ShownPicture::Present::Places:
        PresentPlaces(shown_->Places());
        break;
    case ShownPicture::Present::Again:
        if (!display_->ShowPictureAgain())
            RecoverDisplay(nullptr);
        break;
    case ShownPicture::Present::Whole:
        RecoverDisplay(nullptr);
        break;
    }
    shown_->NoteShown(!displaySuspended_ && ScreenKeepsItsPicture());
    AccumulateFrameTime();
    lastPresentDuration_ = int(timeGetTime() - presentStart);

    pacer_->ScheduleNextPresent(timeGetTime(), paintDuration, loader_->HasStarted() && !loader_->HasFinished());
    updatedSinceDraw_ = false;
    forceRedraw_ = false;
    return true;
}

bool ZoltAppBase::ScreenKeepsItsPicture()
{
    return display_ && !displaySuspended_ && !(overlay_ && overlay_->IsOn()) && display_->PresentsPartsInPlace();
}

void ZoltAppBase::PresentPlaces(const std::vector<Rect>& areas)
{
    Rect box;
    for (const Rect& area : areas)
        box = box.Joined(area);
    box = box.Intersection(Rect(0, 0, width, height));
    if (box.width > 0 && box.height > 0)
        RecoverDisplay(&box);
}

void ZoltAppBase::ProcessDeletions() { deletions_.ProcessDeletions(); }

} // namespace Zolt
