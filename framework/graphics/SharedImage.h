// Shared images: the application keeps one record per loaded image (keyed by
// file name and variant) and hands out handles that count references to it.
// A handle may instead hold a plain memory image that is not shared.
// Handles are made, copied and released on the main thread and the loading
// thread; the application guards its record map with the display lock.
#pragma once

#include <cstdint>

namespace Zolt {

class MemoryImage;

// The image is a display image made by the application; it stays alive when
// the count reaches 0 until the application's clean-up deletes the record.
struct SharedImage {
    MemoryImage* image = nullptr;
    int32_t refCount = 0;
};

class SharedImageHandle {
public:
    SharedImageHandle() = default;
    // Shares the other's record. A copy never owns the plain image.
    SharedImageHandle(const SharedImageHandle& other);
    explicit SharedImageHandle(SharedImage* shared);
    ~SharedImageHandle();

    // Shares the other's record; its plain image is not taken. Assigning a
    // handle to itself keeps what it holds.
    SharedImageHandle& operator=(const SharedImageHandle& other);
    SharedImageHandle& operator=(SharedImage* shared);
    SharedImageHandle& operator=(MemoryImage* plain);

    // Deletes the plain image when owned, drops the record's reference and
    // asks the application for a clean-up when that was the last one.
    void Release();

    MemoryImage* GetSharedImage() const;
    // The plain image when set, else the shared record's image.
    MemoryImage* GetImage() const;
    operator MemoryImage*() const { return GetImage(); }
    MemoryImage* operator->() const { return GetImage(); }

    SharedImage* GetRecord() const { return shared_; }
    // The handle deletes its plain image on release only when this is set.
    void SetOwnsPlainImage(bool owns) { ownsPlain_ = owns; }
    bool OwnsPlainImage() const { return ownsPlain_; }

private:
    void Share(SharedImage* shared);

    SharedImage* shared_ = nullptr;
    MemoryImage* plain_ = nullptr;
    bool ownsPlain_ = false;
};

} // namespace Zolt
