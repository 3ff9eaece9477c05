#include "controls/ButtonFace_impl.h"

#include "controls/Factory_impl.h"
#include "controls/IFont.h"
#include "controls/ISound.h"

namespace ControlLibrary {

ButtonFace_impl::ButtonFace_impl(Factory_impl& factory, uint32_t id) : VisibleObject_impl(factory, id) {}

ButtonFace_impl::~ButtonFace_impl()
{
    for (int32_t& image : images_)
        factory_.ReleaseImage(image);
    for (IFont* font : fonts_)
        factory_.ReleaseFont(font);
    factory_.ReleaseSound(sounds_.enter);
    factory_.ReleaseSound(sounds_.down);
    factory_.ReleaseSound(sounds_.up);
}

void ButtonFace_impl::SetSounds(const ButtonSounds& sounds)
{
    for (ISound* s : {sounds.enter, sounds.down, sounds.up})
        if (s)
            s->AddRef();
    const ButtonSounds previous = sounds_;
    sounds_ = sounds;
    // The sounds held before are let go, so a sound given to a button lives
    // exactly as long as someone holds it.
    factory_.ReleaseSound(previous.enter);
    factory_.ReleaseSound(previous.down);
    factory_.ReleaseSound(previous.up);
}

void ButtonFace_impl::SetFonts(const std::array<IFont*, 4>& fonts)
{
    std::array<IFont*, 4> next = fonts;
    for (size_t i = 1; i < next.size(); ++i)
        if (!next[i])
            next[i] = next[0];
    for (IFont* f : next)
        if (f)
            f->AddRef();
    const std::array<IFont*, 4> previous = fonts_;
    fonts_ = next;
    for (IFont* f : previous)
        factory_.ReleaseFont(f);
}

void ButtonFace_impl::LoadImages(const std::array<std::string, 4>& names)
{
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = (i == 0 || names[i].empty()) ? names[0] : names[i];
        int32_t handle = -1;
        factory_.AcquireImage(name, handle);
        // Whatever the slot held before is given back.
        factory_.ReleaseImage(images_[i]);
        images_[i] = handle;
    }
}

void ButtonFace_impl::SetCaption(const std::string& caption)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    caption_ = caption;
}

std::string ButtonFace_impl::GetCaption() const
{
    platform::CriticalSectionLock lock(factory_.Lock());
    return caption_;
}

void ButtonFace_impl::PlayOnce(ISound* sound)
{
    if (sound)
        sound->Play(false);
}

void ButtonFace_impl::DrawFace(const Rect& area, int imageIndex, const RGB& fill)
{
    const int32_t image = images_[static_cast<size_t>(imageIndex)];
    if (image != -1)
        factory_.DrawImage(image, sources_[static_cast<size_t>(imageIndex)], area);
    else
        factory_.FillRect(area, fill);
}

} // namespace ControlLibrary
