// The pixel format images fall back on when there is no display: 32-bit
// with red, green and blue in bits 16-23, 8-15 and 0-7, as the ARGB pixels.
#pragma once

namespace Zolt {

class ImageHost;
class NativeDisplay;

const NativeDisplay& DefaultDisplayFormat();
// The display format of the given application, else of the process-wide
// one, else the default above.
const NativeDisplay& DisplayFormatOf(ImageHost* app);

} // namespace Zolt
