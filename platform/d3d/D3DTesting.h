// Test hooks of the Direct3D service: the card our device pretends to be.
// Devices created after a call see the change; devices already made keep
// the caps they were made with. Failures of single calls are arranged with
// platform::testing::FailNext under the names listed in Direct3DDevice.h
// (texture surfaces are made by DirectDraw: "CreateSurface").
//
// Threads: any.
#pragma once

#include "platform/d3d/D3DTypes.h"

namespace platform::d3d::testing {

// Back to the stock card (every texture format, textures from 1 x 1 to
// 2048 x 2048 of any shape, every blend factor) and makes sure DirectDraw
// objects hand out IID_IDirect3D7.
void ResetDevice();
// Which formats EnumTextureFormats offers (bits of d3d::TextureFormatBit).
void SetTextureFormats(DWORD formats);
// Texture size limits as GetCaps reports and SetTexture enforces them
// (a maximum of 0 reports "no figure" and enforces none).
void SetTextureLimits(DWORD minWidth, DWORD minHeight, DWORD maxWidth, DWORD maxHeight, DWORD maxAspect);
// D3DPTEXTURECAPS_* of the card: POW2 and SQUAREONLY restrict the textures
// SetTexture accepts; without ALPHAPALETTE palettised textures lose their
// place in the program's choice.
void SetTextureCaps(DWORD textureCaps);
// The blend factors the card carries out (D3DPBLENDCAPS_*); others act as
// ONE (source) or ZERO (destination), as a card that ignores them would.
void SetBlendCaps(DWORD sourceCaps, DWORD destCaps);
// A card that cannot blend at all: ALPHABLENDENABLE has no effect and the
// blend caps read 0.
void SetAlphaBlending(bool supported);

} // namespace platform::d3d::testing
