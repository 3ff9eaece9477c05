#include "controls/ControlHandles.h"

#include "controls/Factory_impl.h"

namespace ControlLibrary {

// ---- Font ----

Font_impl::~Font_impl()
{
    factory_.ReleaseFontIndex(index_);
}

bool Font_impl::Load(const std::string& descriptorFile)
{
    const int32_t index = factory_.AcquireFont(descriptorFile);
    if (index < 0)
        return false;
    factory_.ReleaseFontIndex(index_);
    index_ = index;
    return true;
}

int16_t Font_impl::GetHeight()
{
    return factory_.GetFontHeight(index_);
}

int16_t Font_impl::GetStringWidth(const std::string& text)
{
    return factory_.GetStringWidth(index_, text);
}

// ---- Cursor ----

Cursor_impl::~Cursor_impl()
{
    factory_.ReleaseImage(image_);
}

bool Cursor_impl::SetImage(const std::string& imageName)
{
    int32_t handle = -1;
    if (!factory_.AcquireImage(imageName, handle))
        return false;
    // The image it showed before is given back, so a cursor that changes its
    // picture does not keep every earlier one loaded.
    factory_.ReleaseImage(image_);
    image_ = handle;
    return true;
}

void Cursor_impl::Draw(Point position)
{
    destination_.x = position.x;
    destination_.y = position.y;
    factory_.DrawImage(image_, source_, destination_);
}

Size Cursor_impl::GetCursorSize()
{
    Size size;
    if (source_.w != 0 && source_.h != 0) {
        size = Size{static_cast<uint32_t>(static_cast<uint16_t>(source_.w)),
                    static_cast<uint32_t>(static_cast<uint16_t>(source_.h))};
    } else {
        factory_.GetImageSize(image_, size);
    }
    if (size.w == 0)
        size.w = 16;
    if (size.h == 0)
        size.h = 16;
    return size;
}

// ---- Sound ----

Sound_impl::~Sound_impl()
{
    factory_.DropSound(track_);
}

int32_t Sound_impl::Load(const std::string& file)
{
    // A sound loaded again gives up its earlier track first.
    factory_.DropSound(track_);
    track_ = factory_.LoadSound(file);
    return track_;
}

void Sound_impl::Play(bool loop)
{
    factory_.PlaySound(track_, music_, loop);
}

void Sound_impl::Stop()
{
    factory_.StopSound(track_);
}

void Sound_impl::SetPaused(bool paused)
{
    factory_.PauseSound(track_, paused);
}

bool Sound_impl::IsPlaying()
{
    return factory_.IsSoundPlaying(track_);
}

void Sound_impl::SetVolume(double volume)
{
    volume_ = volume;
    factory_.SetSoundVolume(track_, volume);
}

// ---- Tooltip ----

ToolTip_impl::~ToolTip_impl()
{
    factory_.ReleaseFont(font_);
}

void ToolTip_impl::SetText(const std::string& text)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    text_ = text;
}

void ToolTip_impl::SetFont(IFont* font)
{
    if (font)
        font->AddRef();
    IFont* previous = font_;
    font_ = font;
    factory_.ReleaseFont(previous);
}

void ToolTip_impl::Setup(const std::string& text, IFont* font, const RGB& colour)
{
    SetText(text);
    SetFont(font);
    SetTextColour(colour);
}

void ToolTip_impl::SetOffset(const Point& boxSize)
{
    boxW_ = static_cast<uint16_t>(boxSize.x);
    boxH_ = static_cast<uint16_t>(boxSize.y);
}

void ToolTip_impl::Draw(Point position)
{
    position_ = position;
    if (!transparent_)
        factory_.FillRect(Rect{position_.x, position_.y, static_cast<int16_t>(boxW_), static_cast<int16_t>(boxH_)},
                          backColour_);
    if (!text_.empty() && font_)
        factory_.DrawString(font_, text_, Point{position_.x, position_.y + boxH_ / 2}, textColour_, 0, 1);
}

} // namespace ControlLibrary
