// The factory's host over the framework's application object: the widget
// manager, the music interface, image loading, the registry, the directory
// hook and the screen mode all come from Zolt::ZoltAppBase. Fonts are built
// through the process's font host, or through the application itself when
// no font host is registered.
//
// Threads: as FactoryHost.
#pragma once

#include "controls/FactoryHost.h"
#include "framework/resources/FontHost.h"

#include <memory>

namespace Zolt {
class ZoltAppBase;
}

namespace TimeLibrary {
class ITimeSystem;
}

namespace ControlLibrary {

class IFactory;

class AppFactoryHost final : public FactoryHost {
public:
    explicit AppFactoryHost(Zolt::ZoltAppBase& app);
    ~AppFactoryHost() override;

    Zolt::WidgetManager* GetWidgetManager() override;
    Zolt::MusicInterface* GetMusicInterface() override;
    std::unique_ptr<Zolt::Image> LoadImageFile(const std::string& fileName, bool lookForAlpha) override;
    std::unique_ptr<Zolt::Font> LoadFont(const std::string& descriptorFile) override;
    bool OnChangeDirectory(const std::string& directory) override;
    void AddArchive(const std::string& archivePath) override;
    bool IsWindowed() override;
    bool IsWindowedRefused() override;
    bool IsIn3DMode() override;
    void ChangeDisplayMode(bool windowed, bool use3D, bool force) override;
    bool RegReadText(const std::string& valueName, std::string& out) override;
    bool RegReadNumber(const std::string& valueName, int& out) override;
    bool RegReadFlag(const std::string& valueName, bool& out) override;
    bool RegWriteText(const std::string& valueName, const std::string& text) override;
    bool RegWriteNumber(const std::string& valueName, int value) override;
    bool RegWriteFlag(const std::string& valueName, bool value) override;
    void OnRepaintRequested() override;

private:
    // The application as the fonts see it, for descriptor layer images and
    // descriptor errors.
    class AppFontHost final : public Zolt::FontHost {
    public:
        explicit AppFontHost(Zolt::ZoltAppBase& app) : app_(app) {}
        Zolt::SharedImageHandle AcquireSharedImage(const std::string& fileName, const std::string& variant,
                                                   bool* created) override;
        void ShowError(const std::string& text) override;

    private:
        Zolt::ZoltAppBase& app_;
    };

    Zolt::ZoltAppBase& app_;
    AppFontHost fontHost_;
};

// The kernel's way in: the factory singleton over the application (null
// application: no factory).
IFactory* CreateFactory(Zolt::ZoltAppBase* app, TimeLibrary::ITimeSystem* timeSystem = nullptr);

} // namespace ControlLibrary
