// A font handle: one entry of the factory's font table, loaded from a font
// descriptor file such as "fonts/a_BosaNova10.txt".
#pragma once

#include "common/RefObj.h"

#include <cstdint>
#include <string>

namespace ControlLibrary {

class IFont : public CommonLibrary::RefObj {
public:
    ~IFont() override = default;
    // False (keeping the current font) when the descriptor does not load.
    virtual bool Load(const std::string& descriptorFile) = 0;
    // Line height in pixels; 0 without a font.
    virtual int16_t GetHeight() = 0;
    // Width of the text in pixels as it would be drawn; 0 without a font.
    virtual int16_t GetStringWidth(const std::string& text) = 0;
};

} // namespace ControlLibrary
