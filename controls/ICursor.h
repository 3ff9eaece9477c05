// A mouse cursor drawn by the toolkit at the pointer.
#pragma once

#include "common/RefObj.h"
#include "controls/Rect.h"

#include <string>

namespace ControlLibrary {

class ICursor : public CommonLibrary::RefObj {
public:
    ~ICursor() override = default;
    virtual bool SetImage(const std::string& imageName) = 0;
    // The area of the image that is the cursor; w or h 0 means the whole image.
    virtual void SetHotSpotRect(const Rect& source) = 0;
};

} // namespace ControlLibrary
