// A picture from the factory's shared image table, optionally a part of it,
// optionally rotated; without an image, a rectangle in the object's colour.
// Threads: as VisibleObject_impl.
#pragma once

#include "controls/VisibleObject_impl.h"

#include <string>

namespace ControlLibrary {

class ImageVO_impl final : public VisibleObject_impl {
public:
    ImageVO_impl(Factory_impl& factory, uint32_t id);
    ~ImageVO_impl() override;

    void Draw() override;
    void DrawClipped(const std::vector<Rect>& rects) override;

    bool SetImage(const std::string& name, bool autosize);
    void SetSourceRect(const Rect& source);
    void SetRotation(double angle, const Point& centre);
    void SetDrawOffset(const Point& offset);
    void GetImageName(std::string& out) const;
    Rect GetSourceRect() const;

private:
    int32_t image_ = -1;
    Rect source_;
    double angle_ = 0.0;
    Point centre_;
    Point offset_;
};

} // namespace ControlLibrary
