#include "platform/ddraw/DirectDrawPalette.h"

#include <cstring>

namespace platform {

DirectDrawPalette* DirectDrawPalette::Create(DWORD caps, const PALETTEENTRY* entries)
{
    return new DirectDrawPalette(caps, entries);
}

DirectDrawPalette::DirectDrawPalette(DWORD caps, const PALETTEENTRY* entries) : caps_(caps)
{
    std::memcpy(entries_.data(), entries, sizeof entries_);
    Recolour(0, 256);
}

HRESULT DirectDrawPalette::QueryInterface(REFIID iid, void** out)
{
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!(iid == IID_IDirectDrawPalette) && !(iid == IID_IUnknown)) return E_NOINTERFACE;
    AddRef();
    *out = this;
    return DD_OK;
}

ULONG DirectDrawPalette::AddRef() { return ++references_; }

ULONG DirectDrawPalette::Release()
{
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT DirectDrawPalette::GetCaps(DWORD* caps)
{
    if (!caps) return DDERR_INVALIDPARAMS;
    *caps = caps_;
    return DD_OK;
}

HRESULT DirectDrawPalette::GetEntries(DWORD, DWORD start, DWORD count, PALETTEENTRY* entries)
{
    if (!entries || start > 256 || count > 256 - start) return DDERR_INVALIDPARAMS;
    std::memcpy(entries, entries_.data() + start, count * sizeof(PALETTEENTRY));
    return DD_OK;
}

HRESULT DirectDrawPalette::SetEntries(DWORD, DWORD start, DWORD count, const PALETTEENTRY* entries)
{
    if (!entries || start > 256 || count > 256 - start) return DDERR_INVALIDPARAMS;
    std::memcpy(entries_.data() + start, entries, count * sizeof(PALETTEENTRY));
    Recolour(start, count);
    return DD_OK;
}

void DirectDrawPalette::Recolour(DWORD start, DWORD count)
{
    for (DWORD i = start; i < start + count; ++i) {
        const PALETTEENTRY& e = entries_[i];
        uint32_t alpha = (caps_ & DDPCAPS_ALPHA) ? e.peFlags : 255u;
        argb_[i] = alpha << 24 | uint32_t(e.peRed) << 16 | uint32_t(e.peGreen) << 8 | e.peBlue;
    }
}

} // namespace platform
