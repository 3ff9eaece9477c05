#include "timing/TimeSystem_impl.h"

#include "platform/core/Clock.h"

#include <algorithm>
#include <new>

namespace TimeLibrary {

namespace {

std::atomic<TimeSystem_impl*> gTimeSystem{nullptr};

int64_t Counter()
{
    platform::LARGE_INTEGER now{};
    platform::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// A counter that counts less than once per millisecond could not pace 5 ms
// passes at all (every threshold would be 0 and the loop would spin through
// passes with no wait); it counts as no counter.
bool UsableFrequency(int64_t* countsPerSecond)
{
    platform::LARGE_INTEGER frequency{};
    if (!platform::QueryPerformanceFrequency(&frequency) || frequency.QuadPart < 1000)
        return false;
    *countsPerSecond = frequency.QuadPart;
    return true;
}

} // namespace

TimeSystem_impl::TimeSystem_impl() { platform::timeBeginPeriod(1); }

TimeSystem_impl::~TimeSystem_impl()
{
    StopTicking();
    DestroyAllTimeObjects();
    graveyard_.clear();
    platform::timeEndPeriod(1);
}

ITimeObject* TimeSystem_impl::CreateTimeObject(TimeObjectMessageObserver* observer, int durationMs, int intervalMs)
{
    platform::CriticalSectionLock hold(tableLock_);
    for (uint32_t entry = 1; entry < kTableSize; ++entry) {
        if (table_[entry])
            continue;
        table_[entry].reset(new (std::nothrow) TimeObject_impl(entry, observer, durationMs, intervalMs, tableLock_, stepsWanted_));
        if (table_[entry] && entry >= usedEnd_)
            usedEnd_ = entry + 1;
        return table_[entry].get();
    }
    return nullptr;
}

void TimeSystem_impl::DestroyTimeObject(ITimeObject* object)
{
    if (!object)
        return;
    platform::CriticalSectionLock hold(tableLock_);
    // Found by identity, not by the id the object reports: a pointer that was
    // already destroyed is then never read, and never frees whatever object
    // has taken its entry since.
    for (uint32_t entry = 1; entry < usedEnd_; ++entry) {
        if (table_[entry].get() == object) {
            Discard(entry);
            return;
        }
    }
}

void TimeSystem_impl::DestroyAllTimeObjects()
{
    platform::CriticalSectionLock hold(tableLock_);
    for (uint32_t entry = 1; entry < usedEnd_; ++entry) {
        if (table_[entry])
            Discard(entry);
    }
}

void TimeSystem_impl::Discard(uint32_t entry)
{
    std::unique_ptr<TimeObject_impl> object = std::move(table_[entry]);
    TrimUsedEnd();
    if (object->InCallback()) {
        object->MarkDestroyed();
        graveyard_.push_back(std::move(object));
    }
}

void TimeSystem_impl::TrimUsedEnd()
{
    while (usedEnd_ > 1 && !table_[usedEnd_ - 1])
        --usedEnd_;
}

uint64_t TimeSystem_impl::GetTime()
{
    const int64_t since = restingSince_.load();
    const uint64_t clock = clock_.load();
    // A doze that oversleeps stands for no more passes than it was meant to:
    // the pass after it is the one with a notice.
    return since == 0 ? clock : clock + kPassMs * std::min(PassesIn(Counter() - since), dozeLimit_.load());
}

uint64_t TimeSystem_impl::PassesIn(int64_t counts) const
{
    return counts > 0 ? static_cast<uint64_t>(counts / countsPerPass_) : 0;
}

void TimeSystem_impl::TickAll()
{
    {
        platform::CriticalSectionLock hold(tableLock_);
        lastPassAt_ = Counter();
        for (uint32_t entry = 1; entry < usedEnd_; ++entry) {
            TimeObject_impl* object = table_[entry].get();
            if (object && object->IsRunning() && !object->IsPaused())
                object->Advance();
        }
        graveyard_.clear();
    }
    clock_.fetch_add(kPassMs);
}

bool TimeSystem_impl::EnsurePacer()
{
    if (pacer_)
        return true;
    int64_t countsPerSecond = 0;
    if (!UsableFrequency(&countsPerSecond))
        return false;
    pacer_ = std::make_unique<TickPacer>(countsPerSecond);
    countsPerPass_ = countsPerSecond / 1000 * kPassMs;
    return true;
}

bool TimeSystem_impl::RunPass()
{
    if (!EnsurePacer())
        return false;
    const int64_t start = Counter();
    TickAll();
    FinishPeriod(start);
    return true;
}

void TimeSystem_impl::FinishPeriod(int64_t start)
{
    // One sleep to the end of the period: the clock sleeps to the
    // microsecond, so slices would only wake the thread more often.
    const int64_t rest = pacer_->RestOfPeriod(Counter() - start);
    if (rest > 0)
        platform::GetClock().SleepMicroseconds(static_cast<uint64_t>(pacer_->MicrosecondsIn(rest)));
    pacer_->EndPass(Counter() - start);
}

int64_t TimeSystem_impl::FewestQuietSteps()
{
    int64_t fewest = kNoStep;
    for (uint32_t entry = 1; entry < usedEnd_; ++entry) {
        TimeObject_impl* object = table_[entry].get();
        if (object && object->IsRunning() && !object->IsPaused()) {
            const int64_t quiet = object->QuietSteps();
            fewest = fewest == kNoStep ? quiet : std::min(fewest, quiet);
        }
    }
    return fewest;
}

int64_t TimeSystem_impl::MillisecondsToNextNotice()
{
    int64_t countsPerSecond = 0;
    if (!UsableFrequency(&countsPerSecond))
        return kNoNoticeDue;
    int64_t quiet = kNoStep;
    int64_t lastPass = 0;
    {
        platform::CriticalSectionLock hold(tableLock_);
        quiet = FewestQuietSteps();
        lastPass = lastPassAt_;
    }
    if (quiet == kNoStep)
        return kNoNoticeDue;
    // The quiet steps are counted from the last pass: the notice comes with
    // the pass after them.
    const int64_t due = lastPass + (quiet + 1) * (countsPerSecond / 1000 * kPassMs);
    const int64_t left = due - Counter();
    return left <= 0 ? 0 : (left * 1000 + countsPerSecond - 1) / countsPerSecond;
}

int64_t TimeSystem_impl::MarkDozers()
{
    const int64_t fewest = FewestQuietSteps();
    if (fewest == 0)
        return 0; // the next pass notices: no doze, nothing to mark
    for (uint32_t entry = 1; entry < usedEnd_; ++entry) {
        TimeObject_impl* object = table_[entry].get();
        if (object && object->IsRunning() && !object->IsPaused())
            object->SetInDoze(true);
    }
    return fewest == kNoStep ? kNoStep : std::min(fewest, kMaxDozePasses);
}

void TimeSystem_impl::WakeDozers(int64_t passes)
{
    platform::CriticalSectionLock hold(tableLock_);
    for (uint32_t entry = 1; entry < usedEnd_; ++entry) {
        TimeObject_impl* object = table_[entry].get();
        if (!object || !object->IsInDoze())
            continue;
        // One stopped meanwhile is not booked: a start counts afresh.
        if (object->IsRunning())
            object->SkipQuietSteps(passes);
        object->SetInDoze(false);
    }
}

bool TimeSystem_impl::SleepFor(int64_t since, int64_t passes)
{
    if (passes == kNoStep)
        return stepsWanted_.Wait();
    const int64_t end = since + passes * countsPerPass_;
    // The thread's first doze waits a millisecond to tell a clock that
    // stands still while the thread waits (a test's manual clock, which
    // moves when it is slept on): there every doze is slept on the clock, as
    // the passes would have been.
    if (clockMovesWhileWaiting_ == ClockKind::Unknown) {
        const int64_t before = Counter();
        if (stepsWanted_.Wait(1))
            return true;
        clockMovesWhileWaiting_ = Counter() == before ? ClockKind::StandsStill : ClockKind::Moves;
    }
    if (clockMovesWhileWaiting_ == ClockKind::StandsStill) {
        const int64_t left = end - Counter();
        if (left > 0)
            platform::GetClock().SleepMicroseconds(static_cast<uint64_t>(pacer_->MicrosecondsIn(left)));
        return false;
    }
    const int64_t countsPerMs = std::max<int64_t>(countsPerPass_ / kPassMs, 1);
    for (int64_t left = end - Counter(); left > 0; left = end - Counter()) {
        // Whole milliseconds, rounded up: a wait that ends a little late
        // costs nothing, one that ends early a second wake-up.
        if (stepsWanted_.Wait(static_cast<platform::DWORD>((left + countsPerMs - 1) / countsPerMs)))
            return true;
    }
    return false;
}

bool TimeSystem_impl::Doze(int64_t passStart)
{
    int64_t quiet = 0;
    {
        platform::CriticalSectionLock hold(tableLock_);
        quiet = MarkDozers();
    }
    if (quiet == 0)
        return false;
    // The pass's period is booked as if slept to its end (a pass that ran
    // over it leaves its debt as ever), and the doze begins where the next
    // pass would: it stands for the passes that would begin before it ends,
    // and the pass after it is the one with the notice.
    const int64_t period = std::max(Counter() - passStart, pacer_->Period());
    pacer_->EndPass(period);
    const int64_t since = std::max<int64_t>(passStart + period, 1);
    restingUntilWoken_.store(quiet == kNoStep);
    dozeLimit_.store(quiet == kNoStep ? UINT64_MAX : static_cast<uint64_t>(quiet));
    restingSince_.store(since);
    const bool woken = SleepFor(since, quiet);
    const int64_t now = Counter();
    uint64_t passes = std::min(PassesIn(now - since), dozeLimit_.load());
    // Woken early, the doze also stands for the pass that began before the
    // wake (still a quiet one); the objects that woke it are first stepped at
    // the next pass, on the same boundary as without the doze. Woken before
    // the period's end, no pass has begun: the next one comes on time.
    if (woken && now >= since)
        passes = std::min(passes + 1, dozeLimit_.load());
    WakeDozers(static_cast<int64_t>(passes));
    // The clock first, then the mark: GetTime never counts a pass twice.
    clock_.fetch_add(kPassMs * passes);
    restingSince_.store(0);
    const int64_t rest = since + static_cast<int64_t>(passes) * countsPerPass_ - Counter();
    if (rest > 0 && running_.load())
        platform::GetClock().SleepMicroseconds(static_cast<uint64_t>(pacer_->MicrosecondsIn(rest)));
    return true;
}

bool TimeSystem_impl::StartTicking()
{
    if (thread_) {
        // A thread that still runs, or the time thread asking to restart
        // itself, cannot be replaced. One that was asked to stop from its own
        // notice is waited for and replaced.
        if (running_.load() || OnTickThread())
            return false;
        StopTicking();
    }
    int64_t countsPerSecond = 0;
    if (!UsableFrequency(&countsPerSecond))
        return false;
    pacer_ = std::make_unique<TickPacer>(countsPerSecond);
    countsPerPass_ = countsPerSecond / 1000 * kPassMs;
    clock_.store(0);
    clockMovesWhileWaiting_ = ClockKind::Unknown;
    running_.store(true);
    // The first pass sees every object started so far: what they asked of a
    // thread that was not there is no reason to wake it.
    stepsWanted_.Reset();
    thread_ = std::make_unique<platform::Thread>();
    if (!thread_->Start([this] { ThreadMain(); }, platform::ThreadPriority::Normal, "TimeThread")) {
        running_.store(false);
        thread_.reset();
        return false;
    }
    return true;
}

void TimeSystem_impl::StopTicking()
{
    if (!thread_)
        return;
    running_.store(false);
    stepsWanted_.Set();
    if (OnTickThread())
        return;
    {
        // Holding the life lock means the loop has ended; holding the table
        // lock after it means no pass is left half done.
        platform::CriticalSectionLock life(lifeLock_);
        platform::CriticalSectionLock table(tableLock_);
    }
    thread_->Join();
    thread_.reset();
    tickThreadId_.store(0);
}

bool TimeSystem_impl::OnTickThread() const
{
    return thread_ && tickThreadId_.load() == platform::CurrentThreadId();
}

platform::ThreadPriority TimeSystem_impl::TickThreadPriority() const
{
    return thread_ ? thread_->GetPriority() : platform::ThreadPriority::Normal;
}

void TimeSystem_impl::ThreadMain()
{
    platform::CriticalSectionLock life(lifeLock_);
    tickThreadId_.store(platform::CurrentThreadId());
    thread_->SetPriority(platform::ThreadPriority::Highest);
    while (running_.load()) {
        const int64_t start = Counter();
        TickAll();
        if (!running_.load())
            break;
        // A doze takes in the rest of the period: one wake-up per notice,
        // not one at the period's end and another at the doze's.
        if (!Doze(start))
            FinishPeriod(start);
    }
}

TimeSystem_impl* CreateTimeSystem()
{
    DestroyTimeSystem();
    TimeSystem_impl* system = new (std::nothrow) TimeSystem_impl();
    gTimeSystem.store(system);
    return system;
}

TimeSystem_impl* GetTimeSystem() { return gTimeSystem.load(); }

void DestroyTimeSystem() { delete gTimeSystem.exchange(nullptr); }

} // namespace TimeLibrary
