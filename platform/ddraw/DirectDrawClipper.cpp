#include "platform/ddraw/DirectDrawClipper.h"

#include "platform/ddraw/DisplayMachine.h"

namespace platform {

DirectDrawClipper* DirectDrawClipper::Create() { return new DirectDrawClipper(); }

HRESULT DirectDrawClipper::QueryInterface(REFIID iid, void** out)
{
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!(iid == IID_IDirectDrawClipper) && !(iid == IID_IUnknown)) return E_NOINTERFACE;
    AddRef();
    *out = this;
    return DD_OK;
}

ULONG DirectDrawClipper::AddRef() { return ++references_; }

ULONG DirectDrawClipper::Release()
{
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT DirectDrawClipper::SetHWnd(DWORD flags, HWND window)
{
    if (HRESULT hr = ddraw::DisplayMachine::Instance().TakeFailure("SetHWnd"); FAILED(hr)) return hr;
    if (flags != 0) return DDERR_INVALIDPARAMS;
    window_ = window;
    return DD_OK;
}

HRESULT DirectDrawClipper::GetHWnd(HWND* window)
{
    if (!window) return DDERR_INVALIDPARAMS;
    *window = window_;
    return DD_OK;
}

HRESULT DirectDrawClipper::IsClipListChanged(BOOL* changed)
{
    if (!changed) return DDERR_INVALIDPARAMS;
    *changed = FALSE;
    return DD_OK;
}

} // namespace platform
