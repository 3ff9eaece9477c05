#include "game/shell/ScreenParts.h"

#include "controls/IButtonVO.h"
#include "controls/IFont.h"
#include "controls/IImageVO.h"

namespace Gamespace::screen_parts {

namespace {

using ControlLibrary::RGB;

constexpr ControlLibrary::Point kCaptionOffset{0, -5};
constexpr std::array<RGB, 5> kCaptionColours{RGB{203, 203, 192}, RGB{255, 255, 128}, RGB{203, 203, 192},
                                             RGB{0, 0, 0}, RGB{0, 0, 0}};

} // namespace

ControlLibrary::IImageVO* MakeBackground(ControlLibrary::IFactory& factory, const std::string& image)
{
    ControlLibrary::IImageVO* background = factory.CreateImageVO();
    if (background) {
        background->SetImage(image, true);
        background->SetAlignment(1, 1);
        background->SetLayer(kBackgroundLayer);
    }
    return background;
}

ControlLibrary::IButtonVO* MakeButton(ControlLibrary::IFactory& factory, ControlLibrary::IFont* font,
                                      ControlLibrary::MouseMessageObserver* observer)
{
    ControlLibrary::IButtonVO* button = factory.CreateButtonVO();
    if (!button)
        return nullptr;
    button->SetAlignment(1, 1);
    button->SetLayer(kButtonLayer);
    button->SetFonts({font, nullptr, nullptr, nullptr});
    button->SetTextColours(kCaptionColours);
    button->SetCaptionOffset(kCaptionOffset);
    button->AddMouseObserver(observer);
    return button;
}

ControlLibrary::IFont* LoadFont(ControlLibrary::IFactory& factory, const char* descriptor)
{
    ControlLibrary::IFont* font = factory.CreateFont();
    if (font)
        font->Load(descriptor);
    return font;
}

} // namespace Gamespace::screen_parts
