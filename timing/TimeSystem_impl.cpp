#include "timing/TimeSystem_impl.h"

#include "platform/core/Clock.h"

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
        table_[entry].reset(new (std::nothrow) TimeObject_impl(entry, observer, durationMs, intervalMs, tableLock_));
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

void TimeSystem_impl::TickAll()
{
    {
        platform::CriticalSectionLock hold(tableLock_);
        for (uint32_t entry = 1; entry < kTableSize; ++entry) {
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
    return true;
}

bool TimeSystem_impl::RunPass()
{
    if (!EnsurePacer())
        return false;
    const int64_t start = Counter();
    TickAll();
    // Sleep in slices rather than once, so the pass ends close to its period
    // whatever the granularity of Sleep.
    for (int64_t elapsed = Counter() - start; elapsed < pacer_->Period(); elapsed = Counter() - start) {
        const int slice = pacer_->SleepSliceFor(pacer_->Period() - elapsed);
        if (slice < 0)
            break;
        platform::Sleep(static_cast<platform::DWORD>(slice));
    }
    pacer_->EndPass(Counter() - start);
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
    while (running_.load())
        RunPass();
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
