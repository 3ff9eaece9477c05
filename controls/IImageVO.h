// A picture from the factory's shared image table, optionally a part of it,
// optionally rotated. Without an image it shows a rectangle in its colour.
#pragma once

#include "controls/IVisibleObject.h"

#include <string>

namespace ControlLibrary {

class IImageVO : public IVisibleObject {
public:
    // False, with nothing changed, when the image cannot be loaded. With
    // autosize the object takes the image's size; otherwise it is stretched.
    virtual bool SetImage(const std::string& name, bool autosize) = 0;
    // The part of the image shown; w or h 0 means the whole image.
    virtual void SetSourceRect(const Rect& source) = 0;
    // Angle 0.0 draws unrotated.
    virtual void SetRotation(double angle, const Point& centre) = 0;
    // Used only when drawing rotated.
    virtual void SetDrawOffset(const Point& offset) = 0;
    virtual void GetImageName(std::string& out) const = 0;
    virtual Rect GetSourceRect() const = 0;
};

} // namespace ControlLibrary
