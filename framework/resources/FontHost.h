// What the fonts need of the application: shared images for descriptor
// layers, the fatal-error box for descriptor errors, and the screen's
// logical resolution for system fonts. The application base implements it
// (its AcquireSharedImage and ShowError have exactly these signatures, so
// deriving from FontHost is all it takes) and registers itself with
// SetFontHost. Without a host, descriptor errors are only stored, layer
// images cannot be loaded and system fonts assume 96 dots per inch.
//
// Called on the thread that loads or draws the font (main or loading).
#pragma once

#include "framework/graphics/SharedImage.h"

#include <string>

namespace Zolt {

class FontHost {
public:
    virtual ~FontHost() = default;

    // The image shared by file name and variant, loaded on first use
    // (created is set then); an empty handle when it cannot be read.
    virtual SharedImageHandle AcquireSharedImage(const std::string& fileName, const std::string& variant,
                                                 bool* created) = 0;
    // Shows the fatal-error box with the text.
    virtual void ShowError(const std::string& text) = 0;
    // Logical dots per inch of the screen.
    virtual int FontLogicalDpi() { return 96; }
};

// The process-wide application as the fonts see it; null when there is none.
FontHost* GetFontHost();
void SetFontHost(FontHost* host);

} // namespace Zolt
