// A rectangle in the object's colour.
#pragma once

#include "controls/IVisibleObject.h"

#include <cstdint>

namespace ControlLibrary {

class IRectVO : public IVisibleObject {
public:
    // 0 outline, 1 filled; any other style draws nothing.
    virtual void SetStyle(uint32_t style) = 0;
};

} // namespace ControlLibrary
