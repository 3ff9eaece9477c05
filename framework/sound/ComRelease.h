// Ownership of the sound library's reference-counted objects: a unique_ptr
// that calls Release instead of delete.
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

} // namespace Zolt
