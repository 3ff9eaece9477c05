#include "tools/assetgen/FramePlan.h"

#include <algorithm>

namespace assetgen {

namespace {

Rect Intersect(const Rect& a, const Rect& b)
{
    const int x = std::max(a.x, b.x);
    const int y = std::max(a.y, b.y);
    const int r = std::min(a.Right(), b.Right());
    const int bottom = std::min(a.Bottom(), b.Bottom());
    return {x, y, std::max(0, r - x), std::max(0, bottom - y)};
}

int Area(const Rect& r)
{
    return r.w * r.h;
}

// Two frames of one button share a picture when their rectangles are the
// same or overlap over more than half of the smaller one.
bool Shares(const Rect& a, const Rect& b)
{
    return Area(Intersect(a, b)) * 2 > std::min(Area(a), Area(b));
}

// Gives up the side of `area` that `other` grazes: the narrower overlap
// decides whether rows or columns go.
void Yield(Rect& area, const Rect& other)
{
    const Rect overlap = Intersect(area, other);
    if (Area(overlap) == 0)
        return;
    if (overlap.w < overlap.h) {
        if (other.x + other.w / 2 > area.x + area.w / 2)
            area.w = other.x - area.x;
        else {
            area.w = area.Right() - other.Right();
            area.x = other.Right();
        }
    } else {
        if (other.y + other.h / 2 > area.y + area.h / 2)
            area.h = other.y - area.y;
        else {
            area.h = area.Bottom() - other.Bottom();
            area.y = other.Bottom();
        }
    }
    area.w = std::max(area.w, 0);
    area.h = std::max(area.h, 0);
}

} // namespace

std::vector<FramePlan> PlanFrames(const ImageAsset& sheet)
{
    std::vector<FramePlan> plans;
    std::vector<std::vector<Rect>> rects; // the source rectangles each plan serves
    for (const SheetButton& button : sheet.buttons)
        for (const Frame& frame : button.frames) {
            auto shared = std::find_if(plans.begin(), plans.end(), [&](const FramePlan& p) {
                return p.button == &button && Shares(p.serves, frame.rect);
            });
            if (shared != plans.end()) {
                shared->serves = Intersect(shared->serves, frame.rect);
                rects[static_cast<size_t>(shared - plans.begin())].push_back(frame.rect);
            } else {
                plans.push_back({frame.rect, frame.rect, frame.state, &button});
                rects.push_back({frame.rect});
            }
        }
    for (size_t i = 0; i < plans.size(); ++i) {
        FramePlan& plan = plans[i];
        plan.area = plan.serves;
        for (size_t j = 0; j < plans.size(); ++j)
            if (j != i)
                for (const Rect& other : rects[j])
                    Yield(plan.area, other);
        // One transparent pixel all round.
        plan.area = {plan.area.x + 1, plan.area.y + 1, std::max(0, plan.area.w - 2), std::max(0, plan.area.h - 2)};
    }
    return plans;
}

} // namespace assetgen
