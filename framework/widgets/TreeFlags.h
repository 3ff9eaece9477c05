// The flag words with which the widget manager walks its tree, the per-node
// adjustment of those words, the context a walk carries, and the mouse
// margins of a widget. Plain values, used on the main thread.
#pragma once

#include <cstdint>

namespace Zolt {

// What a tree walk may do with a widget.
struct TreeFlags {
    enum : uint32_t {
        Tick = 1,
        Invalidate = 2, // set dirty on every tick
        Paint = 4,
        Clip = 8,
        Mouse = 16, // may be hit, hovered and captured
        Focus = 32, // may keep the keyboard focus
        Default = 61, // all but Invalidate
    };
};

// Changes a flag word for one node and its subtree: (flags | add) & ~remove.
struct FlagAdjust {
    uint32_t add = 0;
    uint32_t remove = 0;

    FlagAdjust() = default;
    FlagAdjust(uint32_t addMask, uint32_t removeMask) : add(addMask), remove(removeMask) {}

    uint32_t Apply(uint32_t flags) const { return (flags | add) & ~remove; }
    bool operator==(const FlagAdjust& o) const { return add == o.add && remove == o.remove; }
};

// Built for each walk: the flags of widgets at or in front of the modal
// barrier, those of widgets behind it, and whether the walk has passed the
// barrier yet.
struct FlagContext {
    uint32_t frontFlags = TreeFlags::Default;
    uint32_t behindFlags = TreeFlags::Default;
    bool barrierReached = true;

    uint32_t Effective() const { return barrierReached ? frontFlags : behindFlags; }
};

// Insets of the rectangle that the mouse hits.
struct Margins {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

} // namespace Zolt
