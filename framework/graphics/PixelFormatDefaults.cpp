#include "framework/graphics/PixelFormatDefaults.h"

#include "framework/graphics/ImageHost.h"
#include "framework/graphics/NativeDisplay.h"

namespace Zolt {

const NativeDisplay& DefaultDisplayFormat()
{
    static const NativeDisplay format = [] {
        NativeDisplay f;
        f.SetFormat(32, 0xFF0000, 0x00FF00, 0x0000FF);
        return f;
    }();
    return format;
}

const NativeDisplay& DisplayFormatOf(ImageHost* app)
{
    ImageHost* host = app ? app : GetImageHost();
    if (host)
        if (const NativeDisplay* display = host->GetNativeDisplay())
            return *display;
    return DefaultDisplayFormat();
}

} // namespace Zolt
