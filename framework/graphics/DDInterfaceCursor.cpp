// The software cursor of the display: a 64 x 64 area around the cursor
// position whose background is kept in OldCursorArea while the cursor is
// drawn. Moves are made so that the cursor is on the target at every moment:
// a short move redraws old and new place together in one blit; a jump draws
// the cursor at its new place before the old place gets its background back.
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/DisplayHost.h"
#include "framework/graphics/Graphics.h"
#include "platform/ddraw/DirectDraw.h"

#include <algorithm>

namespace Zolt {

using namespace platform;

namespace {

constexpr int kHalf = DDInterface::kCursorAreaSize / 2;

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b)
{
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

RECT Offset(const RECT& r, LONG dx, LONG dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

// The parts of `a` outside `b`: at most four rectangles.
int Subtract(const RECT& a, const RECT& b, RECT out[4])
{
    const RECT cut = Intersect(a, b);
    if (IsEmpty(cut)) {
        out[0] = a;
        return 1;
    }
    int n = 0;
    if (cut.top > a.top)
        out[n++] = RECT{a.left, a.top, a.right, cut.top};
    if (cut.bottom < a.bottom)
        out[n++] = RECT{a.left, cut.bottom, a.right, a.bottom};
    if (cut.left > a.left)
        out[n++] = RECT{a.left, cut.top, cut.left, cut.bottom};
    if (cut.right < a.right)
        out[n++] = RECT{cut.right, cut.top, a.right, cut.bottom};
    return n;
}

bool SurfaceSize(DirectDrawSurface* surface, LONG& width, LONG& height)
{
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
    if (!surface || FAILED(surface->GetSurfaceDesc(&desc)))
        return false;
    width = static_cast<LONG>(desc.dwWidth);
    height = static_cast<LONG>(desc.dwHeight);
    return true;
}

} // namespace

bool DDInterface::SetCursorImage(Image* image)
{
    CriticalSectionLock guard(lock_);
    if (image == cursorImage_)
        return false;
    cursorImage_ = image;
    cursorChanged_ = true;
    return true;
}

void DDInterface::StoreLatestCursor(int x, int y)
{
    latestCursor_.store((uint64_t(uint32_t(x)) << 32) | uint32_t(y));
}

Point DDInterface::GetLatestCursorPosition() const
{
    const uint64_t packed = latestCursor_.load();
    Point p;
    p.x = static_cast<int32_t>(uint32_t(packed >> 32));
    p.y = static_cast<int32_t>(uint32_t(packed));
    return p;
}

void DDInterface::MoveSoftwareCursor(int x, int y)
{
    StoreLatestCursor(x, y);
    if (presenting_)
        return;
    CriticalSectionLock guard(lock_);
    if (presenting_ || !initialized_ || !primary_)
        return;
    if (!cursorImage_) {
        EraseSoftwareCursor(primary_, true);
        return;
    }
    const Point latest = GetLatestCursorPosition();
    if (!cursorDrawn_) {
        drawnCursor_ = latest;
        DrawSoftwareCursor(primary_, true);
    } else if (cursorChanged_ || latest.x != drawnCursor_.x || latest.y != drawnCursor_.y) {
        MoveDrawnCursor(primary_, true, latest.x, latest.y);
    }
    cursorChanged_ = false;
}

bool DDInterface::CursorRects(int x, int y, bool screen, RECT& target, RECT& inArea)
{
    const Rect area(x - kHalf, y - kHalf, kCursorAreaSize, kCursorAreaSize);
    const Rect visible = area.Intersection(presentationRect_);
    if (visible.width < 1 || visible.height < 1)
        return false;
    inArea = RECT{visible.x - area.x, visible.y - area.y, visible.x - area.x + visible.width,
                  visible.y - area.y + visible.height};
    target = RECT{visible.x, visible.y, visible.x + visible.width, visible.y + visible.height};
    if (screen) {
        const Point origin = ClientOrigin();
        target = Offset(target, origin.x, origin.y);
    }
    return true;
}

bool DDInterface::SaveUnderCursor(DirectDrawSurface* target, RECT& targetRect, RECT& areaRect,
                                  DirectDrawSurface* into)
{
    if (!target || !into)
        return false;
    if (SUCCEEDED(into->Blt(&areaRect, target, &targetRect, DDBLT_WAIT, nullptr)))
        return true;
    // Part of the area lies off the surface (a window half off the desktop):
    // try again with what lies on it.
    LONG width = 0;
    LONG height = 0;
    if (!SurfaceSize(primary_, width, height))
        return false;
    const RECT clipped = Intersect(targetRect, RECT{0, 0, width, height});
    if (IsEmpty(clipped))
        return false;
    areaRect = Offset(clipped, areaRect.left - targetRect.left, areaRect.top - targetRect.top);
    targetRect = clipped;
    return SUCCEEDED(into->Blt(&areaRect, target, &targetRect, DDBLT_WAIT, nullptr));
}

void DDInterface::PaintCursorInto(DDImage* image)
{
    if (!image || !cursorImage_)
        return;
    Graphics g(image);
    g.PaintImage(cursorImage_, (kCursorAreaSize - cursorImage_->GetWidth()) / 2,
                 (kCursorAreaSize - cursorImage_->GetHeight()) / 2);
}

void DDInterface::DrawSoftwareCursor(DirectDrawSurface* target, bool screenCoordinates)
{
    CriticalSectionLock guard(lock_);
    if (!cursorImage_ || !primary_ || !target) {
        cursorDrawn_ = false;
        return;
    }
    RECT targetRect;
    RECT areaRect;
    if (!CursorRects(drawnCursor_.x, drawnCursor_.y, screenCoordinates, targetRect, areaRect)) {
        cursorDrawn_ = false;
        return;
    }
    cursorDrawn_ = SaveUnderCursor(target, targetRect, areaRect, oldCursorArea_);
    if (!cursorDrawn_)
        return;
    if (screenImage_ && target == screenImage_->GetSurface() && !in3DMode_) {
        Graphics g(screenImage_.get());
        g.PaintImage(cursorImage_, (kCursorAreaSize - cursorImage_->GetWidth()) / 2 - kHalf + drawnCursor_.x,
                     (kCursorAreaSize - cursorImage_->GetHeight()) / 2 - kHalf + drawnCursor_.y);
    } else {
        newCursorArea_->Blt(&areaRect, oldCursorArea_, &areaRect, DDBLT_WAIT, nullptr);
        PaintCursorInto(newCursorImage_.get());
        target->Blt(&targetRect, newCursorArea_, &areaRect, DDBLT_WAIT, nullptr);
    }
}

bool DDInterface::MoveWithinUnion(DirectDrawSurface* target, const RECT& oldTarget, const RECT& oldArea,
                                  const RECT& newTarget, const RECT& newArea)
{
    const RECT all{std::min(oldTarget.left, newTarget.left), std::min(oldTarget.top, newTarget.top),
                   std::max(oldTarget.right, newTarget.right), std::max(oldTarget.bottom, newTarget.bottom)};
    const LONG width = all.right - all.left;
    const LONG height = all.bottom - all.top;
    if (width > 2 * kCursorAreaSize || height > 2 * kCursorAreaSize)
        return false;
    RECT inComposition{0, 0, width, height};
    if (FAILED(compositionArea_->Blt(&inComposition, target, const_cast<RECT*>(&all), DDBLT_WAIT, nullptr)))
        return false;
    // The union's background without the old cursor, the new place's part
    // of it saved, the cursor painted at the new place, and all of it back
    // onto the target in one blit.
    RECT oldInComposition = Offset(oldTarget, -all.left, -all.top);
    compositionArea_->Blt(&oldInComposition, oldCursorArea_, const_cast<RECT*>(&oldArea), DDBLT_WAIT, nullptr);
    RECT newInComposition = Offset(newTarget, -all.left, -all.top);
    newCursorArea_->Blt(const_cast<RECT*>(&newArea), compositionArea_, &newInComposition, DDBLT_WAIT, nullptr);
    const LONG areaLeft = newInComposition.left - newArea.left;
    const LONG areaTop = newInComposition.top - newArea.top;
    Graphics g(compositionImage_.get());
    g.PaintImage(cursorImage_, areaLeft + (kCursorAreaSize - cursorImage_->GetWidth()) / 2,
                 areaTop + (kCursorAreaSize - cursorImage_->GetHeight()) / 2);
    target->Blt(const_cast<RECT*>(&all), compositionArea_, &inComposition, DDBLT_WAIT, nullptr);
    return true;
}

void DDInterface::MoveDrawnCursor(DirectDrawSurface* target, bool screenCoordinates, int x, int y)
{
    CriticalSectionLock guard(lock_);
    if (!cursorImage_ || !primary_ || !target || !cursorDrawn_)
        return;
    RECT oldTarget;
    RECT oldArea;
    RECT newTarget;
    RECT newArea;
    const bool oldVisible = CursorRects(drawnCursor_.x, drawnCursor_.y, screenCoordinates, oldTarget, oldArea);
    bool newVisible = CursorRects(x, y, screenCoordinates, newTarget, newArea);

    // A short move: old and new place are redrawn together in one blit.
    if (oldVisible && newVisible && MoveWithinUnion(target, oldTarget, oldArea, newTarget, newArea)) {
        oldCursorArea_->Blt(nullptr, newCursorArea_, nullptr, DDBLT_WAIT, nullptr);
        drawnCursor_ = Point{x, y};
        return;
    }

    // A jump: the background under the new place (where the old cursor
    // covers it, from the old saved area), the cursor drawn there, and only
    // then the old place given its background back where the new cursor is
    // not, so the cursor is on the target at every moment.
    if (newVisible)
        newVisible = SaveUnderCursor(target, newTarget, newArea, newCursorArea_);
    if (newVisible && oldVisible) {
        RECT overlap = Intersect(oldTarget, newTarget);
        if (!IsEmpty(overlap)) {
            RECT from = Offset(overlap, oldArea.left - oldTarget.left, oldArea.top - oldTarget.top);
            RECT to = Offset(overlap, newArea.left - newTarget.left, newArea.top - newTarget.top);
            newCursorArea_->Blt(&to, oldCursorArea_, &from, DDBLT_WAIT, nullptr);
        }
    }
    if (newVisible) {
        compositionArea_->Blt(&newArea, newCursorArea_, &newArea, DDBLT_WAIT, nullptr);
        PaintCursorInto(compositionImage_.get());
        target->Blt(&newTarget, compositionArea_, &newArea, DDBLT_WAIT, nullptr);
    }
    if (oldVisible) {
        RECT pieces[4];
        const int count = newVisible ? Subtract(oldTarget, newTarget, pieces) : (pieces[0] = oldTarget, 1);
        for (int i = 0; i < count; ++i) {
            RECT from = Offset(pieces[i], oldArea.left - oldTarget.left, oldArea.top - oldTarget.top);
            target->Blt(&pieces[i], oldCursorArea_, &from, DDBLT_WAIT, nullptr);
        }
    }
    if (newVisible)
        oldCursorArea_->Blt(nullptr, newCursorArea_, nullptr, DDBLT_WAIT, nullptr);
    cursorDrawn_ = newVisible;
    drawnCursor_ = Point{x, y};
}

void DDInterface::EraseSoftwareCursor(DirectDrawSurface* target, bool screenCoordinates)
{
    CriticalSectionLock guard(lock_);
    if (!cursorDrawn_ || !primary_ || !target)
        return;
    RECT targetRect;
    RECT areaRect;
    if (CursorRects(drawnCursor_.x, drawnCursor_.y, screenCoordinates, targetRect, areaRect))
        target->Blt(&targetRect, oldCursorArea_, &areaRect, DDBLT_WAIT, nullptr);
    cursorDrawn_ = false;
}

} // namespace Zolt
