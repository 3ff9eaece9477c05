// The factory's implementations of the four handle kinds: a font (an entry
// of the factory's font table), a cursor (an image drawn at the mouse), a
// sound (a track of the music interface) and a tooltip (a captioned box
// drawn beside the mouse). Each is made and deleted by the factory only.
//
// Threads: the main thread and timer callbacks on the time thread; the
// handles take no lock of their own (the factory's tables they reach take
// the factory lock, the counts are atomic).
#pragma once

#include "controls/ICursor.h"
#include "controls/IFont.h"
#include "controls/ISound.h"
#include "controls/IToolTip.h"
#include "controls/Size.h"

#include <cstdint>
#include <string>

namespace ControlLibrary {

class Factory_impl;

class Font_impl final : public IFont {
public:
    explicit Font_impl(Factory_impl& factory) : factory_(factory) {}
    ~Font_impl() override;
    bool Load(const std::string& descriptorFile) override;
    int16_t GetHeight() override;
    int16_t GetStringWidth(const std::string& text) override;
    int32_t GetIndex() const { return index_; }

private:
    Factory_impl& factory_;
    int32_t index_ = -1;
};

class Cursor_impl final : public ICursor {
public:
    explicit Cursor_impl(Factory_impl& factory) : factory_(factory) {}
    ~Cursor_impl() override;
    bool SetImage(const std::string& imageName) override;
    void SetHotSpotRect(const Rect& source) override { source_ = source; }

    // The source area at its own size with its top-left at the position.
    void Draw(Point position);
    // The source area's size when both sides are set, else the image's; a
    // side still 0 counts 16.
    Size GetCursorSize();
    int32_t GetImageHandle() const { return image_; }

private:
    Factory_impl& factory_;
    int32_t image_ = -1;
    Rect source_;
    Rect destination_;
};

class Sound_impl final : public ISound {
public:
    Sound_impl(Factory_impl& factory, uint32_t handle, bool music)
        : factory_(factory), handle_(handle), music_(music) {}
    ~Sound_impl() override;
    uint32_t GetHandle() override { return handle_; }
    int32_t Load(const std::string& file) override;
    void Play(bool loop) override;
    void Stop() override;
    void SetPaused(bool paused) override;
    bool IsPlaying() override;
    void SetVolume(double volume) override;
    bool IsMusic() override { return music_; }
    int32_t GetTrack() const { return track_; }
    double GetVolume() const { return volume_; }

private:
    Factory_impl& factory_;
    uint32_t handle_;
    int32_t track_ = -1;
    double volume_ = 1.0;
    bool music_;
};

class ToolTip_impl final : public IToolTip {
public:
    explicit ToolTip_impl(Factory_impl& factory) : factory_(factory) {}
    ~ToolTip_impl() override;
    void SetText(const std::string& text) override;
    void SetFont(IFont* font) override;
    void SetTextColour(const RGB& colour) override { textColour_ = colour; }
    void Setup(const std::string& text, IFont* font, const RGB& colour) override;
    void SetBackColour(const RGB& colour) override { backColour_ = colour; }
    void Reserved(uint32_t, uint32_t, uint32_t) override {}
    void SetOffset(const Point& boxSize) override;
    void SetTransparent(bool transparent) override { transparent_ = transparent; }

    // Drawn by the factory with its top-left at the position.
    void Draw(Point position);

private:
    Factory_impl& factory_;
    std::string text_;
    IFont* font_ = nullptr;
    RGB textColour_{0, 0, 0};
    RGB backColour_{248, 208, 87};
    Point position_;
    uint16_t boxW_ = 0;
    uint16_t boxH_ = 0;
    bool transparent_ = false;
};

} // namespace ControlLibrary
