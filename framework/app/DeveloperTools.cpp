// The developer tools of the application: dormant until developer mode is
// switched on (or while a demo plays), then the function keys give the
// frame-counter overlay, screenshots, a dump of every image in memory, video
// statistics, the profiler, the 3D switch, slow motion and single steps.
// Main thread.
#include "framework/app/ZoltAppBase.h"

#include "framework/app/DemoRecorder.h"
#include "framework/app/DeveloperOverlay.h"
#include "framework/app/ImageDump.h"
#include "framework/app/ImageRegistry.h"
#include "framework/app/Profiler.h"
#include "framework/app/TunableValues.h"
#include "framework/base/PathUtils.h"
#include "framework/base/StringUtils.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/D3DTester.h"
#include "framework/graphics/DDInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "imagelib/ImageLib.h"
#include "platform/core/FileSystem.h"
#include "platform/ddraw/DirectDraw.h"
#include "platform/window/VirtualKeys.h"

#include <algorithm>
#include <cstdio>

using namespace platform;

namespace Zolt {

namespace {

std::string Sized(int64_t bytes) { return CommaSeparated(int(std::min<int64_t>(bytes, INT32_MAX))); }

// The capability test's verdict: recommended with neither a failure nor a
// warning, supported with a warning (or when it did not run on a machine
// with a Direct3D path), unsupported with a failure or without a path.
const char* VerdictOf3D(const D3DInterface* path)
{
    if (!path)
        return "Unsupported";
    const D3DTester* tester = path->GetTester();
    if (!tester)
        return "Supported";
    if (!tester->GetFailureReason().empty())
        return "Unsupported";
    return tester->GetWarning().empty() ? "Recommended" : "Supported";
}

} // namespace

bool ZoltAppBase::OnDeveloperKey(int key)
{
    const bool shift = widgetManager->IsKeyDown(VK_SHIFT);
    const bool ctrl = widgetManager->IsKeyDown(VK_CONTROL);
    const bool alt = widgetManager->IsKeyDown(VK_MENU);
    switch (key) {
    case 'R':
        if (!alt)
            return false;
        {
            bool failed = false;
            ReloadTunableValues([&](const std::string& text, const std::string& caption) {
                failed = true;
                ShowMessageBox(text, caption, MB_OK);
            });
            // A box took the key-up away: forget what was held.
            if (failed)
                widgetManager->ClearKeyTable();
        }
        return true;
    case VK_F2:
        if (!ProfilerIsRunning()) {
            ResetFrameTiming(false);
            ProfilerStart(false);
        } else {
            ProfilerStop();
            ShowMessageBox(ProfilerResults(), "Perf Results", MB_OK);
            ResetFrameTiming(false);
        }
        return true;
    case VK_F3:
        if (shift)
            overlay_->NextKind();
        else
            overlay_->Toggle();
        RepaintAll();
        return true;
    case VK_F8:
        if (shift) {
            SwitchHardwareMode(!IsIn3DMode(), true);
            char text[64];
            std::snprintf(text, sizeof text, "3D-Mode: %s", IsIn3DMode() ? "ON" : "OFF");
            ShowMessageBox(text, "Mode Switch", MB_OK);
        } else {
            ShowMessageBox(BuildVideoStats(), "Video Stats", MB_OK);
        }
        return true;
    case VK_F10:
        if (ctrl) {
            demoSpeed = demoSpeed == 0.25 ? 1.0 : 0.25;
        } else if (shift) {
            singleStepMode_ = 0;
            ResetFrameTiming(false);
        } else {
            singleStepMode_ = 1;
        }
        return true;
    case VK_F11:
        if (shift)
            DumpImages();
        else
            TakeScreenshot();
        return true;
    default: return false;
    }
}

int ZoltAppBase::TakeScreenshot()
{
    if (!display_ || !display_->GetDrawSurface() || !display_->GetScreenImage())
        return 0;
    const std::string folder = Zolt::GetAppDataFolder() + "_screenshots";
    MakeDirectories(folder);
    int highest = 0;
    for (const FindData& entry : FindFiles(folder + "/*.png")) {
        int number = 0;
        char rest = 0;
        if (std::sscanf(entry.name.c_str(), "%d.pn%c", &number, &rest) == 2 && rest == 'g')
            highest = std::max(highest, number);
    }
    DDImage* screen = display_->GetScreenImage();
    const int w = screen->GetWidth();
    const int h = screen->GetHeight();
    const uint32_t* bits = screen->RequireBits();
    int number = 0;
    if (bits && w > 0 && h > 0) {
        ImageLib::Image shot(w, h);
        std::copy_n(bits, size_t(w) * size_t(h), shot.GetBits());
        number = highest + 1;
        if (!ImageLib::SavePngFile(folder + "/" + std::to_string(number) + ".png", &shot))
            number = 0;
    }
    ResetFrameTiming(false);
    return number;
}

void ZoltAppBase::DumpImages() { ImageDump::Write(Zolt::GetAppDataFolder() + "_dump", images_->Snapshot()); }

std::string ZoltAppBase::BuildVideoStats()
{
    const bool on = IsIn3DMode();
    std::string text = std::string("3D-Mode is ") + (on ? "On" : "Off") + " (3D is " + VerdictOf3D(direct3D_) +
                       " on this system)\r\n\r\n";
    text += "Num Images: " + std::to_string(RegisteredImageCount()) + "\r\n";
    text += "Num Sounds: " + std::to_string(soundManager ? soundManager->CountLoadedSounds() : 0) + "\r\n";
    DWORD total = 0;
    DWORD free = 0;
    DWORD textureTotal = 0;
    DWORD textureFree = 0;
    if (platform::DirectDraw* dd = display_ ? display_->GetDirectDraw() : nullptr) {
        platform::DDSCAPS2 caps{};
        caps.dwCaps = platform::DDSCAPS_VIDEOMEMORY;
        dd->GetAvailableVidMem(&caps, &total, &free);
        caps.dwCaps = platform::DDSCAPS_TEXTURE;
        dd->GetAvailableVidMem(&caps, &textureTotal, &textureFree);
    }
    text += "Video Memory: " + Sized(free / 1024) + "/" + Sized(total / 1024) + " KB\r\n";
    text += "Texture Memory: " + Sized(textureFree / 1024) + " KB\r\n";
    int counts[4] = {};
    size_t bytes[4] = {};
    if (direct3D_)
        direct3D_->TextureStatistics(counts, bytes);
    for (int i = 0; i < 4; ++i)
        text += std::string(TextureFormatName(1 << i)) + ": " + std::to_string(counts[i]) + " - " +
                Sized(int64_t(bytes[i] / 1024)) + " KB\r\n";
    return text;
}

void ZoltAppBase::CountOverlayFrame() { overlay_->CountFrame(); }

std::string ZoltAppBase::OverlayText() { return overlay_->Text(widgetManager->LastX(), widgetManager->LastY()); }

bool ZoltAppBase::IsOverlayOn() const { return overlay_->IsOn(); }

int ZoltAppBase::OverlayKind() const { return overlay_->GetKind(); }

void ZoltAppBase::RefreshOverlays()
{
    if (!display_ || !display_->GetScreenImage())
        return;
    const std::string demoTime = demo_->IsPlaying() ? DemoTimeText() : std::string();
    overlay_->Refresh(
        display_.get(), [this] { return MakeSystemFont("Tahoma", 8, 0, false, false, false); },
        widgetManager->LastX(), widgetManager->LastY(), demo_->IsPlaying() ? &demoTime : nullptr);
}

void ZoltAppBase::DrawOverlays()
{
    overlay_->Draw(display_ ? display_->GetScreenImage() : nullptr, width, height, demo_->IsPlaying());
}

void ZoltAppBase::DropOverlays() { overlay_->Drop(); }

} // namespace Zolt
