// Ownership of the display and sound libraries' reference-counted objects: a
// unique_ptr that calls Release instead of delete, and a release-and-forget
// for plain members.
#pragma once

#include <memory>

namespace Zolt {

struct ComRelease {
    template <class T>
    void operator()(T* object) const
    {
        if (object)
            object->Release();
    }
};

template <class T>
using ComPtr = std::unique_ptr<T, ComRelease>;

// Gives back the reference a member holds and forgets it.
template <class T>
void ReleaseAndClear(T*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

} // namespace Zolt
