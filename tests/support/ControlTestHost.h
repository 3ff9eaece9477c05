// A real control factory on an application made of test doubles: images
// come from a table of solid-colour pictures the test registers, fonts are
// block fonts (every character a 6-pixel cell, a 5 x 8 block standing on the
// baseline of a 10-pixel line), sounds go to a recording music interface,
// the registry is a map and the mouse position is a field. The scene draws
// into a MemoryImage through a real Graphics, so tests read pixels; the time
// system is a real one, stepped by hand (no time thread).
//
// Threads: the test's thread only (the time system is stepped on it too).
#pragma once

#include "controls/Factory_impl.h"
#include "controls/FactoryHost.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/WidgetDoubles.h"
#include "timing/TimeSystem_impl.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

// Remembers what the toolkit asked of the music service.
class RecordingMusic : public Zolt::MusicInterface {
public:
    struct Start {
        int id;
        double volume;
        int offset;
        bool noLoop;
    };
    bool LoadMusicFile(int id, const std::string& fileName) override;
    void StartTrackAtVolume(int id, double volume, int offset, bool noLoop) override;
    void HaltTrack(int id) override { halted.push_back(id); }
    void HoldTrack(int id) override { held.push_back(id); }
    void ContinueTrack(int id) override { continued.push_back(id); }
    void DropTrack(int id) override;
    void SetTrackVolume(int id, double volume) override { volumes[id] = volume; }
    bool IsTrackPlaying(int id) override { return playing.count(id) != 0; }

    std::map<int, std::string> loaded; // track id -> file
    std::vector<Start> starts;
    std::vector<int> halted, held, continued, dropped;
    std::map<int, double> volumes;
    std::map<int, bool> playing;
};

class ControlTestHost : public ControlLibrary::FactoryHost {
public:
    ControlTestHost();
    ~ControlTestHost() override;

    Zolt::WidgetManager* GetWidgetManager() override { return withWidgetManager ? widgets_.get() : nullptr; }
    bool GetMousePosition(ControlLibrary::Point& out) override
    {
        out = mouse;
        return true;
    }
    Zolt::MusicInterface* GetMusicInterface() override { return &music; }
    std::unique_ptr<Zolt::Image> LoadImageFile(const std::string& fileName, bool lookForAlpha) override;
    std::unique_ptr<Zolt::Font> LoadFont(const std::string& descriptorFile) override;
    bool OnChangeDirectory(const std::string& directory) override;
    std::string GetAppDataFolder() override { return "appdata\\"; }
    bool IsWindowed() override { return windowed; }
    bool IsWindowedRefused() override { return windowedRefused; }
    bool IsIn3DMode() override { return in3D; }
    void ChangeDisplayMode(bool windowed, bool use3D, bool force) override;
    bool RegReadText(const std::string& name, std::string& out) override;
    bool RegReadNumber(const std::string& name, int& out) override;
    bool RegReadFlag(const std::string& name, bool& out) override;
    bool RegWriteText(const std::string& name, const std::string& text) override;
    bool RegWriteNumber(const std::string& name, int value) override;
    bool RegWriteFlag(const std::string& name, bool value) override;

    // A picture the factory can load under `name`: w x h of one colour.
    void AddImage(const std::string& name, int w, int h, uint32_t argb);
    // A w x h picture whose pixels all differ, some rows half see-through.
    void AddPatternImage(const std::string& name, int w, int h);

    bool withWidgetManager = true;
    ControlLibrary::Point mouse;
    RecordingMusic music;
    bool windowed = true;
    bool windowedRefused = false;  // the desktop cannot hold the window
    bool in3D = false;
    std::vector<std::string> displayModes; // "windowed/3d/force"
    std::vector<std::string> imageLoads;
    std::vector<std::string> fontLoads;
    std::vector<std::string> directoryHooks;
    std::map<std::string, std::string> texts;
    std::map<std::string, int> numbers;

private:
    struct Picture {
        int w;
        int h;
        uint32_t argb;
        bool patterned = false;
    };
    std::map<std::string, Picture> pictures_;
    widget_testing::FakeWidgetHost widgetHost_;
    std::unique_ptr<Zolt::WidgetManager> widgets_;
};

// The font every test font descriptor gives.
constexpr int kFontHeight = 10;
constexpr int kFontAscent = 8;
constexpr int kFontAdvance = widget_testing::BlockFont::kAdvance;

// A factory, its host, a stepped time system and a screen to draw into.
class ControlScene {
public:
    explicit ControlScene(int screenW = 200, int screenH = 150);
    ~ControlScene();

    ControlLibrary::Factory_impl& Factory() { return *factory_; }
    ControlTestHost& Host() { return *host_; }
    TimeLibrary::TimeSystem_impl& Time() { return *time_; }

    // One drawing pass into the screen.
    void Draw();
    // A pass of only what changed since the last one; false when it drew
    // everything.
    bool DrawChanges(std::vector<Zolt::Rect>& changed);
    std::vector<uint32_t> Pixels() const;
    // Advances the time system by `ms` (5 ms passes).
    void Step(int ms);
    uint32_t Pixel(int x, int y) const;
    // Paints the whole screen one colour (to see what a pass repaints).
    void Paint(uint32_t argb);
    // A loaded font handle (count 1, owned by the scene).
    ControlLibrary::IFont* Font();

private:
    std::unique_ptr<TimeLibrary::TimeSystem_impl> time_;
    ControlTestHost* host_;
    std::unique_ptr<ControlLibrary::Factory_impl> factory_;
    std::unique_ptr<Zolt::MemoryImage> screen_;
    std::unique_ptr<Zolt::Graphics> graphics_;
    ControlLibrary::IFont* font_ = nullptr;
};

// Colours as the screen stores them.
constexpr uint32_t Opaque(uint8_t r, uint8_t g, uint8_t b)
{
    return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

} // namespace testing_support
