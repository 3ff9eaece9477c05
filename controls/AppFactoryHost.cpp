#include "controls/AppFactoryHost.h"

#include "controls/Factory_impl.h"
#include "framework/app/ZoltAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/resources/FontData.h"
#include "framework/resources/ImageFont.h"

namespace ControlLibrary {

AppFactoryHost::AppFactoryHost(Zolt::ZoltAppBase& app) : app_(app), fontHost_(app) {}

AppFactoryHost::~AppFactoryHost() = default;

Zolt::WidgetManager* AppFactoryHost::GetWidgetManager()
{
    return app_.GetWidgetManager();
}

Zolt::MusicInterface* AppFactoryHost::GetMusicInterface()
{
    return app_.GetMusicInterface();
}

std::unique_ptr<Zolt::Image> AppFactoryHost::LoadImageFile(const std::string& fileName, bool lookForAlpha)
{
    return std::unique_ptr<Zolt::Image>(app_.LoadImageFile(fileName, lookForAlpha));
}

std::unique_ptr<Zolt::Font> AppFactoryHost::LoadFont(const std::string& descriptorFile)
{
    Zolt::FontHost* host = Zolt::GetFontHost();
    auto font = std::make_unique<Zolt::ImageFont>(host ? host : &fontHost_, descriptorFile);
    if (!font->GetFontData() || !font->GetFontData()->IsLoaded())
        return nullptr;
    return font;
}

bool AppFactoryHost::OnChangeDirectory(const std::string& directory)
{
    return app_.OnChangeDirectory(directory);
}

void AppFactoryHost::AddArchive(const std::string& archivePath)
{
    app_.AddRequiredArchive(archivePath);
}

bool AppFactoryHost::IsWindowed()
{
    return app_.isWindowed;
}

bool AppFactoryHost::IsWindowedRefused()
{
    return app_.IsWindowedRefused();
}

bool AppFactoryHost::IsIn3DMode()
{
    return app_.IsIn3DMode();
}

void AppFactoryHost::ChangeDisplayMode(bool windowed, bool use3D, bool force)
{
    app_.ChangeDisplayMode(windowed, use3D, force);
}

bool AppFactoryHost::RegReadText(const std::string& valueName, std::string& out)
{
    return app_.RegReadText(valueName, out);
}

bool AppFactoryHost::RegReadNumber(const std::string& valueName, int& out)
{
    return app_.RegReadNumber(valueName, out);
}

bool AppFactoryHost::RegReadFlag(const std::string& valueName, bool& out)
{
    return app_.RegReadFlag(valueName, out);
}

bool AppFactoryHost::RegWriteText(const std::string& valueName, const std::string& text)
{
    return app_.RegWriteText(valueName, text);
}

bool AppFactoryHost::RegWriteNumber(const std::string& valueName, int value)
{
    return app_.RegWriteNumber(valueName, value);
}

bool AppFactoryHost::RegWriteFlag(const std::string& valueName, bool value)
{
    return app_.RegWriteFlag(valueName, value);
}

void AppFactoryHost::OnRepaintRequested() { app_.RequestRepaint(); }

Zolt::SharedImageHandle AppFactoryHost::AppFontHost::AcquireSharedImage(const std::string& fileName,
                                                                        const std::string& variant, bool* created)
{
    return app_.AcquireSharedImage(fileName, variant, created);
}

void AppFactoryHost::AppFontHost::ShowError(const std::string& text)
{
    app_.ShowError(text);
}

IFactory* CreateFactory(Zolt::ZoltAppBase* app, TimeLibrary::ITimeSystem* timeSystem)
{
    if (!app)
        return nullptr;
    return CreateFactory(std::make_unique<AppFactoryHost>(*app), timeSystem);
}

} // namespace ControlLibrary
