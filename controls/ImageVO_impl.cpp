#include "controls/ImageVO_impl.h"

#include "controls/Factory_impl.h"

namespace ControlLibrary {

ImageVO_impl::ImageVO_impl(Factory_impl& factory, uint32_t id) : VisibleObject_impl(factory, id)
{
    size_ = Size{20, 20};
    colour_ = RGB{255, 255, 255};
}

ImageVO_impl::~ImageVO_impl()
{
    factory_.ReleaseImage(image_);
}

bool ImageVO_impl::SetImage(const std::string& name, bool autosize)
{
    int32_t handle = -1;
    if (!factory_.AcquireImage(name, handle))
        return false;
    // The picture shown before is given back; otherwise every image an
    // object ever showed would stay loaded for the run.
    {
        platform::CriticalSectionLock lock(factory_.Lock());
        factory_.ReleaseImage(image_);
        image_ = handle;
    }
    if (autosize) {
        Size imageSize;
        if (factory_.GetImageSize(image_, imageSize))
            SetSize(imageSize);
    }
    SetDirty();
    return true;
}

void ImageVO_impl::SetSourceRect(const Rect& source)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    source_ = source;
}

Rect ImageVO_impl::GetSourceRect() const
{
    platform::CriticalSectionLock lock(factory_.Lock());
    return source_;
}

void ImageVO_impl::SetDrawOffset(const Point& offset)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    offset_ = offset;
}

void ImageVO_impl::SetRotation(double angle, const Point& centre)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    angle_ = angle;
    centre_ = centre;
}

void ImageVO_impl::GetImageName(std::string& out) const
{
    factory_.GetImageName(image_, out);
}

void ImageVO_impl::Draw()
{
    if (!visible_)
        return;
    bool drawn;
    if (angle_ == 0.0)
        drawn = factory_.DrawImage(image_, source_, GetScreenRect());
    else
        drawn = factory_.DrawImageRotated(image_, Rect{}, GetScreenRect(), angle_, centre_, offset_);
    if (!drawn)
        factory_.FillRect(GetScreenRect(), colour_);
}

void ImageVO_impl::DrawClipped(const std::vector<Rect>& rects)
{
    if (!visible_)
        return;
    if (dirty_.load() || alwaysRepaint_) {
        Draw();
        return;
    }
    const Rect own = GetScreenRect();
    for (const Rect& r : rects) {
        Rect common;
        if (!Overlap(r, own, common))
            continue;
        const int32_t offX = common.x - own.x;
        const int32_t offY = common.y - own.y;
        if (image_ < 0) {
            factory_.FillRect(Rect{own.x + offX + 1, own.y + offY + 1, static_cast<int16_t>(common.w - 2),
                                   static_cast<int16_t>(common.h - 2)},
                              colour_);
        } else if (common.w != 0 && common.h != 0) {
            factory_.DrawImage(image_, Rect{offX, offY, common.w, common.h},
                               Rect{own.x + offX, own.y + offY, common.w, common.h});
        }
    }
}

} // namespace ControlLibrary
