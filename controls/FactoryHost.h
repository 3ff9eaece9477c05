// What the control factory needs of the application: the widget manager
// (its last mouse position places the toolkit's cursor and tooltip), the
// music interface every toolkit sound plays through, image and font loading,
// the registry, the per-user folder, the directory hook and the screen mode.
//
// The plain FactoryHost is the null application: no widget manager (so a
// factory refuses to be built on it), no music, no images, every registry
// call false. The application's own host derives from it and answers from
// the framework; tests derive from it to feed the factory in memory.
//
// Threads: called from the main thread and from timer callbacks on the time
// thread, always under the factory's lock except ChangeDisplayMode.
#pragma once

#include "controls/Point.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Zolt {
class Font;
class Image;
class MusicInterface;
class WidgetManager;
} // namespace Zolt

namespace ControlLibrary {

class FactoryHost {
public:
    FactoryHost() = default;
    FactoryHost(const FactoryHost&) = delete;
    FactoryHost& operator=(const FactoryHost&) = delete;
    virtual ~FactoryHost() = default;

    virtual Zolt::WidgetManager* GetWidgetManager() { return nullptr; }
    // Where the widget manager last saw the mouse; false before it saw it.
    virtual bool GetMousePosition(Point& out);
    virtual Zolt::MusicInterface* GetMusicInterface() { return nullptr; }

    // A new image of the file, null when it cannot be read. May throw; the
    // factory treats that as a failure.
    virtual std::unique_ptr<Zolt::Image> LoadImageFile(const std::string& fileName, bool lookForAlpha);
    // The bitmap font of a descriptor file, null when its data did not load.
    // The plain host builds it through the process's font host.
    virtual std::unique_ptr<Zolt::Font> LoadFont(const std::string& descriptorFile);

    // True when the application changed the directory itself.
    virtual bool OnChangeDirectory(const std::string& directory);
    // Adds the archive to the process's file layer. The plain host ignores a
    // failure; the application's ends the program on it, naming the archive.
    virtual void AddArchive(const std::string& archivePath);
    virtual std::string GetAppDataFolder();

    virtual bool IsWindowed() { return true; }
    virtual bool IsWindowedRefused() { return false; }
    virtual bool IsIn3DMode() { return false; }
    virtual void ChangeDisplayMode(bool windowed, bool use3D, bool force);

    virtual bool RegReadText(const std::string& valueName, std::string& out);
    virtual bool RegReadNumber(const std::string& valueName, int& out);
    virtual bool RegReadFlag(const std::string& valueName, bool& out);
    virtual bool RegWriteText(const std::string& valueName, const std::string& text);
    virtual bool RegWriteNumber(const std::string& valueName, int value);
    virtual bool RegWriteFlag(const std::string& valueName, bool value);

    // A still scene changed (any thread, with or without the factory's
    // lock): the application's loop must draw it soon.
    virtual void OnRepaintRequested() {}
};

} // namespace ControlLibrary
