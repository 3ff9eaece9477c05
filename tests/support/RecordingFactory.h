// A control factory for tests: it creates visible objects and handles that
// keep their state in plain records and log every call made on them, so a
// test can check what a screen did without the real toolkit. It also catches
// misuse the real factory would punish: a release of an object that is
// already released, or a call on a released object, is listed in Faults().
//
// Released objects are kept (marked released) until the factory goes, so
// tests can still inspect them. Not thread-safe: tests drive it from one
// thread.
#pragma once

#include "controls/IButtonVO.h"
#include "controls/ICheckBoxVO.h"
#include "controls/ICursor.h"
#include "controls/IDialogVO.h"
#include "controls/IEditBoxVO.h"
#include "controls/IFactory.h"
#include "controls/IFont.h"
#include "controls/IImageVO.h"
#include "controls/ILinkVO.h"
#include "controls/IRectVO.h"
#include "controls/ISound.h"
#include "controls/IStringVO.h"
#include "controls/ITextBoxVO.h"
#include "controls/IToolTip.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace testing_support {

class RecordingFactory;

// The state of one recorded visible object, whatever its kind.
struct RecordedObject {
    uint32_t id = 0;
    std::string kind;            // "Image", "String", "Button", ...
    bool released = false;
    int16_t refCount = 1;
    ControlLibrary::Point position;
    ControlLibrary::Size size;
    ControlLibrary::RGB colour;
    uint32_t hAlign = 0;
    uint32_t vAlign = 0;
    uint16_t layer = 0;
    bool visible = false;
    bool enabled = true;
    bool alwaysRepaint = true;
    bool showWithDialog = true;
    bool modalExempt = false;
    bool focusable = true;
    bool focused = false;
    uint16_t tag = 65535;
    uint32_t userData = 0;
    ControlLibrary::IVisibleObject* parent = nullptr;
    std::vector<ControlLibrary::MouseMessageObserver*> mouseObservers;
    std::vector<ControlLibrary::KeybdMessageObserver*> keybdObservers;
    // Kind-specific values: the image shown, the text or caption, and so on.
    std::string image;
    std::string text;
    bool textProposed = false;             // edit box
    std::string url;
    std::vector<std::string> paragraphs;   // text box
    ControlLibrary::IFont* font = nullptr;
    bool checked = false;
    uint32_t style = 0;
    uint32_t modeless = 0;
    std::vector<ControlLibrary::IVisibleObject*> children;
    std::vector<ControlLibrary::DialogMessageObserver*> dialogObservers;
    std::vector<ControlLibrary::IEditBoxMsgObserver*> editObservers;
    // Every call made on the object, e.g. "SetVisible(1)", in order.
    std::vector<std::string> calls;
};

// A recorded sound handle.
class RecordingSound final : public ControlLibrary::ISound {
public:
    RecordingSound(RecordingFactory& factory, uint32_t handle, bool music)
        : factory_(factory), handle_(handle), music_(music) {}
    uint32_t GetHandle() override { return handle_; }
    int32_t Load(const std::string& file) override;
    void Play(bool loop) override;
    void Stop() override { playing = false; }
    void SetPaused(bool paused) override { this->paused = paused; }
    bool IsPlaying() override { return playing; }
    void SetVolume(double volume) override { this->volume = volume; }
    bool IsMusic() override { return music_; }

    std::string file;
    int32_t track = -1;
    int plays = 0;
    bool playing = false;
    // Whether the last Play asked for a loop.
    bool looping = false;
    bool paused = false;
    double volume = 1.0;

private:
    RecordingFactory& factory_;
    uint32_t handle_;
    bool music_;
};

// A recorded font: every character is 7 pixels wide, lines 12 high, once a
// descriptor is loaded (0 before).
class RecordingFont final : public ControlLibrary::IFont {
public:
    bool Load(const std::string& descriptorFile) override
    {
        descriptor = descriptorFile;
        return true;
    }
    int16_t GetHeight() override { return descriptor.empty() ? 0 : 12; }
    int16_t GetStringWidth(const std::string& text) override
    {
        return descriptor.empty() ? 0 : static_cast<int16_t>(7 * text.size());
    }
    std::string descriptor;
};

class RecordingCursor final : public ControlLibrary::ICursor {
public:
    bool SetImage(const std::string& name) override
    {
        image = name;
        return true;
    }
    void SetHotSpotRect(const ControlLibrary::Rect& source) override { hotSpot = source; }
    std::string image;
    ControlLibrary::Rect hotSpot;
};

class RecordingToolTip final : public ControlLibrary::IToolTip {
public:
    void SetText(const std::string& value) override { text = value; }
    void SetFont(ControlLibrary::IFont* value) override { font = value; }
    void SetTextColour(const ControlLibrary::RGB& colour) override { textColour = colour; }
    void Setup(const std::string& value, ControlLibrary::IFont* f, const ControlLibrary::RGB& colour) override
    {
        SetText(value);
        SetFont(f);
        SetTextColour(colour);
    }
    void SetBackColour(const ControlLibrary::RGB& colour) override { backColour = colour; }
    void Reserved(uint32_t, uint32_t, uint32_t) override {}
    void SetOffset(const ControlLibrary::Point& boxSize) override { box = boxSize; }
    void SetTransparent(bool value) override { transparent = value; }
    std::string text;
    ControlLibrary::IFont* font = nullptr;
    ControlLibrary::RGB textColour;
    ControlLibrary::RGB backColour{248, 208, 87};
    ControlLibrary::Point box;
    bool transparent = false;
};

class RecordingFactory final : public ControlLibrary::IFactory {
public:
    RecordingFactory();
    ~RecordingFactory() override;

    // --- ControlLibrary::IFactory ---
    ControlLibrary::IFont* CreateFont() override;
    void ReleaseFont(ControlLibrary::IFont* font) override;
    ControlLibrary::IToolTip* CreateToolTip() override;
    void ReleaseToolTip(ControlLibrary::IToolTip* toolTip) override;
    ControlLibrary::ICursor* CreateCursor() override;
    void ReleaseCursor(ControlLibrary::ICursor* cursor) override;
    ControlLibrary::ISound* CreateSound(bool music) override;
    void ReleaseSound(ControlLibrary::ISound* sound) override;
    ControlLibrary::IRectVO* CreateRectVO() override;
    void ReleaseVO(ControlLibrary::IDialogVO* object) override;
    void ReleaseVO(ControlLibrary::ITextBoxVO* object) override;
    void ReleaseVO(ControlLibrary::IEditBoxVO* object) override;
    void ReleaseVO(ControlLibrary::ICheckBoxVO* object) override;
    void ReleaseVO(ControlLibrary::IButtonVO* object) override;
    void ReleaseVO(ControlLibrary::ILinkVO* object) override;
    void ReleaseVO(ControlLibrary::IStringVO* object) override;
    void ReleaseVO(ControlLibrary::IImageVO* object) override;
    void ReleaseVO(ControlLibrary::IRectVO* object) override;
    void ReleaseObject(ControlLibrary::IVisibleObject* object) override;
    ControlLibrary::IImageVO* CreateImageVO() override;
    ControlLibrary::IStringVO* CreateStringVO() override;
    ControlLibrary::ILinkVO* CreateLinkVO() override;
    ControlLibrary::IButtonVO* CreateButtonVO() override;
    ControlLibrary::ICheckBoxVO* CreateCheckBoxVO() override;
    ControlLibrary::IEditBoxVO* CreateEditBoxVO() override;
    ControlLibrary::ITextBoxVO* CreateTextBoxVO() override;
    ControlLibrary::IDialogVO* CreateDialogVO() override;
    void SetDefaultCursor(ControlLibrary::ICursor* cursor) override { defaultCursor = cursor; }
    void AddPakArchive(uint32_t, const std::string& archivePath) override { archives.push_back(archivePath); }
    std::string GetAppDataFolder() override { return appDataFolder; }
    void ToggleScreenMode() override { ++screenModeToggles; }
    bool IsWindowedRefused() override { return windowedRefused; }
    void AddSysObserver(ControlLibrary::KeybdSysMessageObserver* observer) override;
    void RemoveSysObserver(ControlLibrary::KeybdSysMessageObserver* observer) override;
    uint16_t GetEffectsVolume() override { return effectsVolume; }
    void SetEffectsVolume(uint16_t percent) override { effectsVolume = percent; }
    uint16_t GetMusicVolume() override { return musicVolume; }
    void SetMusicVolume(uint16_t percent) override { musicVolume = percent; }
    bool ReadRegistryString(const std::string& name, std::string& out) override;
    bool ReadRegistryInteger(const std::string& name, uint32_t& out) override;
    bool ReadRegistryBool(const std::string& name, bool& out) override;
    bool WriteRegistryString(const std::string& name, const std::string& value) override;
    bool WriteRegistryInteger(const std::string& name, uint32_t value) override;
    bool WriteRegistryBool(const std::string& name, bool value) override;
    void InvalidateAll() override { ++invalidateAllCalls; }

    // --- for tests ---
    // The record of an object made by this factory (null for anything else).
    RecordedObject* Find(const ControlLibrary::IVisibleObject* object);
    RecordedObject* FindById(uint32_t id);
    // Every object created, in creation order (released ones included).
    std::vector<RecordedObject*> Objects();
    // Objects of one kind ("Image", ...), in creation order.
    std::vector<RecordedObject*> ObjectsOfKind(const std::string& kind);
    // Every sound created, in creation order (released ones included).
    const std::vector<std::unique_ptr<RecordingSound>>& Sounds() const { return sounds_; }
    // Misuse seen so far: double releases, calls on released objects.
    const std::vector<std::string>& Faults() const { return faults_; }
    // Objects and sounds created but not released.
    size_t LiveObjectCount() const;
    size_t LiveSoundCount() const;
    // Whether a font, cursor or tooltip handle has been deleted by its last release.
    bool IsHandleDeleted(const void* handle) const { return deletedHandles_.count(handle) != 0; }

    // Makes SetImage fail for this name (as for a file that cannot be read).
    void FailImage(const std::string& name) { failingImages_.insert(name); }
    // The size autosize gives for this image (20 x 20 when not set).
    void SetImageSize(const std::string& name, ControlLibrary::Size size) { imageSizes_[name] = size; }
    // Makes sound loads of this file fail.
    void FailSound(const std::string& file) { failingSounds_.insert(file); }
    // The next object creations return null, as when the object table is full.
    void FailNextCreations(int count) { failCreations_ = count; }

    // Simulates a click: mouse down then up to the observers of an enabled
    // object, as the toolkit delivers them.
    void Click(ControlLibrary::IVisibleObject* object, int32_t button = 0);

    // Hooks used by the recorded objects.
    void NoteFault(const std::string& what) { faults_.push_back(what); }
    bool ImageLoads(const std::string& name) const { return failingImages_.count(name) == 0; }
    ControlLibrary::Size ImageSize(const std::string& name) const;
    bool SoundLoads(const std::string& file) const { return failingSounds_.count(file) == 0; }
    int32_t NextTrack() { return nextTrack_++; }

    ControlLibrary::ICursor* defaultCursor = nullptr;
    std::vector<std::string> archives;
    std::string appDataFolder = "appdata/";
    int screenModeToggles = 0;
    bool windowedRefused = false;
    uint16_t effectsVolume = 100;
    uint16_t musicVolume = 100;
    int invalidateAllCalls = 0;
    std::vector<ControlLibrary::KeybdSysMessageObserver*> sysObservers;
    std::map<std::string, std::string> registryStrings;
    std::map<std::string, uint32_t> registryIntegers;
    std::map<std::string, bool> registryBools;

private:
    template <class Object> Object* Make(const char* kind);
    template <class Handle> void ReleaseHandle(Handle* handle, std::vector<std::unique_ptr<Handle>>& owned,
                                               const char* what);

    struct Entry;
    std::vector<std::unique_ptr<Entry>> objects_;
    std::vector<std::unique_ptr<RecordingSound>> sounds_;
    std::vector<std::unique_ptr<RecordingFont>> fonts_;
    std::vector<std::unique_ptr<RecordingCursor>> cursors_;
    std::vector<std::unique_ptr<RecordingToolTip>> toolTips_;
    std::set<const void*> deletedHandles_;
    std::vector<std::string> faults_;
    std::set<std::string> failingImages_;
    std::map<std::string, ControlLibrary::Size> imageSizes_;
    std::set<std::string> failingSounds_;
    uint32_t nextId_ = 2;
    uint32_t nextSoundHandle_ = 2;
    int32_t nextTrack_ = 2;
    int failCreations_ = 0;
};

} // namespace testing_support
