// The reference-counted base of the toolkit's handles (fonts, cursors, sounds,
// tooltips). A handle starts with one reference, held by whoever asked the
// factory for it. Objects that keep a handle add a reference while they hold
// it and drop it when they let go; only the factory's release operations
// delete a handle, when the count reaches 0.
//
// Threads: handles are used from the main thread and from timer callbacks on
// the time thread; the count is atomic so both may change it.
#pragma once

#include <atomic>
#include <cstdint>

namespace CommonLibrary {

class RefObj {
public:
    virtual ~RefObj() = default;
    RefObj(const RefObj&) = delete;
    RefObj& operator=(const RefObj&) = delete;

    void AddRef() { refCount_.fetch_add(1); }
    // Lowers the count and returns the new value; never deletes.
    int32_t DropRef() { return refCount_.fetch_sub(1) - 1; }
    int32_t GetRefCount() const { return refCount_.load(); }

protected:
    RefObj() = default;

private:
    std::atomic<int32_t> refCount_{1};
};

} // namespace CommonLibrary
