#include "platform/ddraw/DDrawTesting.h"

#include "platform/ddraw/DisplayMachine.h"

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

void ResetDisplay() { DisplayMachine::Instance().Reset(); }

void SetDesktop(int width, int height, int depth, int refreshHz, bool rgb555, bool bgr32)
{
    DisplayMachine& machine = DisplayMachine::Instance();
    machine.SetChannelOrder(rgb555, bgr32);
    machine.SetDesktop(DisplayMode{width, height, depth, refreshHz});
}

void SetVideoMemory(DWORD totalBytes, DWORD freeBytes) { DisplayMachine::Instance().SetVideoMemory(totalBytes, freeBytes); }

void SetAdapter(const std::string& description, const std::string& driver, const GUID& guid)
{
    DisplayMachine::Instance().SetAdapter(AdapterIdentity{driver, description, guid});
}

void FailNext(const std::string& operation, HRESULT result, int times)
{
    DisplayMachine::Instance().FailNext(operation, result, times);
}

void ClearFailures() { DisplayMachine::Instance().ClearFailures(); }

void LoseSurfaces() { DisplayMachine::Instance().LoseAllSurfaces(); }

HWND CreateWindow(int left, int top, int width, int height)
{
    return Headless().CreateWindow(RECT{left, top, left + width, top + height});
}

void MoveWindow(HWND window, int left, int top, int width, int height)
{
    Headless().MoveWindow(window, RECT{left, top, left + width, top + height});
}

void MinimiseWindow(HWND window, bool minimised) { Headless().MinimiseWindow(window, minimised); }

HeadlessPresenter::Frame PresentedFrame() { return Headless().LastFrame(); }

uint32_t PresentedPixel(int x, int y)
{
    const HeadlessPresenter::Frame& frame = Headless().LastFrame();
    if (x < 0 || y < 0 || x >= frame.width || y >= frame.height) return 0;
    return frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)];
}

int PresentCount() { return Headless().PresentCount(); }

bool IsFullScreen() { return Headless().IsFullScreen(); }

} // namespace platform::ddraw::testing
