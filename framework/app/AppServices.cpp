// Services of the application that the game and the framework call at any
// time: texts, system boxes, URLs, product and crash texts, the clipboard,
// framework dialogs by id, images, sound levels and the cursor. Main thread,
// except the image register and shared images (any thread, under the image
// lock).
#include "framework/app/ZoltAppBase.h"

#include "framework/app/DemoRecorder.h"
#include "framework/app/DialogTable.h"
#include "framework/app/ImageRegistry.h"
#include "framework/app/UrlLauncher.h"
#include "framework/base/StringUtils.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/SysFont.h"
#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/FModMusicInterface.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundInstance.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "imagelib/ImageLib.h"
#include "platform/core/CRuntime.h"
#include "platform/core/Clock.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/crash/CrashReportText.h"
#include "platform/ddraw/DirectDraw.h"
#include "platform/window/Clipboard.h"
#include "platform/window/Cursor.h"
#include "platform/window/SystemDialogs.h"
#include "platform/window/Window.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

using namespace platform;

namespace Zolt {

// ---- Texts ----

std::wstring ZoltAppBase::LookupText(const std::string& id, const std::wstring& fallback) const
{
    auto it = strings_.find(id);
    return it == strings_.end() ? fallback : it->second;
}

std::string ZoltAppBase::LookupTextNarrow(const std::string& id, const std::string& fallback) const
{
    auto it = strings_.find(id);
    if (it == strings_.end())
        return fallback;
    std::string narrow;
    for (wchar_t c : it->second)
        narrow += (c >= 0 && c < 256) ? char(c) : '?';
    return narrow;
}

void ZoltAppBase::DefineText(const std::string& id, const std::wstring& text) { strings_[id] = text; }

// ---- System boxes ----

void ZoltAppBase::EnterSystemDialog()
{
    if (!isWindowed && display_ && display_->GetDirectDraw()) {
        display_->GetDirectDraw()->FlipToGDISurface();
        systemDialogUp_ = true;
    }
}

void ZoltAppBase::LeaveSystemDialog()
{
    if (!isWindowed)
        systemDialogUp_ = false;
    ResetFrameTiming(false);
    ForgetHeldKeys();
    if (widgetManager->HeldMask() != 0)
        widgetManager->ReleaseMouseCapture();
    ReleaseCapture();
}

int ZoltAppBase::ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags)
{
    EnterSystemDialog();
    const int result = MessageBoxA(mainWindow_, text.c_str(), caption.c_str(), flags);
    LeaveSystemDialog();
    return result;
}

int ZoltAppBase::ShowMessageBoxWide(const std::wstring& text, const std::wstring& caption, unsigned flags)
{
    EnterSystemDialog();
    const int result = MessageBoxW(mainWindow_, text.c_str(), caption.c_str(), flags);
    LeaveSystemDialog();
    return result;
}

void ZoltAppBase::ShowError(const std::string& text)
{
    if (screenSaverMode_) {
        AppendScreenSaverErrorLog(text);
        return;
    }
    EnterSystemDialog();
    if (!quit_)
        MessageBoxA(mainWindow_, text.c_str(), LookupTextNarrow("FATAL_ERROR", "FATAL ERROR").c_str(), MB_ICONERROR);
    LeaveSystemDialog();
}

void ZoltAppBase::ShowErrorWide(const std::wstring& text)
{
    if (screenSaverMode_) {
        AppendScreenSaverErrorLog(WideToNarrow(text));
        return;
    }
    EnterSystemDialog();
    if (!quit_)
        MessageBoxW(mainWindow_, text.c_str(), LookupText("FATAL_ERROR", L"FATAL ERROR").c_str(), MB_ICONERROR);
    LeaveSystemDialog();
}

void ZoltAppBase::AppendScreenSaverErrorLog(const std::string& text)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    platform::localtime_s(&local, &now);
    char clockText[16];
    std::snprintf(clockText, sizeof clockText, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    char tail[48];
    std::snprintf(tail, sizeof tail, " %s %u", clockText, unsigned(GetTickCount()));
    const std::string line = text + tail;
    // The log is kept as the crash report is: the run's lines are written
    // whole to a new file that replaces the old one (never through a link
    // that stands at its name, never half-written), and a log an earlier
    // run left is moved aside rather than overwritten.
    const std::string path = UserFilePath("ScrError.txt");
    const std::string kept = screenSaverLog_;
    screenSaverLog_ += line + "\n";
    int error = 0;
    bool written = false;
    if (!screenSaverLogStarted_) {
        written = platform::WriteReportFile(path.c_str(), line.data(), line.size(), &error);
    } else {
        const platform::ByteSpan span{screenSaverLog_.data(), screenSaverLog_.size()};
        written = platform::WriteSpansToFile(path.c_str(), &span, 1, &error);
    }
    if (written) {
        screenSaverLogStarted_ = true;
        return;
    }
    // Not lost: where whoever started the screen saver can see it.
    if (!screenSaverLogStarted_)
        screenSaverLog_ = kept;
    std::fputs(("The screen saver's error could not be kept in " + path + " (" + platform::DescribeOpenError(error) +
                "): " + line + "\n")
                   .c_str(),
               stderr);
}

// ---- URL, product, crash text, clipboard ----

bool ZoltAppBase::LaunchUrl(const std::string& url, bool quitAfter)
{
    if (!url_->Begin(url, quitAfter, GetTickCount()))
        return false;
    // Only http and https addresses are opened, and never through a shell.
    HINSTANCE result = ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<intptr_t>(result) <= 32) {
        OnUrlLaunchFailed(url);
        return false;
    }
    return true;
}

void ZoltAppBase::OnUrlLaunchFailed(const std::string& url)
{
    (void)url;
    url_->End();
}

void ZoltAppBase::OnUrlLaunched(const std::string& url)
{
    (void)url;
    url_->End();
    if (url_->QuitsAfter())
        Quit();
}

std::string ZoltAppBase::ReadProductVersion(const std::string& programPath)
{
    if (!versionLibrary_)
        return {};
    using SizeFn = DWORD (*)(const char*, DWORD*);
    using InfoFn = BOOL (*)(const char*, DWORD, DWORD, void*);
    using QueryFn = BOOL (*)(const void*, const char*, void**, UINT*);
    auto size = GetEntryAs<SizeFn>(versionLibrary_, "GetFileVersionInfoSizeA");
    auto info = GetEntryAs<InfoFn>(versionLibrary_, "GetFileVersionInfoA");
    auto query = GetEntryAs<QueryFn>(versionLibrary_, "VerQueryValueA");
    if (!size || !info || !query)
        return {};
    DWORD handle = 0;
    const DWORD bytes = size(programPath.c_str(), &handle);
    if (bytes == 0)
        return {};
    std::vector<char> block(bytes);
    if (!info(programPath.c_str(), handle, bytes, block.data()))
        return {};
    for (const char* key : {"\\StringFileInfo\\040904B0\\ProductVersion", "\\StringFileInfo\\040904E4\\ProductVersion"}) {
        void* value = nullptr;
        UINT length = 0;
        if (query(block.data(), key, &value, &length) && value && length > 0)
            return std::string(static_cast<const char*>(value), strnlen(static_cast<const char*>(value), length));
    }
    return {};
}

std::string ZoltAppBase::GetCrashInfo()
{
    const uint32_t seconds = (GetTickCount() - constructionTick_) / 1000;
    return "Product: " + productName + "\r\n" + "Version: " + productVersion + "\r\n" + "Time Loaded: " +
           FormatString("%02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60)) +
           "\r\nFullscreen: " + (windowedWanted ? "No" : "Yes") + "\r\nPrimary ThreadId: " +
           FormatString("%X", mainThreadId_);
}

void ZoltAppBase::PutTextOnClipboard(const std::string& text)
{
    if (demo_->IsPlaying())
        return;
    PutClipboardText(text);
}

// ---- Framework dialogs ----

Dialog* ZoltAppBase::MakeDialog(int id, bool modal, const std::string& header, const std::string& lines,
                                const std::string& footer, int buttonMode)
{
    return new Dialog(nullptr, nullptr, id, modal, header, lines, footer, buttonMode);
}

Dialog* ZoltAppBase::OpenDialog(int id, bool modal, const std::string& header, const std::string& lines,
                                const std::string& footer, int buttonMode)
{
    CloseDialog(id);
    Dialog* dialog = MakeDialog(id, modal, header, lines, footer, buttonMode);
    InsertDialog(id, dialog);
    return dialog;
}

Dialog* ZoltAppBase::FindDialog(int id) { return dialogs_->Find(id); }

void ZoltAppBase::InsertDialog(Dialog* dialog) { InsertDialog(dialog->GetDialogId(), dialog); }

void ZoltAppBase::InsertDialog(int id, Dialog* dialog)
{
    CloseDialog(id);
    dialogs_->Insert(id, dialog, width, height);
}

bool ZoltAppBase::CloseDialog(int id, bool removeWidget, bool deleteWidget)
{
    return dialogs_->Close(id, removeWidget, deleteWidget);
}

bool ZoltAppBase::CloseDialog(int id) { return CloseDialog(id, true, true); }

bool ZoltAppBase::CloseDialog(Dialog* dialog) { return dialog && CloseDialog(dialog->GetDialogId()); }

int ZoltAppBase::CountDialogs() { return dialogs_->Count(); }

// ---- Images ----

void ZoltAppBase::RegisterImage(MemoryImage* image) { images_->Add(image); }

void ZoltAppBase::UnregisterImage(MemoryImage* image)
{
    images_->Remove(image);
    ReleaseImageFromDisplay(image);
}

void ZoltAppBase::ReleaseImageFromDisplay(MemoryImage* image)
{
    if (display_)
        display_->ReleaseImageTextures(image);
}

NativeDisplay* ZoltAppBase::GetNativeDisplay() { return display_.get(); }

void ZoltAppBase::RequestSharedImageCleanup() { images_->RequestCleanup(); }

size_t ZoltAppBase::RegisteredImageCount() { return images_->Count(); }

size_t ZoltAppBase::SharedImageCount() { return images_->SharedCount(); }

void ZoltAppBase::ReleaseImageSurfaces()
{
    images_->ForEach([](MemoryImage* image) { image->DropNativeData(); });
}

void ZoltAppBase::RecreateImageSurfaces()
{
    images_->ForEach([](MemoryImage* image) { image->ReapplyCompaction(); });
}

void ZoltAppBase::DiscardImageSurfacesLocked()
{
    images_->ForEach([](MemoryImage* image) { image->DropCaches(); });
}

DDImage* ZoltAppBase::LoadImageFile(const std::string& fileName, bool lookForAlpha)
{
    std::unique_ptr<ImageLib::Image> picture(ImageLib::LoadImageFile(fileName, lookForAlpha));
    if (!picture)
        return nullptr;
    auto image = std::make_unique<DDImage>(display_.get());
    const int width = picture->GetWidth();
    const int height = picture->GetHeight();
    image->AdoptBits(picture->ReleaseBits(), width, height, true);
    return image.release();
}

SharedImageHandle ZoltAppBase::AcquireSharedImage(const std::string& fileName, const std::string& variant,
                                                   bool* created)
{
    return images_->AcquireShared(fileName, variant, created, [this](const std::string& name) -> MemoryImage* {
        // A name starting with '!' asks for an empty image to draw into.
        if (!name.empty() && name[0] == '!')
            return new DDImage(display_.get());
        return LoadImageFile(name, true);
    });
}

Image* ZoltAppBase::DuplicateImage(Image* image)
{
    if (!image)
        return nullptr;
    return DuplicateImageArea(image, Rect(0, 0, image->GetWidth(), image->GetHeight()));
}

Image* ZoltAppBase::DuplicateImageArea(Image* image, const Rect& area)
{
    if (!image)
        return nullptr;
    auto copy = std::make_unique<DDImage>(display_.get());
    copy->MakeBlank(area.width, area.height);
    Graphics g(copy.get());
    g.PaintImage(image, -area.x, -area.y);
    return copy.release();
}

// ---- Sound levels ----
//
// Music plays through the back end of the library the application runs with
// (the plain, silent interface when music is off); sound effects go through
// the sound manager.

std::unique_ptr<Font> ZoltAppBase::MakeSystemFont(const std::string& face, int points, int charset, bool bold,
                                                 bool italic, bool underline)
{
    return std::make_unique<SysFont>(this, face, points, charset, bold, italic, underline);
}

MusicInterface* ZoltAppBase::MakeMusicPlayer(HWND window)
{
    if (musicOff)
        return new MusicInterface();
    if (useFmod)
        return new FModMusicInterface(window);
    return new BassMusicInterface(window);
}

void ZoltAppBase::PlaySoundOnce(int soundId)
{
    if (!soundManager)
        return;
    if (SoundInstance* instance = soundManager->NewInstance(soundId))
        instance->Start(false, true);
}

void ZoltAppBase::PlaySoundOncePanned(int soundId, int pan)
{
    if (!soundManager)
        return;
    if (SoundInstance* instance = soundManager->NewInstance(soundId)) {
        instance->SetInstancePan(pan);
        instance->Start(false, true);
    }
}

double ZoltAppBase::MixerLevel() { return soundManager ? soundManager->ReadMixerVolume() : 1.0; }

double ZoltAppBase::MusicLevel() { return musicVolume; }

double ZoltAppBase::EffectsLevel() { return effectsVolume; }

bool ZoltAppBase::IsSilenced() { return muteCount_ > 0; }

void ZoltAppBase::SetMixerLevel(double level)
{
    if (soundManager)
        soundManager->WriteMixerVolume(level);
}

void ZoltAppBase::SetMusicLevel(double level)
{
    musicVolume = level;
    if (musicInterface_)
        musicInterface_->SetOverallVolume(muteCount_ > 0 ? 0.0 : level);
}

void ZoltAppBase::SetEffectsLevel(double level)
{
    effectsVolume = level;
    if (soundManager)
        soundManager->SetEffectsVolume(muteCount_ > 0 ? 0.0 : level);
}

void ZoltAppBase::Silence(bool automatic)
{
    ++muteCount_;
    if (automatic)
        ++autoMuteCount_;
    SetMusicLevel(musicVolume);
    SetEffectsLevel(effectsVolume);
}

void ZoltAppBase::Unsilence(bool automatic)
{
    if (muteCount_ <= 0)
        return;
    --muteCount_;
    if (automatic && autoMuteCount_ > 0)
        --autoMuteCount_;
    SetMusicLevel(musicVolume);
    SetEffectsLevel(effectsVolume);
}

// ---- Cursor ----

void ZoltAppBase::SetCursorIndex(int index)
{
    // Only the thirteen known cursors; anything else is ignored.
    if (index < 0 || index >= kCursorCount)
        return;
    cursorIndex_ = index;
    UpdateCursor();
}

void ZoltAppBase::SetCustomCursors(bool on)
{
    customCursorsOn_ = on;
    UpdateCursor();
}

void ZoltAppBase::SetCustomCursorImage(int index, Image* image)
{
    if (index < 0 || index >= kCursorCount)
        return;
    customCursors_[size_t(index)] = image;
    UpdateCursor();
}

void ZoltAppBase::SetOverrideCursor(HCURSOR cursor)
{
    overrideCursor_ = cursor;
    UpdateCursor();
}

void ZoltAppBase::UpdateCursor()
{
    if (!display_)
        return;
    if (!goingDown_ && mouseInWindow_) {
        Image* custom = customCursors_[size_t(cursorIndex_)];
        if (custom && (demo_->IsPlaying() || customCursorsOn_ || cursorIndex_ == 12)) {
            if (display_->SetCursorImage(custom))
                forceRedraw_ = true;
            if (!softwareCursorOn_.exchange(true))
                pointerMoved_.Set();
            SetCursor(demo_->IsPlaying() ? LoadCursorA(nullptr, IDC_NO) : nullptr);
            return;
        }
        if (display_->SetCursorImage(nullptr))
            forceRedraw_ = true;
        softwareCursorOn_ = false;
        HCURSOR cursor = overrideCursor_;
        if (!cursor) {
            switch (cursorIndex_) {
            case 1: cursor = handCursor_; break;
            case 2: cursor = dragCursor_; break;
            case 3: cursor = LoadCursorA(nullptr, IDC_IBEAM); break;
            case 4: cursor = LoadCursorA(nullptr, IDC_NO); break;
            case 5: cursor = LoadCursorA(nullptr, IDC_SIZEALL); break;
            case 6: cursor = LoadCursorA(nullptr, IDC_SIZENESW); break;
            case 7: cursor = LoadCursorA(nullptr, IDC_SIZENS); break;
            case 8: cursor = LoadCursorA(nullptr, IDC_SIZENWSE); break;
            case 9: cursor = LoadCursorA(nullptr, IDC_SIZEWE); break;
            case 10: cursor = LoadCursorA(nullptr, IDC_WAIT); break;
            case 11:
            case 12: cursor = nullptr; break;
            default: cursor = LoadCursorA(nullptr, IDC_ARROW); break;
            }
        }
        SetCursor(cursor);
        return;
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

} // namespace Zolt
