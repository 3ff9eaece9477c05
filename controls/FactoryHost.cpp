#include "controls/FactoryHost.h"

#include "framework/base/PathUtils.h"
#include "framework/graphics/Image.h"
#include "framework/resources/FontHost.h"
#include "framework/resources/ImageFont.h"
#include "framework/resources/FontData.h"
#include "framework/widgets/WidgetManager.h"
#include "pak/PakFileFunctions.h"
#include "pak/PakInterface.h"

#include <climits>

namespace ControlLibrary {

bool FactoryHost::GetMousePosition(Point& out)
{
    Zolt::WidgetManager* manager = GetWidgetManager();
    // The manager marks a position it never saw with the lowest integer.
    if (!manager || manager->LastX() == INT32_MIN || manager->LastY() == INT32_MIN)
        return false;
    out = Point{manager->LastX(), manager->LastY()};
    return true;
}

std::unique_ptr<Zolt::Image> FactoryHost::LoadImageFile(const std::string&, bool)
{
    return nullptr;
}

std::unique_ptr<Zolt::Font> FactoryHost::LoadFont(const std::string& descriptorFile)
{
    auto font = std::make_unique<Zolt::ImageFont>(Zolt::GetFontHost(), descriptorFile);
    if (!font->GetFontData() || !font->GetFontData()->IsLoaded())
        return nullptr;
    return font;
}

bool FactoryHost::OnChangeDirectory(const std::string&)
{
    return false;
}

void FactoryHost::AddArchive(const std::string& archivePath)
{
    if (PakInterface* layer = GetProcessPakInterface())
        layer->AddPakArchive(archivePath);
}

std::string FactoryHost::GetAppDataFolder()
{
    return Zolt::GetAppDataFolder();
}

void FactoryHost::ChangeDisplayMode(bool, bool, bool) {}

bool FactoryHost::RegReadText(const std::string&, std::string&)
{
    return false;
}

bool FactoryHost::RegReadNumber(const std::string&, int&)
{
    return false;
}

bool FactoryHost::RegReadFlag(const std::string&, bool&)
{
    return false;
}

bool FactoryHost::RegWriteText(const std::string&, const std::string&)
{
    return false;
}

bool FactoryHost::RegWriteNumber(const std::string&, int)
{
    return false;
}

bool FactoryHost::RegWriteFlag(const std::string&, bool)
{
    return false;
}

} // namespace ControlLibrary
