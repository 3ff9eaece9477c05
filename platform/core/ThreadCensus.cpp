// The count of threads the process has started, whoever started them: the
// platform's threads, std::thread in a test, a library's own. The test main
// asks for it before and after each test to learn which tests run real
// threads (those are run again under ThreadSanitizer).
//
// It stands in front of the C library's pthread_create, in a library of its
// own that only the tests link; in sanitizer builds, whose runtimes stand in
// front of pthread_create themselves, it counts nothing.
//
// Threads: any thread may start threads and read the count; the count is
// atomic.
#include "platform/core/Testing.h"

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cstdlib>

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

} // namespace

#ifndef PELLUCOR_SANITIZER_RUNTIME
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*body)(void*),
                              void* argument)
{
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const Create next = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    if (!next)
        std::abort();
    const int result = next(thread, attributes, body, argument);
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
