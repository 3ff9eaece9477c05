// The control factory: the one IFactory of the process. It owns every visible
// object (through its bridge), the shared image and font tables behind them,
// the sound handles, the screen-wide keyboard observers and the volumes; it
// routes the bridge widget's input to the objects and paints the scene into
// the framework's Graphics on every frame the bridge is painted. The dirty
// poll looks for dirty visible objects and raises the needs-repaint flag the
// bridge widget takes each frame; it runs when the bridge asks, right before
// the flag is taken, so an idle scene costs no wake-up of its own. (The
// factory still owns its 5 ms polling time object, endless, so the time
// objects' ids stay as they were; the poll's notice runs the same check.)
//
// Threads and locks: the main thread (IFactory calls, drawing, input, the
// dirty poll) and the time thread (game code in timer callbacks that creates,
// shows, moves and releases objects and handles). One re-entrant lock guards
// the object tables (by id and by layer), the dirty list, the image and font
// tables, the sound list, the hovered and focused objects, the current cursor
// and tooltip and the modal stack; the whole drawing pass and the dirty poll
// run under it. The lock is taken after the time system's locks (timer
// callbacks arrive holding those), so nothing holding it ever calls into the
// time system or into game observers: objects are deleted, and input
// callbacks made, outside it. Objects an input callback is running on are
// pinned, so a release from another thread deletes them only afterwards.
#pragma once

#include "common/IdAllocator.h"
#include "controls/DrawingRecord.h"
#include "controls/FactoryHost.h"
#include "controls/IFactory.h"
#include "controls/IInputAndPaint.h"
#include "controls/Point.h"
#include "controls/RGB.h"
#include "controls/Rect.h"
#include "controls/Size.h"
#include "platform/core/CriticalSection.h"
#include "timing/TimeObjectMessageObserver.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Zolt {
class Font;
class Graphics;
class Image;
struct Rect;
} // namespace Zolt

namespace TimeLibrary {
class ITimeObject;
class ITimeSystem;
} // namespace TimeLibrary

namespace ControlLibrary {

class IBridgeToVO;
class IVisibleObject;
class VisibleObject_impl;

class Factory_impl final : public IFactory, public IInputAndPaint, public TimeLibrary::TimeObjectMessageObserver {
public:
    static constexpr size_t kObjectSlots = 10240;
    static constexpr size_t kImageSlots = 5120;
    static constexpr size_t kFontSlots = 1024;
    static constexpr int kPollIntervalMs = 5;
    // A visible object table: bridges by slot.
    using ObjectTable = std::array<IBridgeToVO*, kObjectSlots>;

    // Throws std::runtime_error when the host has no widget manager or there
    // is no time system to poll with.
    Factory_impl(std::unique_ptr<FactoryHost> host, TimeLibrary::ITimeSystem* timeSystem);
    ~Factory_impl() override;
    Factory_impl(const Factory_impl&) = delete;
    Factory_impl& operator=(const Factory_impl&) = delete;

    // ---- IFactory ----
    IFont* CreateFont() override;
    void ReleaseFont(IFont* font) override;
    IToolTip* CreateToolTip() override;
    void ReleaseToolTip(IToolTip* toolTip) override;
    ICursor* CreateCursor() override;
    void ReleaseCursor(ICursor* cursor) override;
    ISound* CreateSound(bool music) override;
    void ReleaseSound(ISound* sound) override;
    IRectVO* CreateRectVO() override;
    void ReleaseVO(IDialogVO* object) override;
    void ReleaseVO(ITextBoxVO* object) override;
    void ReleaseVO(IEditBoxVO* object) override;
    void ReleaseVO(ICheckBoxVO* object) override;
    void ReleaseVO(IButtonVO* object) override;
    void ReleaseVO(ILinkVO* object) override;
    void ReleaseVO(IStringVO* object) override;
    void ReleaseVO(IImageVO* object) override;
    void ReleaseVO(IRectVO* object) override;
    IImageVO* CreateImageVO() override;
    IStringVO* CreateStringVO() override;
    ILinkVO* CreateLinkVO() override;
    IButtonVO* CreateButtonVO() override;
    ICheckBoxVO* CreateCheckBoxVO() override;
    IEditBoxVO* CreateEditBoxVO() override;
    ITextBoxVO* CreateTextBoxVO() override;
    IDialogVO* CreateDialogVO() override;
    void SetDefaultCursor(ICursor* cursor) override;
    void AddPakArchive(uint32_t ignored, const std::string& archivePath) override;
    std::string GetAppDataFolder() override;
    void ToggleScreenMode() override;
    bool IsWindowedRefused() override { return host_->IsWindowedRefused(); }
    void AddSysObserver(KeybdSysMessageObserver* observer) override;
    void RemoveSysObserver(KeybdSysMessageObserver* observer) override;
    uint16_t GetEffectsVolume() override { return effectsVolume_.load(); }
    void SetEffectsVolume(uint16_t percent) override;
    uint16_t GetMusicVolume() override { return musicVolume_.load(); }
    void SetMusicVolume(uint16_t percent) override;
    bool ReadRegistryString(const std::string& valueName, std::string& out) override;
    bool ReadRegistryInteger(const std::string& valueName, uint32_t& out) override;
    bool ReadRegistryBool(const std::string& valueName, bool& out) override;
    bool WriteRegistryString(const std::string& valueName, const std::string& value) override;
    bool WriteRegistryInteger(const std::string& valueName, uint32_t value) override;
    bool WriteRegistryBool(const std::string& valueName, bool value) override;
    void InvalidateAll() override { invalidateAll_.store(true); }

    void ReleaseObject(IVisibleObject* object) override;

    // ---- Object tables ----
    bool RegisterObject(IBridgeToVO* bridge);
    // Takes the object out of both tables (and out of every place the factory
    // remembers it); true when it was registered.
    bool RemoveObject(IBridgeToVO* bridge);
    // The slot holding the id, or kObjectSlots.
    size_t FindById(uint32_t id, const ObjectTable& table) const;
    bool AddToLayerTable(IBridgeToVO* bridge);
    bool RemoveFromLayerTable(IBridgeToVO* bridge);
    // Where an object of this absolute layer goes: after every entry of the
    // same or a lower layer.
    size_t FindLayerSlot(uint32_t absoluteLayer) const;
    uint32_t GetHighestLayer();
    void OnVisibilityChanged(uint32_t id, bool visible);
    void OnLayerChanged(uint32_t id);
    uint16_t GetLayerCount();
    // The visible objects' ids from the bottom layer up (tests, tools).
    std::vector<uint32_t> LayerOrder();
    // The visible objects themselves, in the same order; they stay valid
    // while the caller holds the lock.
    std::vector<IVisibleObject*> ShownObjects();
    // The registered object of the id, or null.
    IVisibleObject* FindObject(uint32_t id);

    // ---- Images ----
    bool AcquireImage(const std::string& name, int32_t& handle);
    bool ReleaseImage(int32_t& handle);
    void ReleaseAllImages();
    void GetImageName(int32_t handle, std::string& name);
    bool GetImageSize(int32_t handle, Size& size);
    // The entry's count, 0 for an empty or bad handle.
    int GetImageRefCount(int32_t handle);
    // An image or font that cannot be loaded, or a part of an image asked for
    // that lies outside it, is reported once through the debug output
    // ("Failed to load image: ...", "Failed to load font: ...", "Image drawn
    // off its bounds: ..."), so that it shows while the game runs and tests
    // can fail on it. Drawing goes on as the objects' rules say.
    void ReportResourceFault(const std::string& text);

    // ---- Fonts ----
    int32_t AcquireFont(const std::string& fileName);
    void ReleaseFontIndex(int32_t& index);
    void ReleaseAllFonts();
    void GetFontName(int32_t index, std::string& name);
    int16_t GetFontHeight(int32_t index);
    int16_t GetStringWidth(int32_t index, const std::string& text);
    int GetFontRefCount(int32_t index);

    // ---- Sounds, through the music interface ----
    int32_t LoadSound(const std::string& file);
    void DropSound(int32_t& track);
    void PlaySound(int32_t track, bool music, bool loop);
    void StopSound(int32_t track);
    void PauseSound(int32_t track, bool paused);
    bool IsSoundPlaying(int32_t track);
    void SetSoundVolume(int32_t track, double volume);
    size_t CountSounds();

    // ---- Drawing into the current Graphics (during a pass only) ----
    // Each call is recorded as a step of the pass and drawn once the pass
    // knows where its picture differs from the last one.
    void DrawRect(const Rect& rect, const RGB& colour);
    void FillRect(const Rect& rect, const RGB& colour);
    void DrawLine(Point from, Point to, const RGB& colour);
    bool DrawImage(int32_t handle, const Rect& source, const Rect& destination);
    bool DrawImageRotated(int32_t handle, const Rect& source, const Rect& destination, double angle, Point centre,
                          Point offset);
    void DrawString(IFont* font, const std::string& text, Point at, const RGB& colour, uint32_t hAlign,
                    uint32_t vAlign);

    // ---- Pass and timer (IInputAndPaint for the bridge widget) ----
    void DrawAll(Zolt::Graphics* g) override;
    bool DrawChanges(Zolt::Graphics* g, std::vector<Zolt::Rect>& changed) override;
    void OnTimerTick(uint32_t id) override;
    // Runs the dirty poll; true (and the flag cleared) when it, or a layer
    // change, asked for a repaint since the last call.
    bool TakeRepaintRequest() override;
    bool NeedsRepaint() const { return needsRepaint_.load(); }
    // An object became dirty, or the layer table changed: the next dirty
    // poll looks through the layer table. Without it the poll answers from
    // its flags alone, without the lock (an idle scene's updates cost
    // nothing). The first change of a still scene asks the host for a
    // repaint, which wakes a loop holding its updates.
    void NoteSceneMayHaveChanged()
    {
        if (!sceneMayHaveChanged_.load() && !sceneMayHaveChanged_.exchange(true))
            host_->OnRepaintRequested();
    }
    // How often the dirty poll has looked through the layer table.
    uint64_t LayerScans() const { return layerScans_.load(); }
    // The next pass is a full one (the screen's contents were lost, as at a
    // display reset); the passes after it are dirty-rectangle passes again,
    // as after InvalidateAll.
    void NotifyFullRepaint() override { fullRedraw_.store(true); }

    // ---- Input (IInputAndPaint) and modality (main thread) ----
    void DispatchMouseMove(int32_t x, int32_t y) override;
    void DispatchMouseDown(int32_t x, int32_t y, int32_t button, int32_t clicks) override;
    void DispatchMouseUp(int32_t x, int32_t y, int32_t button, int32_t clicks) override;
    void DispatchChar(char character) override;
    void DispatchKeyDown(uint32_t key) override;
    void DispatchKeyUp(uint32_t key) override;
    void SetCurrentCursor(ICursor* cursor);
    void SetCurrentToolTip(IToolTip* toolTip);
    void OnFocusGained(VisibleObject_impl* object);
    void EnterModal();
    void LeaveModal();
    ICursor* GetCurrentCursor();
    IToolTip* GetCurrentToolTip();
    // Ids of the hovered and focused objects, 0 when none.
    uint32_t GetHoveredId();
    uint32_t GetFocusedId();
    size_t GetModalDepth();

    FactoryHost& Host() { return *host_; }
    TimeLibrary::ITimeSystem* GetTimeSystem() const { return timeSystem_; }
    platform::CriticalSection& Lock() { return lock_; }

private:
    // Runs the pass's logic into `pass_`, with every object drawn whole or
    // as the pass would; true when a full pass was asked for.
    bool RecordPass(bool everyObjectWhole);
    // Draws the recorded steps through `g`: all of them, or, given places,
    // those that reach into each place, clipped to it.
    void DrawRecorded(Zolt::Graphics* g);
    void DrawRecordedInside(Zolt::Graphics* g, const Zolt::Rect& place);
    void DrawStep(const DrawingStep& step);
    void KeepPassForComparison();
    struct ImageEntry {
        std::unique_ptr<Zolt::Image> image;
        std::string name;
        int refCount = 0;
        // Tells this picture from one loaded later at the same address.
        uint64_t serial = 0;
    };
    struct FontEntry {
        std::unique_ptr<Zolt::Font> font;
        std::string name;
        int refCount = 0;
        uint64_t serial = 0;
    };
    uint64_t lastResourceSerial_ = 0;

    template <class Bridge, class Impl, class Interface>
    Interface* CreateObject();
    // Drops one reference and deletes the object at 0.
    void ReleaseBridge(IBridgeToVO* bridge);
    void DeleteBridge(IBridgeToVO* bridge);
    IBridgeToVO* FindBridge(IVisibleObject* object);
    // Under the lock: marks the object as in use by an input callback, and
    // undoes that afterwards (deleting it when it was released meanwhile).
    IBridgeToVO* Pin(VisibleObject_impl* object);
    void Unpin(IBridgeToVO* bridge);
    // Under the lock: the topmost shown object at the point, or null.
    VisibleObject_impl* HitTest(int32_t x, int32_t y) const;
    // Why the hover is checked: a move also tells an object still under the
    // pointer that it moved, and keeps the hover over an empty screen.
    enum class HoverCause { Move, Press };
    // Makes the object under the point the hovered one, telling the one it
    // leaves and the one it enters.
    void TrackHover(int32_t x, int32_t y, HoverCause cause);
    Zolt::Image* ImageAt(int32_t handle);
    Zolt::Font* FontAt(int32_t index);
    void DrawCursorAndToolTip();
    // Under the lock (the drawing pass): reports a source area outside the image.
    void CheckSourceArea(int32_t handle, Zolt::Image* image, const Zolt::Rect& area);
    void DeleteHandle(class Sound_impl* sound);

    std::unique_ptr<FactoryHost> host_;
    TimeLibrary::ITimeSystem* timeSystem_;
    platform::CriticalSection lock_;
    ObjectTable idTable_{};
    ObjectTable layerTable_{};
    uint16_t layerCount_ = 0;
    // One past the highest id-table slot that may hold an entry.
    size_t idHighWater_ = 0;
    std::array<std::unique_ptr<ImageEntry>, kImageSlots> images_;
    std::array<std::unique_ptr<FontEntry>, kFontSlots> fonts_;
    TimeLibrary::ITimeObject* timer_ = nullptr;
    std::atomic<bool> needsRepaint_{false};
    // Set before anything the dirty poll's scan could find; cleared only by
    // a scan that then found nothing (see NoteSceneMayHaveChanged).
    std::atomic<bool> sceneMayHaveChanged_{true};
    std::atomic<uint64_t> layerScans_{0};
    ICursor* currentCursor_ = nullptr;
    ICursor* defaultCursor_ = nullptr;
    IToolTip* currentToolTip_ = nullptr;
    VisibleObject_impl* hovered_ = nullptr;
    VisibleObject_impl* focused_ = nullptr;
    std::vector<std::vector<IBridgeToVO*>> modalStack_;
    IdAllocator objectIds_;
    IdAllocator soundIds_;
    std::vector<KeybdSysMessageObserver*> sysObservers_;
    std::vector<bool> keyDownSnapshot_;
    std::vector<Rect> dirtyList_;
    std::atomic<bool> fullRedraw_{false};
    std::atomic<uint16_t> effectsVolume_{100};
    std::atomic<uint16_t> musicVolume_{100};
    std::vector<ISound*> sounds_;
    std::atomic<bool> invalidateAll_{true};
    // The Graphics of the running pass; null outside DrawAll.
    Zolt::Graphics* graphics_ = nullptr;
    // The steps of the running pass, and those of the last pass drawn, which
    // the next pass compares with (empty after a full pass was asked for).
    DrawingRecord pass_;
    DrawingRecord lastPass_;
    bool lastPassKnown_ = false;
    // Objects an input callback is running on, and those released meanwhile.
    std::vector<IBridgeToVO*> pinned_;
    std::vector<IBridgeToVO*> releasedWhilePinned_;
    // The resource faults reported so far, each once.
    std::vector<std::string> reportedFaults_;
    // Whether the system's own mouse pointer shows (the toolkit hides it
    // while it draws its own).
    bool systemCursorShown_ = true;
};

// The singleton. CreateFactory builds it when none exists; a construction
// failure leaves it null. The time system is the process's one unless given.
IFactory* CreateFactory(std::unique_ptr<FactoryHost> host, TimeLibrary::ITimeSystem* timeSystem = nullptr);
IFactory* GetFactory();
Factory_impl* GetFactoryImpl();
void DestroyFactory();

} // namespace ControlLibrary
