// The one object through which game code builds its screens: it creates and
// releases visible objects and handles, keeps the screen-wide keyboard
// observers and the two volume settings, and forwards the few application
// services (registry, archives, per-user folder, screen mode) the game needs.
// New visible objects start hidden with one reference; the game gives them
// back with the ReleaseVO of their kind and never deletes them itself.
//
// Threads: called from the main thread and from timer callbacks on the time
// thread.
#pragma once

#include <cstdint>
#include <string>

namespace ControlLibrary {

class ICursor;
class IFont;
class ISound;
class IToolTip;
class IButtonVO;
class ICheckBoxVO;
class IDialogVO;
class IEditBoxVO;
class IImageVO;
class ILinkVO;
class IRectVO;
class IStringVO;
class ITextBoxVO;
class IVisibleObject;
class KeybdSysMessageObserver;

class IFactory {
public:
    virtual ~IFactory() = default;

    virtual IFont* CreateFont() = 0;
    // Lowers the count and deletes the handle at 0; null is ignored.
    virtual void ReleaseFont(IFont* font) = 0;
    virtual IToolTip* CreateToolTip() = 0;
    virtual void ReleaseToolTip(IToolTip* toolTip) = 0;
    virtual ICursor* CreateCursor() = 0;
    virtual void ReleaseCursor(ICursor* cursor) = 0;
    // A music sound follows the music volume, any other the effects volume.
    virtual ISound* CreateSound(bool music) = 0;
    // Deletes the sound whatever its count; null is ignored.
    virtual void ReleaseSound(ISound* sound) = 0;

    // Creators return null when the object table is full.
    virtual IRectVO* CreateRectVO() = 0;
    // Lowers the object's count and deletes it at 0.
    virtual void ReleaseVO(IDialogVO* object) = 0;
    virtual void ReleaseVO(ITextBoxVO* object) = 0;
    virtual void ReleaseVO(IEditBoxVO* object) = 0;
    virtual void ReleaseVO(ICheckBoxVO* object) = 0;
    virtual void ReleaseVO(IButtonVO* object) = 0;
    virtual void ReleaseVO(ILinkVO* object) = 0;
    virtual void ReleaseVO(IStringVO* object) = 0;
    virtual void ReleaseVO(IImageVO* object) = 0;
    virtual void ReleaseVO(IRectVO* object) = 0;
    // The same for an object of any kind, by its common interface: how a
    // holder that does not know the kind (a move effect) gives it back.
    virtual void ReleaseObject(IVisibleObject* object) = 0;
    virtual IImageVO* CreateImageVO() = 0;
    virtual IStringVO* CreateStringVO() = 0;
    virtual ILinkVO* CreateLinkVO() = 0;
    virtual IButtonVO* CreateButtonVO() = 0;
    virtual ICheckBoxVO* CreateCheckBoxVO() = 0;
    virtual IEditBoxVO* CreateEditBoxVO() = 0;
    virtual ITextBoxVO* CreateTextBoxVO() = 0;
    virtual IDialogVO* CreateDialogVO() = 0;

    virtual void SetDefaultCursor(ICursor* cursor) = 0;
    virtual void AddPakArchive(uint32_t ignored, const std::string& archivePath) = 0;
    virtual std::string GetAppDataFolder() = 0;
    virtual void ToggleScreenMode() = 0;
    // The desktop cannot hold the window: the game covers the screen
    // whatever mode it asks for, and a window is not to be offered.
    virtual bool IsWindowedRefused() = 0;
    // Appended unless already registered.
    virtual void AddSysObserver(KeybdSysMessageObserver* observer) = 0;
    virtual void RemoveSysObserver(KeybdSysMessageObserver* observer) = 0;
    // Percent.
    virtual uint16_t GetEffectsVolume() = 0;
    virtual void SetEffectsVolume(uint16_t percent) = 0;
    virtual uint16_t GetMusicVolume() = 0;
    virtual void SetMusicVolume(uint16_t percent) = 0;
    virtual bool ReadRegistryString(const std::string& valueName, std::string& out) = 0;
    virtual bool ReadRegistryInteger(const std::string& valueName, uint32_t& out) = 0;
    virtual bool ReadRegistryBool(const std::string& valueName, bool& out) = 0;
    virtual bool WriteRegistryString(const std::string& valueName, const std::string& value) = 0;
    virtual bool WriteRegistryInteger(const std::string& valueName, uint32_t value) = 0;
    virtual bool WriteRegistryBool(const std::string& valueName, bool value) = 0;
    // The next drawing pass repaints everything.
    virtual void InvalidateAll() = 0;
};

} // namespace ControlLibrary
