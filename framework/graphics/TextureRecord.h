// The 3D layer's texture data for one memory image. The image owns it and
// deletes it through this base; the 3D layer derives its own record from it.
#pragma once

namespace Zolt {

struct TextureRecord {
    virtual ~TextureRecord() = default;
};

} // namespace Zolt
