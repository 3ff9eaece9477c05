#include "controls/DrawingRecord.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>
#include <utility>

namespace ControlLibrary {

bool Overlaps(const Zolt::Rect& a, const Zolt::Rect& b)
{
    return !a.IsEmpty() && !b.IsEmpty() && a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

bool Holds(const Zolt::Rect& outer, const Zolt::Rect& inner)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

namespace {

uint64_t Mix(uint64_t hash, uint64_t value)
{
    hash ^= value + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2);
    return hash;
}

} // namespace

bool DrawingStep::SameCall(const DrawingStep& o) const
{
    return kind == o.kind && colour == o.colour && resource == o.resource &&
           std::memcmp(source, o.source, sizeof source) == 0 &&
           std::memcmp(destination, o.destination, sizeof destination) == 0 &&
           // By its bits, as Hash takes it: the same bits draw the same pixels.
           std::memcmp(&angle, &o.angle, sizeof angle) == 0 &&
           centre == o.centre && text == o.text && reach == o.reach;
}

uint64_t DrawingStep::Hash() const
{
    uint64_t h = static_cast<uint64_t>(kind);
    h = Mix(h, (uint64_t{colour.r} << 16) | (uint64_t{colour.g} << 8) | colour.b);
    h = Mix(h, resource);
    for (int32_t v : source)
        h = Mix(h, static_cast<uint32_t>(v));
    for (int32_t v : destination)
        h = Mix(h, static_cast<uint32_t>(v));
    uint64_t angleBits = 0;
    std::memcpy(&angleBits, &angle, sizeof angleBits);
    h = Mix(h, angleBits);
    h = Mix(h, (uint64_t{static_cast<uint32_t>(centre.x)} << 32) | static_cast<uint32_t>(centre.y));
    // Most calls draw no text.
    if (!text.empty())
        h = Mix(h, std::hash<std::string_view>{}(text));
    return h;
}

void DrawingRecord::Add(DrawingStep&& step) { steps_.push_back(std::move(step)); }

namespace {

constexpr size_t kMostAreasMerged = 64;

Zolt::Rect BoundingBox(const std::vector<Zolt::Rect>& areas)
{
    Zolt::Rect box;
    for (const Zolt::Rect& a : areas)
        box = box.Joined(a);
    return box;
}

// Joins overlapping areas until none overlap; too many to join one by one
// become their bounding box.
void MergeOverlapping(std::vector<Zolt::Rect>& areas)
{
    areas.erase(std::remove_if(areas.begin(), areas.end(), [](const Zolt::Rect& a) { return a.IsEmpty(); }),
                areas.end());
    if (areas.size() > kMostAreasMerged) {
        areas = {BoundingBox(areas)};
        return;
    }
    for (bool joined = true; joined;) {
        joined = false;
        for (size_t i = 0; i < areas.size() && !joined; ++i) {
            for (size_t j = i + 1; j < areas.size(); ++j) {
                if (!Overlaps(areas[i], areas[j]))
                    continue;
                areas[i] = areas[i].Joined(areas[j]);
                areas.erase(areas.begin() + static_cast<std::ptrdiff_t>(j));
                joined = true;
                break;
            }
        }
    }
}

// Every call that does not clip exactly and is cut by an area is drawn whole
// inside it: the area grows to hold it.
void GrowOverInexactCalls(const std::vector<DrawingStep>& steps, std::vector<Zolt::Rect>& areas)
{
    for (bool grew = true; grew;) {
        grew = false;
        for (const DrawingStep& step : steps) {
            if (step.clipsExactly)
                continue;
            for (Zolt::Rect& area : areas) {
                if (Overlaps(area, step.reach) && !Holds(area, step.reach)) {
                    area = area.Joined(step.reach);
                    grew = true;
                }
            }
        }
        if (grew)
            MergeOverlapping(areas);
    }
}

} // namespace

std::vector<Zolt::Rect> DrawingRecord::Differences(const DrawingRecord& before, const DrawingRecord& after,
                                                   size_t mostAreas)
{
    const std::vector<DrawingStep>& old = before.steps_;
    const std::vector<DrawingStep>& now = after.steps_;
    std::vector<Zolt::Rect> areas;

    // Calls the two passes open with alike pair with each other in order:
    // each is the first unpaired equal call of the old pass. Most passes
    // differ late or not at all (a caret drawn or not over a still scene),
    // so only the calls after them need a search.
    size_t same = 0;
    while (same < old.size() && same < now.size() && old[same].SameCall(now[same]))
        ++same;
    if (same == old.size() && same == now.size())
        return areas;

    // The old pass's remaining calls by hash, each hash's calls in their
    // order, so that equal calls are paired first with first.
    std::vector<std::pair<uint64_t, size_t>> oldByHash;
    oldByHash.reserve(old.size() - same);
    for (size_t i = same; i < old.size(); ++i)
        oldByHash.emplace_back(old[i].Hash(), i);
    std::sort(oldByHash.begin(), oldByHash.end());
    std::vector<bool> paired(old.size(), false);
    std::fill(paired.begin(), paired.begin() + static_cast<std::ptrdiff_t>(same), true);

    size_t latestPaired = same > 0 ? same - 1 : 0;
    bool anyPaired = same > 0;
    for (size_t n = same; n < now.size(); ++n) {
        const DrawingStep& step = now[n];
        const uint64_t hash = step.Hash();
        size_t partner = old.size();
        for (auto it = std::lower_bound(oldByHash.begin(), oldByHash.end(), std::make_pair(hash, size_t{0}));
             it != oldByHash.end() && it->first == hash; ++it) {
            if (!paired[it->second] && old[it->second].SameCall(step)) {
                partner = it->second;
                break;
            }
        }
        if (partner == old.size()) {
            areas.push_back(step.reach);
            continue;
        }
        paired[partner] = true;
        // A call drawn earlier in the old pass than one already seen now
        // changed places with it: where they overlap the order shows.
        if (anyPaired && partner < latestPaired) {
            areas.push_back(step.reach);
            continue;
        }
        latestPaired = partner;
        anyPaired = true;
    }
    for (size_t i = same; i < old.size(); ++i) {
        if (!paired[i])
            areas.push_back(old[i].reach);
    }

    MergeOverlapping(areas);
    GrowOverInexactCalls(now, areas);
    if (areas.size() > mostAreas)
        areas = {BoundingBox(areas)};
    return areas;
}

} // namespace ControlLibrary
