// The clipper: ties a surface's blits to a window's client area. Only the
// window form is offered (no clip lists): the display attaches one to the
// primary so that windowed presents stay inside the window.
//
// Threads: whoever holds the display's lock; no lock of its own (the reference
// count is atomic because clipper references are dropped from any thread).
#pragma once

#include "platform/ddraw/DDrawTypes.h"

#include <atomic>

namespace platform {

class DirectDrawClipper final : public IUnknown {
public:
    // A new clipper with one reference.
    static DirectDrawClipper* Create();

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT SetHWnd(DWORD flags, HWND window);
    HRESULT GetHWnd(HWND* window);
    HRESULT IsClipListChanged(BOOL* changed);

    HWND Window() const { return window_; }

private:
    DirectDrawClipper() = default;
    ~DirectDrawClipper() override = default;

    std::atomic<ULONG> references_{1};
    HWND window_ = nullptr;
};

using IDirectDrawClipper = DirectDrawClipper;
using LPDIRECTDRAWCLIPPER = DirectDrawClipper*;

} // namespace platform
