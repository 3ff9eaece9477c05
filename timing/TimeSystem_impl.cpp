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
    for (uint32_t entry = 1; entry < kTableSize; ++entry) {
        if (table_[entry].get() == object) {
            Discard(entry);
            return;
        }
    }
}

void TimeSystem_impl::DestroyAllTimeObjects()
{
    platform::CriticalSectionLock hold(tableLock_);
    for (uint32_t entry = 1; entry < kTableSize; ++entry) {
        if (table_[entry])
            Discard(entry);
    }
}

void TimeSystem_impl::Discard(uint32_t entry)
{
    std::unique_ptr<TimeObject_impl> object = std::move(table_[entry]);
    if (object->InCallback()) {
        object->MarkDestroyed();
        graveyard_.push_back(std::move(object));
    }
}

uint64_t TimeSystem_impl::GetTime()
{
    const int64_t since = restingSince_.load();
    const uint64_t clock = clock_.load();
    return since == 0 ? clock : clock + kPassMs * PassesIn(Counter() - since);
}

uint64_t TimeSystem_impl::PassesIn(int64_t counts) const
{
    return counts > 0 ? static_cast<uint64_t>(counts / countsPerPass_) : 0;
}

bool TimeSystem_impl::TickAll()
{
    bool stepsLeft = false;
    {
        platform::CriticalSectionLock hold(tableLock_);
        for (uint32_t entry = 1; entry < kTableSize; ++entry) {
            TimeObject_impl* object = table_[entry].get();
            if (!object || !object->IsRunning() || object->IsPaused())
                continue;
            object->Advance();
            // The notice may have freed it (it is then in the graveyard).
            object = table_[entry].get();
            stepsLeft = stepsLeft || (object && object->IsRunning() && !object->IsPaused());
        }
        graveyard_.clear();
    }
    clock_.fetch_add(kPassMs);
    return stepsLeft;
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

bool TimeSystem_impl::RunPass(bool* stepsLeft)
{
    if (!EnsurePacer())
        return false;
    const int64_t start = Counter();
    const bool left = TickAll();
    if (stepsLeft)
        *stepsLeft = left;
    // One sleep to the end of the period: the clock sleeps to the
    // microsecond, so slices would only wake the thread more often.
    const int64_t rest = pacer_->RestOfPeriod(Counter() - start);
    if (rest > 0)
        platform::GetClock().SleepMicroseconds(static_cast<uint64_t>(pacer_->MicrosecondsIn(rest)));
    pacer_->EndPass(Counter() - start);
    return true;
}

void TimeSystem_impl::Rest()
{
    const int64_t since = std::max<int64_t>(Counter(), 1);
    restingSince_.store(since);
    stepsWanted_.Wait();
    const uint64_t passes = PassesIn(Counter() - since);
    // The clock first, then the mark: GetTime never counts a pass twice.
    clock_.fetch_add(kPassMs * passes);
    restingSince_.store(0);
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
    running_.store(true);
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
        bool stepsLeft = false;
        RunPass(&stepsLeft);
        if (!stepsLeft && running_.load())
            Rest();
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
