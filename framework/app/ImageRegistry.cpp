#include "framework/app/ImageRegistry.h"

#include "framework/graphics/MemoryImage.h"

namespace Zolt {

ImageRegistry::~ImageRegistry() { DeleteAllShared(); }

void ImageRegistry::UseLock(CriticalSection* lock) { lock_ = lock ? lock : &ownLock_; }

void ImageRegistry::Add(MemoryImage* image)
{
    CriticalSectionLock guard(Lock());
    images_.insert(image);
}

void ImageRegistry::Remove(MemoryImage* image)
{
    CriticalSectionLock guard(Lock());
    images_.erase(image);
}

size_t ImageRegistry::Count()
{
    CriticalSectionLock guard(Lock());
    return images_.size();
}

std::vector<MemoryImage*> ImageRegistry::Snapshot()
{
    CriticalSectionLock guard(Lock());
    return std::vector<MemoryImage*>(images_.begin(), images_.end());
}

void ImageRegistry::ForEach(const std::function<void(MemoryImage*)>& visit)
{
    CriticalSectionLock guard(Lock());
    for (MemoryImage* image : images_)
        visit(image);
}

SharedImageHandle ImageRegistry::AcquireShared(const std::string& fileName, const std::string& variant,
                                               bool* created, const ImageMaker& make)
{
    CriticalSectionLock guard(Lock());
    auto& record = shared_[{fileName, variant}];
    const bool isNew = !record;
    if (isNew) {
        record = std::make_unique<SharedImage>();
        record->image = make(fileName);
    }
    if (created)
        *created = isNew;
    if (!record->image) {
        // Nothing to share: the record goes at the next clean-up.
        cleanupWanted_ = true;
        return SharedImageHandle();
    }
    return SharedImageHandle(record.get());
}

void ImageRegistry::CleanUpIfRequested()
{
    if (!cleanupWanted_.exchange(false))
        return;
    CriticalSectionLock guard(Lock());
    for (auto it = shared_.begin(); it != shared_.end();) {
        if (it->second->refCount <= 0) {
            delete it->second->image;
            it = shared_.erase(it);
        } else {
            ++it;
        }
    }
}

void ImageRegistry::DeleteAllShared()
{
    CriticalSectionLock guard(Lock());
    // Taken out of the map first: deleting an image unregisters it, which
    // comes back here under the same (re-entrant) lock.
    auto records = std::move(shared_);
    shared_.clear();
    for (auto& [key, record] : records) {
        (void)key;
        delete record->image;
        record->image = nullptr;
    }
}

size_t ImageRegistry::SharedCount()
{
    CriticalSectionLock guard(Lock());
    return shared_.size();
}

} // namespace Zolt
