// The count of threads the process has started, whoever started them: the
// platform's threads, std::thread in a test, a library's own. The test main
// asks for it before and after each test to learn which tests run real
// threads (those are run again under ThreadSanitizer).
//
// It stands in front of the C library's pthread_create, in a library of its
// own that only the tests link; in sanitizer builds, whose runtimes stand in
// front of pthread_create themselves, it counts nothing.
//
// With PELLUCOR_THREAD_START_DELAY_MS set, every thread it starts waits that
// many milliseconds of real time before its body runs: the slow start a
// loaded machine may give any thread, every time, so that a test whose
// verdict hangs on a thread's speed fails at once instead of once in a few
// hundred runs (bench/flake_hunt.sh).
//
// Threads: any thread may start threads and read the count; the count is
// atomic.
#include "platform/core/Testing.h"

#include <dlfcn.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <ctime>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define PELLUCOR_SANITIZER_RUNTIME 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PELLUCOR_SANITIZER_RUNTIME 1
#endif

namespace {

std::atomic<uint64_t> gThreadsStarted{0};

#ifndef PELLUCOR_SANITIZER_RUNTIME
long StartDelayMilliseconds()
{
    static const long delay = [] {
        const char* text = std::getenv("PELLUCOR_THREAD_START_DELAY_MS");
        return text ? std::max(0L, std::strtol(text, nullptr, 10)) : 0L;
    }();
    return delay;
}

struct LateStart {
    void* (*body)(void*);
    void* argument;
};

void* StartLate(void* late)
{
    const LateStart start = *static_cast<LateStart*>(late);
    delete static_cast<LateStart*>(late);
    const long delay = StartDelayMilliseconds();
    timespec rest{delay / 1000, (delay % 1000) * 1'000'000};
    while (nanosleep(&rest, &rest) != 0) {
    }
    return start.body(start.argument);
}
#endif

} // namespace

#ifndef PELLUCOR_SANITIZER_RUNTIME
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*body)(void*),
                              void* argument)
{
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const Create next = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    if (!next)
        std::abort();
    int result = 0;
    if (StartDelayMilliseconds() > 0) {
        auto* late = new LateStart{body, argument};
        result = next(thread, attributes, StartLate, late);
        if (result != 0)
            delete late;
    } else {
        result = next(thread, attributes, body, argument);
    }
    if (result == 0)
        gThreadsStarted.fetch_add(1, std::memory_order_relaxed);
    return result;
}
#endif

namespace platform::testing {

bool CountsThreads()
{
#ifdef PELLUCOR_SANITIZER_RUNTIME
    return false;
#else
    return true;
#endif
}

uint64_t ThreadsStarted() { return gThreadsStarted.load(std::memory_order_relaxed); }

} // namespace platform::testing
