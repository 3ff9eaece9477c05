// The factory's side of a visible object's bridge: what the tables, the
// drawing pass and the input routing call. The game never sees it.
//
// Threads: as the object (main and time thread); the reference count is
// atomic.
#pragma once

#include "controls/Rect.h"

#include <cstdint>
#include <vector>

namespace ControlLibrary {

class IVisibleObject;
class VisibleObject_impl;

class IBridgeToVO {
public:
    virtual ~IBridgeToVO() = default;
    virtual VisibleObject_impl* GetImpl() = 0;
    virtual void Draw() = 0;
    virtual void DrawClipped(const std::vector<Rect>& rects) = 0;
    virtual void CollectDirtyRects(std::vector<Rect>& rects) = 0;
    virtual uint32_t GetId() const = 0;
    virtual uint32_t GetAbsoluteLayer() const = 0;
    virtual void AddRef() = 0;
    // Lowers the count while it is at least 1 and returns it; never deletes.
    virtual int16_t Release() = 0;
    virtual int16_t GetRefCount() const = 0;
    // The game's interface of the same object.
    virtual IVisibleObject* GetInterface() = 0;
};

} // namespace ControlLibrary
