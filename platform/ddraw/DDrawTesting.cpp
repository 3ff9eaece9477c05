#include "platform/ddraw/DDrawTesting.h"

#include "platform/ddraw/DisplayMachine.h"

#include "platform/core/Testing.h"
#include "platform/window/Desktop.h"

#include <climits>

#include <stdexcept>

namespace platform::ddraw::testing {

namespace {
HeadlessPresenter& Headless()
{
    auto* presenter = dynamic_cast<HeadlessPresenter*>(&DisplayMachine::Instance().Presenter());
    if (!presenter) throw std::logic_error("the display test hooks need the headless presenter");
    return *presenter;
}
} // namespace

void ResetDisplay()
{
    platform::testing::SetDesktopMode(DesktopMode{1920, 1080, 32, 60});
    DisplayMachine::Instance().Reset();
}

void SetDesktop(int width, int height, int depth, int refreshHz, bool rgb555, bool bgr32)
{
    platform::testing::SetDesktopMode(DesktopMode{width, height, depth, refreshHz});
    DisplayMachine::Instance().SetChannelOrder(rgb555, bgr32);
}

void SetVideoMemory(DWORD totalBytes, DWORD freeBytes) { DisplayMachine::Instance().SetVideoMemory(totalBytes, freeBytes); }

void SetAdapter(const std::string& description, const std::string& driver, const GUID& guid)
{
    DisplayMachine::Instance().SetAdapter(AdapterIdentity{driver, description, guid});
}

void FailNext(const std::string& operation, HRESULT result, int times)
{
    platform::testing::FailNext(operation, result, times < 0 ? INT_MAX : times);
}

void ClearFailures() { platform::testing::ClearFailures(); }

void LoseSurfaces() { DisplayMachine::Instance().LoseAllSurfaces(); }

HWND CreateWindow(int left, int top, int width, int height)
{
    auto lock = DisplayMachine::Instance().Lock();
    return Headless().CreateWindow(RECT{left, top, left + width, top + height});
}

void MoveWindow(HWND window, int left, int top, int width, int height)
{
    auto lock = DisplayMachine::Instance().Lock();
    Headless().MoveWindow(window, RECT{left, top, left + width, top + height});
}

void MinimiseWindow(HWND window, bool minimised)
{
    auto lock = DisplayMachine::Instance().Lock();
    Headless().MinimiseWindow(window, minimised);
}

HeadlessPresenter::Frame PresentedFrame()
{
    auto lock = DisplayMachine::Instance().Lock();
    return Headless().LastFrame();
}

uint32_t PresentedPixel(int x, int y)
{
    auto lock = DisplayMachine::Instance().Lock();
    const HeadlessPresenter::Frame& frame = Headless().LastFrame();
    if (x < 0 || y < 0 || x >= frame.width || y >= frame.height) return 0;
    return frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)];
}

int PresentCount()
{
    auto lock = DisplayMachine::Instance().Lock();
    return Headless().PresentCount();
}

int PartPresentCount()
{
    auto lock = DisplayMachine::Instance().Lock();
    return Headless().PartCount();
}

int AgainPresentCount()
{
    auto lock = DisplayMachine::Instance().Lock();
    return Headless().AgainCount();
}

RECT LastPresentedPart()
{
    auto lock = DisplayMachine::Instance().Lock();
    return Headless().LastPart();
}

bool IsFullScreen()
{
    auto lock = DisplayMachine::Instance().Lock();
    return Headless().IsFullScreen();
}

size_t LiveSurfaceCount() { return DisplayMachine::Instance().LiveSurfaceCount(); }

} // namespace platform::ddraw::testing
