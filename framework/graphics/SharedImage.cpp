#include "framework/graphics/SharedImage.h"

#include "framework/graphics/ImageHost.h"
#include "framework/graphics/MemoryImage.h"

namespace Zolt {

SharedImageHandle::SharedImageHandle(const SharedImageHandle& other) : plain_(other.plain_)
{
    Share(other.shared_);
}

SharedImageHandle::SharedImageHandle(SharedImage* shared) { Share(shared); }

SharedImageHandle::~SharedImageHandle() { Release(); }

void SharedImageHandle::Share(SharedImage* shared)
{
    shared_ = shared;
    if (shared_)
        ++shared_->refCount;
}

SharedImageHandle& SharedImageHandle::operator=(const SharedImageHandle& other)
{
    if (&other == this)
        return *this;
    // Take the reference first so that releasing ours cannot drop the record
    // to zero when both handles share it.
    SharedImage* incoming = other.shared_;
    if (incoming)
        ++incoming->refCount;
    Release();
    shared_ = incoming;
    return *this;
}

SharedImageHandle& SharedImageHandle::operator=(SharedImage* shared)
{
    if (shared)
        ++shared->refCount;
    Release();
    shared_ = shared;
    return *this;
}

SharedImageHandle& SharedImageHandle::operator=(MemoryImage* plain)
{
    if (plain == plain_ && plain != nullptr) {
        // Re-assigning the held image must not delete it.
        if (shared_) {
            SharedImage* shared = shared_;
            shared_ = nullptr;
            if (--shared->refCount == 0)
                if (ImageHost* host = GetImageHost())
                    host->RequestSharedImageCleanup();
        }
        return *this;
    }
    Release();
    plain_ = plain;
    return *this;
}

void SharedImageHandle::Release()
{
    if (ownsPlain_ && plain_)
        delete plain_;
    plain_ = nullptr;
    if (shared_) {
        if (--shared_->refCount == 0)
            if (ImageHost* host = GetImageHost())
                host->RequestSharedImageCleanup();
        shared_ = nullptr;
    }
}

MemoryImage* SharedImageHandle::GetSharedImage() const { return shared_ ? shared_->image : nullptr; }

MemoryImage* SharedImageHandle::GetImage() const
{
    if (plain_)
        return plain_;
    return GetSharedImage();
}

} // namespace Zolt
