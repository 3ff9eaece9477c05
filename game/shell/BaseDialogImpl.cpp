#include "game/shell/BaseDialogImpl.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IFactory.h"
#include "controls/IFont.h"
#include "controls/IStringVO.h"
#include "game/shell/ButtonSheets.h"
#include "game/shell/ScreenSize.h"
#include "kernel/Kernel.h"

#include <stdexcept>

namespace Gamespace {

namespace {

constexpr char kCommonButtonImage[] = "images/btn_def.png";
constexpr char kCloseButtonImage[] = "images/dialog/btn_ok.png";
constexpr char kCloseButtonFont[] = "fonts/a_BosaNova14.txt";

ControlLibrary::IFactory* TheFactory()
{
    ControlLibrary::IFactory* factory = KernelLibrary::GetFactory();
    if (!factory)
        throw std::logic_error("a dialog needs the control factory");
    return factory;
}

} // namespace

BaseDialogImpl::BaseDialogImpl(ControlLibrary::DialogMessageObserver* owner)
    : factory_(TheFactory()), click_(factory_)
{
    ControlLibrary::Size screen;
    GetScreenSize(screen);
    dialog_ = factory_->CreateDialogVO();
    if (!dialog_)
        throw std::runtime_error("the control factory has no room for another dialog");
    dialog_->SetAlignment(1, 1);
    dialog_->SetPosition(int32_t(screen.w / 2), int32_t(screen.h / 2));
    dialog_->SetSize(kInitialSize, kInitialSize);
    dialog_->AddDialogObserver(this);
    dialog_->SetLayer(kDialogLayer);
    dialog_->SetFaceHidden(false);
    if (owner)
        dialog_->AddDialogObserver(owner);
}

BaseDialogImpl::~BaseDialogImpl()
{
    for (ControlLibrary::IVisibleObject* child : children_)
        factory_->ReleaseObject(child);
    for (ControlLibrary::IFont* font : fonts_)
        factory_->ReleaseFont(font);
    factory_->ReleaseVO(dialog_);
}

void BaseDialogImpl::Show(bool show)
{
    LayoutControls();
    dialog_->SetVisible(show);
}

bool BaseDialogImpl::IsVisible() const
{
    return dialog_->IsVisible();
}

uint32_t BaseDialogImpl::GetId() const
{
    return dialog_->GetId();
}

void BaseDialogImpl::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    if (id == 0 || id != CloseButtonId())
        return;
    PlayClick();
    dialog_->SetVisible(false);
}

ControlLibrary::Point BaseDialogImpl::Centre() const
{
    const ControlLibrary::Rect area = dialog_->GetScreenRect();
    return ControlLibrary::Point{int16_t(area.w / 2), int16_t(area.h / 2)};
}

ControlLibrary::IFont* BaseDialogImpl::LoadFont(const std::string& descriptor)
{
    ControlLibrary::IFont* font = factory_->CreateFont();
    if (font) {
        font->Load(descriptor);
        fonts_.push_back(font);
    }
    return font;
}

void BaseDialogImpl::AddChild(ControlLibrary::IVisibleObject* child)
{
    if (!child)
        return;
    dialog_->AddChild(child);
    children_.push_back(child);
}

std::string BaseDialogImpl::TextOf(const ControlLibrary::IStringVO* text)
{
    std::string out;
    if (text)
        text->GetText(out);
    return out;
}

void BaseDialogImpl::SetTextOf(ControlLibrary::IStringVO* text, const std::string& value)
{
    if (text)
        text->SetText(value);
}

std::string BaseDialogImpl::FitText(ControlLibrary::IFont* font, const std::string& fixed, const std::string& cut,
                                    int32_t width)
{
    std::string text = fixed + cut;
    if (!font || font->GetStringWidth(text) <= width)
        return text;
    for (size_t keep = cut.size(); keep-- > 0;) {
        text = fixed + cut.substr(0, keep) + "...";
        if (font->GetStringWidth(text) <= width)
            break;
    }
    return text;
}

ControlLibrary::IButtonVO* BaseDialogImpl::AddButton(ControlLibrary::IFont* font, ControlLibrary::Point captionOffset,
                                                     uint32_t w, uint32_t h)
{
    ControlLibrary::IButtonVO* button = factory_->CreateButtonVO();
    if (!button)
        return nullptr;
    button->SetAlignment(1, 1);
    button->SetLayer(kChildLayer);
    button->SetSize(w, h);
    button->SetFonts({font, nullptr, nullptr, nullptr});
    button->SetImages({kCommonButtonImage, "", "", ""});
    button->SetSourceRects(Frames(0, {0, 27, 54, 81}, 108, 27));
    button->SetTextColours({ControlLibrary::RGB{255, 255, 255}, ControlLibrary::RGB{255, 255, 128},
                            ControlLibrary::RGB{203, 203, 192}, ControlLibrary::RGB{0, 0, 0},
                            ControlLibrary::RGB{0, 0, 0}});
    button->SetCaptionOffset(captionOffset);
    button->AddMouseObserver(this);
    AddChild(button);
    return button;
}

void BaseDialogImpl::SetButtonLook(ControlLibrary::IButtonVO& button, const std::string& image,
                                   const std::array<ControlLibrary::Rect, 4>& sources, uint32_t w, uint32_t h)
{
    button.SetImages({image, "", "", ""});
    button.SetSourceRects(sources);
    button.SetSize(w, h);
}

ControlLibrary::IButtonVO* BaseDialogImpl::AddButton(ControlLibrary::IFont* font, ControlLibrary::Point captionOffset,
                                                     const std::string& image,
                                                     const std::array<ControlLibrary::Rect, 4>& sources, uint32_t w,
                                                     uint32_t h)
{
    ControlLibrary::IButtonVO* button = AddButton(font, captionOffset, 108, 27);
    if (button)
        SetButtonLook(*button, image, sources, w, h);
    return button;
}

void BaseDialogImpl::SetButtonLook(ControlLibrary::IButtonVO& button, const SheetButton& look)
{
    SetButtonLook(button, look.image, look.frames, look.w, look.h);
}

ControlLibrary::IButtonVO* BaseDialogImpl::AddButton(ControlLibrary::IFont* font, ControlLibrary::Point captionOffset,
                                                     const SheetButton& look)
{
    return AddButton(font, captionOffset, look.image, look.frames, look.w, look.h);
}

std::array<ControlLibrary::Rect, 4> BaseDialogImpl::Frames(int32_t x, const std::array<int32_t, 4>& tops, int16_t w,
                                                           int16_t h)
{
    std::array<ControlLibrary::Rect, 4> parts{};
    for (size_t i = 0; i < parts.size(); ++i)
        parts[i] = ControlLibrary::Rect{x, tops[i], w, h};
    return parts;
}

ControlLibrary::IStringVO* BaseDialogImpl::AddString(ControlLibrary::IFont* font, ControlLibrary::RGB colour,
                                                     uint16_t layer)
{
    ControlLibrary::IStringVO* text = factory_->CreateStringVO();
    if (!text)
        return nullptr;
    text->SetFont(font);
    text->SetColour(colour);
    text->SetAlignment(1, 1);
    text->SetLayer(layer);
    AddChild(text);
    return text;
}

ControlLibrary::IButtonVO* BaseDialogImpl::AddCaptionButton(ControlLibrary::IFont* font, const std::string& caption)
{
    ControlLibrary::IButtonVO* button = AddButton(font, ControlLibrary::Point{-2, -5}, 94, 26);
    if (!button)
        return nullptr;
    SetButtonLook(*button, kCloseButtonImage, Frames(0, {0, 20, 40, 60}, 76, 20), 76, 20);
    button->SetFaceHidden(true);
    button->SetCaption(caption);
    return button;
}

ControlLibrary::IButtonVO* BaseDialogImpl::AddCloseButton()
{
    closeButton_ = AddCaptionButton(LoadFont(kCloseButtonFont), "Close");
    return closeButton_;
}

ControlLibrary::IButtonVO* BaseDialogImpl::AddOkCloseButton(ControlLibrary::IFont* font)
{
    ControlLibrary::IButtonVO* button = AddButton(font, ControlLibrary::Point{0, -5}, kCommonButtonImage,
                                                  Frames(0, {0, 27, 54, 81}, 108, 27), 108, 27);
    if (!button)
        return nullptr;
    // The dialog plays the click; the button makes no sound of its own.
    button->SetSounds(ControlLibrary::ButtonSounds{});
    button->SetTag(1);
    button->SetCaption("Ok");
    closeButton_ = button;
    return button;
}

void BaseDialogImpl::PlaceCloseButton(int32_t dx, int32_t dy)
{
    const ControlLibrary::Point centre = Centre();
    if (closeButton_)
        closeButton_->SetPosition(centre.x + dx, centre.y + dy);
}

uint32_t BaseDialogImpl::CloseButtonId() const
{
    return closeButton_ ? closeButton_->GetId() : 0;
}

} // namespace Gamespace
