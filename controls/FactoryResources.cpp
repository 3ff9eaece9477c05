// The factory's handles, its shared image and font tables, and the sounds it
// plays through the music interface.
#include "controls/ControlHandles.h"
#include "controls/Factory_impl.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Image.h"
#include "framework/sound/MusicInterface.h"
#include "platform/core/DebugOutput.h"

#include <algorithm>

namespace ControlLibrary {

// ---- Handles ----

IFont* Factory_impl::CreateFont()
{
    return new Font_impl(*this);
}

void Factory_impl::ReleaseFont(IFont* font)
{
    if (!font || font->DropRef() > 0)
        return;
    delete font;
}

IToolTip* Factory_impl::CreateToolTip()
{
    return new ToolTip_impl(*this);
}

void Factory_impl::ReleaseToolTip(IToolTip* toolTip)
{
    if (!toolTip || toolTip->DropRef() > 0)
        return;
    {
        platform::CriticalSectionLock lock(lock_);
        if (currentToolTip_ == toolTip)
            currentToolTip_ = nullptr;
    }
    delete toolTip;
}

ICursor* Factory_impl::CreateCursor()
{
    return new Cursor_impl(*this);
}

void Factory_impl::ReleaseCursor(ICursor* cursor)
{
    if (!cursor || cursor->DropRef() > 0)
        return;
    {
        // A cursor that is deleted is drawn no more.
        platform::CriticalSectionLock lock(lock_);
        if (defaultCursor_ == cursor)
            defaultCursor_ = nullptr;
        if (currentCursor_ == cursor)
            SetCurrentCursor(nullptr);
    }
    delete cursor;
}

ISound* Factory_impl::CreateSound(bool music)
{
    const uint32_t handle = soundIds_.Allocate();
    auto* sound = new Sound_impl(*this, handle, music);
    platform::CriticalSectionLock lock(lock_);
    sounds_.push_back(sound);
    return sound;
}

void Factory_impl::ReleaseSound(ISound* sound)
{
    if (!sound)
        return;
    {
        platform::CriticalSectionLock lock(lock_);
        auto it = std::find(sounds_.begin(), sounds_.end(), sound);
        if (it == sounds_.end())
            return;
        // Buttons and check boxes hold references to their sounds: a sound
        // goes only when the last holder lets it go.
        if (sound->DropRef() > 0)
            return;
        sounds_.erase(it);
        soundIds_.Release(sound->GetHandle());
    }
    delete sound;
}

size_t Factory_impl::CountSounds()
{
    platform::CriticalSectionLock lock(lock_);
    return sounds_.size();
}

void Factory_impl::SetDefaultCursor(ICursor* cursor)
{
    platform::CriticalSectionLock lock(lock_);
    defaultCursor_ = cursor;
    if (cursor && !currentCursor_)
        SetCurrentCursor(cursor);
}

void Factory_impl::SetEffectsVolume(uint16_t percent)
{
    effectsVolume_.store(percent);
    platform::CriticalSectionLock lock(lock_);
    for (ISound* s : sounds_)
        if (!s->IsMusic())
            s->SetVolume(percent / 100.0);
}

void Factory_impl::SetMusicVolume(uint16_t percent)
{
    musicVolume_.store(percent);
    platform::CriticalSectionLock lock(lock_);
    for (ISound* s : sounds_)
        if (s->IsMusic())
            s->SetVolume(percent / 100.0);
}

// ---- Images ----

bool Factory_impl::AcquireImage(const std::string& name, int32_t& handle)
{
    if (name.empty())
        return false;
    platform::CriticalSectionLock lock(lock_);
    for (size_t i = 0; i < kImageSlots; ++i) {
        if (images_[i] && images_[i]->name == name) {
            ++images_[i]->refCount;
            handle = static_cast<int32_t>(i);
            return true;
        }
    }
    size_t slot = 0;
    while (slot < kImageSlots && images_[slot])
        ++slot;
    if (slot == kImageSlots)
        return false;
    std::unique_ptr<Zolt::Image> image;
    try {
        image = host_->LoadImageFile(name, true);
    } catch (...) {
        image.reset();
    }
    if (!image) {
        ReportResourceFault("Failed to load image: " + name);
        return false;
    }
    images_[slot] = std::make_unique<ImageEntry>(ImageEntry{std::move(image), name, 1, ++lastResourceSerial_});
    handle = static_cast<int32_t>(slot);
    return true;
}

bool Factory_impl::ReleaseImage(int32_t& handle)
{
    if (handle < 0 || static_cast<size_t>(handle) >= kImageSlots)
        return false;
    platform::CriticalSectionLock lock(lock_);
    auto& entry = images_[static_cast<size_t>(handle)];
    handle = -1;
    if (!entry)
        return false;
    if (--entry->refCount <= 0)
        entry.reset();
    return true;
}

void Factory_impl::ReleaseAllImages()
{
    platform::CriticalSectionLock lock(lock_);
    for (auto& entry : images_)
        entry.reset();
}

void Factory_impl::GetImageName(int32_t handle, std::string& name)
{
    platform::CriticalSectionLock lock(lock_);
    if (handle < 0 || static_cast<size_t>(handle) >= kImageSlots || !images_[static_cast<size_t>(handle)])
        return;
    name = images_[static_cast<size_t>(handle)]->name;
}

bool Factory_impl::GetImageSize(int32_t handle, Size& size)
{
    platform::CriticalSectionLock lock(lock_);
    Zolt::Image* image = ImageAt(handle);
    if (!image)
        return false;
    size = Size{static_cast<uint32_t>(image->GetWidth()), static_cast<uint32_t>(image->GetHeight())};
    return true;
}

int Factory_impl::GetImageRefCount(int32_t handle)
{
    platform::CriticalSectionLock lock(lock_);
    if (handle < 0 || static_cast<size_t>(handle) >= kImageSlots || !images_[static_cast<size_t>(handle)])
        return 0;
    return images_[static_cast<size_t>(handle)]->refCount;
}

Zolt::Image* Factory_impl::ImageAt(int32_t handle)
{
    if (handle < 0 || static_cast<size_t>(handle) >= kImageSlots || !images_[static_cast<size_t>(handle)])
        return nullptr;
    return images_[static_cast<size_t>(handle)]->image.get();
}

void Factory_impl::ReportResourceFault(const std::string& text)
{
    platform::CriticalSectionLock lock(lock_);
    if (std::find(reportedFaults_.begin(), reportedFaults_.end(), text) != reportedFaults_.end())
        return;
    reportedFaults_.push_back(text);
    platform::OutputDebugString(text + "\r\n");
}

// ---- Fonts ----

int32_t Factory_impl::AcquireFont(const std::string& fileName)
{
    if (fileName.empty())
        return -1;
    platform::CriticalSectionLock lock(lock_);
    for (size_t i = 0; i < kFontSlots; ++i) {
        if (fonts_[i] && fonts_[i]->name == fileName) {
            ++fonts_[i]->refCount;
            return static_cast<int32_t>(i);
        }
    }
    size_t slot = 0;
    while (slot < kFontSlots && fonts_[slot])
        ++slot;
    if (slot == kFontSlots)
        return -1;
    std::unique_ptr<Zolt::Font> font;
    try {
        font = host_->LoadFont(fileName);
    } catch (...) {
        font.reset();
    }
    if (!font) {
        ReportResourceFault("Failed to load font: " + fileName);
        return -1;
    }
    fonts_[slot] = std::make_unique<FontEntry>(FontEntry{std::move(font), fileName, 1, ++lastResourceSerial_});
    return static_cast<int32_t>(slot);
}

void Factory_impl::ReleaseFontIndex(int32_t& index)
{
    if (index < 0 || static_cast<size_t>(index) >= kFontSlots)
        return;
    platform::CriticalSectionLock lock(lock_);
    auto& entry = fonts_[static_cast<size_t>(index)];
    index = -1;
    if (!entry)
        return;
    if (--entry->refCount <= 0)
        entry.reset();
}

void Factory_impl::ReleaseAllFonts()
{
    platform::CriticalSectionLock lock(lock_);
    for (auto& entry : fonts_)
        entry.reset();
}

void Factory_impl::GetFontName(int32_t index, std::string& name)
{
    platform::CriticalSectionLock lock(lock_);
    if (index < 0 || static_cast<size_t>(index) >= kFontSlots || !fonts_[static_cast<size_t>(index)])
        return;
    name = fonts_[static_cast<size_t>(index)]->name;
}

Zolt::Font* Factory_impl::FontAt(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= kFontSlots || !fonts_[static_cast<size_t>(index)])
        return nullptr;
    return fonts_[static_cast<size_t>(index)]->font.get();
}

int16_t Factory_impl::GetFontHeight(int32_t index)
{
    platform::CriticalSectionLock lock(lock_);
    Zolt::Font* font = FontAt(index);
    return font ? static_cast<int16_t>(font->QueryHeight()) : 0;
}

int16_t Factory_impl::GetStringWidth(int32_t index, const std::string& text)
{
    platform::CriticalSectionLock lock(lock_);
    Zolt::Font* font = FontAt(index);
    return font ? static_cast<int16_t>(font->MeasureText(text)) : 0;
}

int Factory_impl::GetFontRefCount(int32_t index)
{
    platform::CriticalSectionLock lock(lock_);
    if (index < 0 || static_cast<size_t>(index) >= kFontSlots || !fonts_[static_cast<size_t>(index)])
        return 0;
    return fonts_[static_cast<size_t>(index)]->refCount;
}

// ---- Sounds ----
// The music interface takes no lock of its own; the toolkit's calls on it
// are serialised by the factory lock, as sounds play from timer callbacks
// too.

int32_t Factory_impl::LoadSound(const std::string& file)
{
    platform::CriticalSectionLock lock(lock_);
    const uint32_t id = soundIds_.Allocate();
    if (id == 0)
        return -1;
    Zolt::MusicInterface* music = host_->GetMusicInterface();
    if (!music || !music->LoadMusicFile(static_cast<int>(id), file)) {
        soundIds_.Release(id);
        return -1;
    }
    return static_cast<int32_t>(id);
}

void Factory_impl::DropSound(int32_t& track)
{
    platform::CriticalSectionLock lock(lock_);
    if (Zolt::MusicInterface* music = host_->GetMusicInterface())
        music->DropTrack(track);
    // The track number is free again once the music interface let it go.
    if (track > 0)
        soundIds_.Release(static_cast<uint32_t>(track));
    track = -1;
}

void Factory_impl::PlaySound(int32_t track, bool music, bool loop)
{
    const double volume = (music ? musicVolume_.load() : effectsVolume_.load()) / 100.0;
    platform::CriticalSectionLock lock(lock_);
    if (Zolt::MusicInterface* player = host_->GetMusicInterface())
        player->StartTrackAtVolume(track, volume, 0, !loop);
}

void Factory_impl::StopSound(int32_t track)
{
    platform::CriticalSectionLock lock(lock_);
    if (Zolt::MusicInterface* music = host_->GetMusicInterface())
        music->HaltTrack(track);
}

void Factory_impl::PauseSound(int32_t track, bool paused)
{
    platform::CriticalSectionLock lock(lock_);
    if (Zolt::MusicInterface* music = host_->GetMusicInterface()) {
        if (paused)
            music->HoldTrack(track);
        else
            music->ContinueTrack(track);
    }
}

bool Factory_impl::IsSoundPlaying(int32_t track)
{
    platform::CriticalSectionLock lock(lock_);
    Zolt::MusicInterface* music = host_->GetMusicInterface();
    return music && music->IsTrackPlaying(track);
}

void Factory_impl::SetSoundVolume(int32_t track, double volume)
{
    platform::CriticalSectionLock lock(lock_);
    if (Zolt::MusicInterface* music = host_->GetMusicInterface())
        music->SetTrackVolume(track, volume);
}

} // namespace ControlLibrary
