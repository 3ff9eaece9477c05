// The application's register of live memory images and its cache of shared
// images, one record per file name and variant.
//
// Every memory image registers itself when made and unregisters when it
// goes; the display walks the register when its surfaces are lost or made
// anew, and the developer tools list it. A shared image is loaded once and
// handed out through reference-counted handles; a record whose last handle
// went stays until the next clean-up deletes it.
//
// Threads: any thread; images are made and destroyed on the loading thread as
// well as on the main thread. One lock guards the register and the shared
// map: the display's lock while the display exists (images that make their
// surfaces while registering then take the locks in one order), the
// registry's own lock before that. The application switches between the two
// only while no other thread runs (before the loading thread starts and
// after it has ended).
#pragma once

#include "framework/base/CriticalSection.h"
#include "framework/graphics/SharedImage.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Zolt {

class MemoryImage;

class ImageRegistry {
public:
    // Makes the image of a new shared record (owned by the record), or null.
    using ImageMaker = std::function<MemoryImage*(const std::string& fileName)>;

    ImageRegistry() = default;
    // Deletes the shared images still held.
    ~ImageRegistry();
    ImageRegistry(const ImageRegistry&) = delete;
    ImageRegistry& operator=(const ImageRegistry&) = delete;

    // The lock to guard the register with from now on; null for the
    // registry's own.
    void UseLock(CriticalSection* lock);
    CriticalSection& Lock() { return *lock_.load(); }

    // ---- The register of live images ----
    void Add(MemoryImage* image);
    void Remove(MemoryImage* image);
    size_t Count();
    // The registered images at this moment.
    std::vector<MemoryImage*> Snapshot();
    // Calls `visit` for every registered image, holding the lock.
    void ForEach(const std::function<void(MemoryImage*)>& visit);

    // ---- Shared images ----
    // A handle on the record of {file name, variant}, made (with `make`) when
    // there is none yet; `created` tells whether it was. An empty handle when
    // the image could not be made; the empty record goes at the next clean-up.
    SharedImageHandle AcquireShared(const std::string& fileName, const std::string& variant, bool* created,
                                    const ImageMaker& make);
    // A record lost its last handle: the next clean-up looks for such records.
    void RequestCleanup() { cleanupWanted_ = true; }
    // Deletes the records no handle refers to, when a clean-up was asked for
    // since the last one.
    void CleanUpIfRequested();
    // Deletes every shared image, referenced or not (the application going).
    void DeleteAllShared();
    size_t SharedCount();

private:
    CriticalSection ownLock_;
    std::atomic<CriticalSection*> lock_{&ownLock_};
    std::set<MemoryImage*> images_;
    std::map<std::pair<std::string, std::string>, std::unique_ptr<SharedImage>> shared_;
    std::atomic<bool> cleanupWanted_{false};
};

} // namespace Zolt
