// The published symbolic name of a DirectDraw, Direct3D 7 or DirectSound
// result code, for error texts and logs. Any thread.
#pragma once

#include "platform/core/Types.h"

#include <string>

// The name, or the value in lower-case hexadecimal without prefix or
// padding when the code has no published name here.
std::string DirectXErrorName(platform::HRESULT result);
