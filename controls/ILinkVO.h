// A one-line text that changes colour under the mouse and opens a web address
// in the browser when pressed.
#pragma once

#include "controls/IVisibleObject.h"

#include <string>

namespace ControlLibrary {

class IFont;

class ILinkVO : public IVisibleObject {
public:
    virtual void SetFont(IFont* font) = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual void GetText(std::string& out) const = 0;
    virtual void SetUrl(const std::string& url) = 0;
    virtual void SetHoverColour(const RGB& colour) = 0;
};

} // namespace ControlLibrary
