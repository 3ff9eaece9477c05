// What the two music back ends share about their closed audio libraries:
// loading one by name, taking its functions by name, and ending the program
// with a message box when either is missing (there is no music service
// without them, and the program was built to have them).
//
// Threads: the main thread, while the back ends and the sound manager are
// set up.
#pragma once

#include "platform/core/ModuleRegistry.h"

#include <atomic>
#include <memory>
#include <string>

namespace Zolt {

// Shows `text` in a message box (no owner, caption "Error", error icon) and
// ends the process with exit code 0.
[[noreturn]] void AbortMissingAudioLibrary(const std::string& text);

// The library, or the box `missingText` and the end of the process.
platform::HMODULE LoadAudioLibrary(const char* fileName, const char* missingText);

// `name` formatted into `missingFormat` (one %s) as the text of the box.
std::string MissingFunctionText(const char* missingFormat, const std::string& name);

// Takes entry `name` into `slot`; when the library lacks it, the box with
// MissingFunctionText(missingFormat, shownName) and the end of the process.
template <class F>
void TakeAudioEntry(platform::HMODULE module, const char* name, F& slot, const char* missingFormat,
                    const std::string& shownName)
{
    slot = platform::GetEntryAs<F>(module, name);
    if (!slot)
        AbortMissingAudioLibrary(MissingFunctionText(missingFormat, shownName));
}

// Takes an optional entry: null when the library lacks it.
template <class F>
void TakeOptionalAudioEntry(platform::HMODULE module, const char* name, F& slot)
{
    slot = platform::GetEntryAs<F>(module, name);
}

// One process-wide table of library functions, shared by reference count:
// the first Acquire creates it, the last Release deletes it. The count is
// atomic; creation and the last release happen on the main thread.
template <class T>
class SharedAudioTable {
public:
    // `create` returns a std::unique_ptr<T>; it may end the process (or, in
    // tests, throw), in which case no reference is counted.
    template <class Create>
    T* Acquire(Create create)
    {
        T* table = table_.load(std::memory_order_acquire);
        if (!table) {
            std::unique_ptr<T> fresh = create();
            T* expected = nullptr;
            if (table_.compare_exchange_strong(expected, fresh.get(), std::memory_order_acq_rel))
                table = fresh.release();
            else
                table = expected;
        }
        references_.fetch_add(1, std::memory_order_acq_rel);
        return table;
    }

    void Release()
    {
        if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete table_.exchange(nullptr, std::memory_order_acq_rel);
    }

    int References() const { return references_.load(std::memory_order_acquire); }

private:
    std::atomic<T*> table_{nullptr};
    std::atomic<int> references_{0};
};

} // namespace Zolt
