// Set-up, scenes, states, errors, the texture register and the untextured
// drawing calls of the Direct3D path. Blits and textured triangles are in
// D3DInterfaceBlit.cpp.
#include "framework/graphics/D3DInterface.h"

#include "framework/base/ComRelease.h"
#include "framework/graphics/D3DHost.h"
#include "framework/graphics/D3DTester.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/DirectXErrorName.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/d3d/Direct3D.h"
#include "platform/d3d/Direct3DDevice.h"
#include "platform/ddraw/DirectDraw.h"
#include "platform/window/Window.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace Zolt {

using namespace platform;

namespace {

constexpr size_t kInlineVertices = 100;

D3DTLVERTEX Vertex(float x, float y, uint32_t colour, float u = 0, float v = 0)
{
    return D3DTLVERTEX{x, y, 0.0f, 1.0f, colour, 0, u, v};
}

float FieldOf(const D3DTLVERTEX& v, ClipField field)
{
    switch (field) {
    case ClipField::X: return v.sx;
    case ClipField::Y: return v.sy;
    case ClipField::U: return v.tu;
    case ClipField::V: return v.tv;
    }
    return 0;
}

// A towards B at t; the colour channel by channel, truncated toward zero.
D3DTLVERTEX Crossing(const D3DTLVERTEX& a, const D3DTLVERTEX& b, float t)
{
    D3DTLVERTEX out = a;
    out.sx = a.sx + (b.sx - a.sx) * t;
    out.sy = a.sy + (b.sy - a.sy) * t;
    out.tu = a.tu + (b.tu - a.tu) * t;
    out.tv = a.tv + (b.tv - a.tv) * t;
    uint32_t colour = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const int ca = int(a.color >> shift & 0xFF);
        const int cb = int(b.color >> shift & 0xFF);
        const int c = std::clamp(ca + int(float(cb - ca) * t), 0, 255);
        colour |= uint32_t(c) << shift;
    }
    out.color = colour;
    return out;
}

} // namespace

void ClipPolygon(const std::vector<D3DTLVERTEX>& in, std::vector<D3DTLVERTEX>& out, ClipField field, float bound,
                 bool keepAbove)
{
    out.clear();
    if (in.size() < 2)
        return;
    auto inside = [&](const D3DTLVERTEX& v) {
        const float f = FieldOf(v, field);
        return keepAbove ? f >= bound : f <= bound;
    };
    const D3DTLVERTEX* a = &in.back();
    for (const D3DTLVERTEX& b : in) {
        const bool aIn = inside(*a);
        const bool bIn = inside(b);
        if (aIn != bIn) {
            const float fa = FieldOf(*a, field);
            const float fb = FieldOf(b, field);
            out.push_back(Crossing(*a, b, (bound - fa) / (fb - fa)));
        }
        if (bIn)
            out.push_back(b);
        a = &b;
    }
}

D3DInterface::D3DInterface(D3DHost* host) : host_(host)
{
    vertices_.reserve(kInlineVertices);
    scratch_.reserve(kInlineVertices);
}

D3DInterface::~D3DInterface()
{
    Cleanup();
    // Records that outlived the path (none after Cleanup) must not call back.
    for (MemoryImage* image : textured_)
        if (auto* record = dynamic_cast<TextureData*>(image->GetTexture()))
            record->owner = nullptr;
    textured_.clear();
}

Display3DPath::TestResult D3DInterface::RunCapabilityTest(HWND window, DirectDraw* directDraw, int minVideoMemoryMB,
                                                          int recommendedVideoMemoryMB)
{
    tester_ = std::make_unique<D3DTester>(host_);
    tester_->SetMemoryThresholds(minVideoMemoryMB, recommendedVideoMemoryMB);
    tester_->Run(window, directDraw);
    TestResult result;
    result.fresh = tester_->IsFresh();
    result.failed = !tester_->GetFailureReason().empty();
    result.warned = !tester_->GetWarning().empty();
    return result;
}

bool D3DInterface::CheckResult(HRESULT result, const char* step)
{
    if (!FAILED(result))
        return false;
    lastError_ = std::string(step) + ": " + DirectXErrorName(result);
    if (host_)
        host_->WriteRegistryText("Test3D\\RuntimeError", lastError_);
    return true;
}

bool D3DInterface::Initialize(DDInterface* display)
{
    lastError_.clear();
    Cleanup();
    display_ = display;
    if (!display || !display->GetDirectDraw() || !display->GetDrawSurface()) {
        lastError_ = "No display surfaces";
        return false;
    }
    directDraw_ = display->GetDirectDraw();
    directDraw_->AddRef();
    // The window the display set its cooperative level for.
    window_ = directDraw_->Window();
    drawWidth_ = display->GetDrawWidth();
    drawHeight_ = display->GetDrawHeight();
    void* surface = nullptr;
    if (CheckResult(display->GetDrawSurface()->QueryInterface(IID_IDirectDrawSurface7, &surface),
                    "Query DrawSurface")) {
        ReleaseDevice();
        return false;
    }
    drawSurface_ = static_cast<DirectDrawSurface*>(surface);
    windowed_ = display->IsWindowed();
    if (!CreateDevice()) {
        ReleaseDevice();
        return false;
    }
    return true;
}

bool D3DInterface::CreateDevice()
{
    void* object = nullptr;
    if (CheckResult(directDraw_->QueryInterface(IID_IDirect3D7, &object), "QueryInterface IID_IDirect3D7"))
        return false;
    direct3D_ = static_cast<Direct3D*>(object);
    if (CheckResult(direct3D_->CreateDevice(IID_IDirect3DHALDevice, drawSurface_, &device_),
                    "CreateDevice IID_IDirect3DHALDevice")) {
        device_ = nullptr;
        return false;
    }

    D3DDEVICEDESC7 caps{};
    if (CheckResult(device_->GetCaps(&caps), "GetCaps"))
        return false;
    if (caps.dwMaxTextureWidth == 0) {
        limits_ = TextureLimits{64, 64, 64, 64, 1};
    } else {
        limits_.minWidth = int(std::max<DWORD>(caps.dwMinTextureWidth, 1));
        limits_.minHeight = int(std::max<DWORD>(caps.dwMinTextureHeight, 1));
        limits_.maxWidth = int(std::min<DWORD>(caps.dwMaxTextureWidth, 1024));
        limits_.maxHeight = int(std::min<DWORD>(std::max<DWORD>(caps.dwMaxTextureHeight, 1), 1024));
        limits_.maxAspect = caps.dwMaxTextureAspectRatio == 0 ? 65536 : int(std::min<DWORD>(caps.dwMaxTextureAspectRatio, 65536));
        // A card whose minimum lies above its maximum is held to the maximum.
        limits_.minWidth = std::min(limits_.minWidth, limits_.maxWidth);
        limits_.minHeight = std::min(limits_.minHeight, limits_.maxHeight);
    }
    linearFilter_ = false;

    supportedFormats_ = 0;
    auto collect = [](DDPIXELFORMAT* format, void* context) -> HRESULT {
        *static_cast<int*>(context) |= TextureFormatBitOf(*format);
        return D3DENUMRET_OK;
    };
    if (CheckResult(device_->EnumTextureFormats(collect, &supportedFormats_), "EnumTextureFormats"))
        return false;
    if (!(caps.dpcTriCaps.dwTextureCaps & D3DPTEXTURECAPS_ALPHAPALETTE))
        supportedFormats_ &= ~kTexPalette8;

    // The viewport covers the window's client area, and never less than the
    // draw buffer (a client area smaller than the buffer must not cut what
    // is drawn).
    int width = drawWidth_;
    int height = drawHeight_;
    RECT client{};
    if (window_ && GetClientRect(window_, &client)) {
        POINT topLeft{client.left, client.top};
        POINT bottomRight{client.right, client.bottom};
        ClientToScreen(window_, &topLeft);
        ClientToScreen(window_, &bottomRight);
        width = std::max<int>(width, bottomRight.x - topLeft.x);
        height = std::max<int>(height, bottomRight.y - topLeft.y);
    }
    viewport_ = D3DVIEWPORT7{0, 0, DWORD(width), DWORD(height), 0.0f, 1.0f};
    if (CheckResult(device_->SetViewport(&viewport_), "SetViewport"))
        return false;
    if (CheckResult(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), "Clear"))
        return false;
    return true;
}

void D3DInterface::ReleaseDevice()
{
    ReleaseAndClear(device_);
    ReleaseAndClear(direct3D_);
    ReleaseAndClear(drawSurface_);
    ReleaseAndClear(directDraw_);
}

void D3DInterface::Cleanup()
{
    FinishScene();
    DeleteAllTextures();
    ReleaseDevice();
    transforms_.clear();
}

void D3DInterface::DeleteAllTextures()
{
    std::set<MemoryImage*> images;
    {
        // Taken out under the lock, deleted outside the set's iteration.
        if (display_) {
            CriticalSectionLock guard(display_->GetLock());
            images.swap(textured_);
        } else {
            images.swap(textured_);
        }
    }
    for (MemoryImage* image : images) {
        if (auto* record = dynamic_cast<TextureData*>(image->GetTexture()))
            record->owner = nullptr;
        TextureRecordOf(*image).reset();
    }
}

void D3DInterface::ForgetImage(MemoryImage* image)
{
    if (display_) {
        CriticalSectionLock guard(display_->GetLock());
        textured_.erase(image);
    } else {
        textured_.erase(image);
    }
}

void D3DInterface::ReleaseImageTextures(MemoryImage* image)
{
    if (!image || !image->GetTexture())
        return;
    TextureRecordOf(*image).reset(); // the record's destructor takes it out of the set
}

size_t D3DInterface::TexturedImageCount() const
{
    if (!display_)
        return textured_.size();
    CriticalSectionLock guard(display_->GetLock());
    return textured_.size();
}

void D3DInterface::TextureStatistics(int counts[4], size_t bytes[4]) const
{
    std::unique_ptr<CriticalSectionLock> guard;
    if (display_)
        guard = std::make_unique<CriticalSectionLock>(display_->GetLock());
    for (int i = 0; i < 4; ++i) {
        counts[i] = 0;
        bytes[i] = 0;
    }
    for (MemoryImage* image : textured_) {
        auto* record = dynamic_cast<TextureData*>(image->GetTexture());
        if (!record || record->format == 0)
            continue;
        const int index = std::countr_zero(unsigned(record->format));
        if (index < 4) {
            ++counts[index];
            bytes[index] += record->memoryBytes;
        }
    }
}

void D3DInterface::FinishScene()
{
    if (!sceneOpen_)
        return;
    if (device_)
        device_->EndScene();
    sceneOpen_ = false;
    lastError_.clear();
}

bool D3DInterface::BeginDraw()
{
    if (!device_)
        return false;
    if (window_ && IsIconic(window_))
        return false;
    if (sceneOpen_)
        return true;
    if (FAILED(device_->SetRenderTarget(drawSurface_, 0))) {
        renderTargetLost_ = true;
        return false;
    }
    renderTargetLost_ = false;
    if (CheckResult(device_->BeginScene(), "BeginScene"))
        return false;
    struct State {
        D3DRENDERSTATETYPE state;
        DWORD value;
    };
    const State states[] = {
        {D3DRENDERSTATE_ALPHABLENDENABLE, 1},     {D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA},
        {D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA}, {D3DRENDERSTATE_LIGHTING, 0},
        {D3DRENDERSTATE_DITHERENABLE, 0},         {D3DRENDERSTATE_SPECULARENABLE, 0},
        {D3DRENDERSTATE_ZWRITEENABLE, 0},         {D3DRENDERSTATE_ZENABLE, 0},
        {D3DRENDERSTATE_CULLMODE, D3DCULL_NONE},
    };
    for (const State& s : states)
        CheckResult(device_->SetRenderState(s.state, s.value), "SetRenderState");
    CheckResult(device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_POINT), "SetTextureStageState");
    CheckResult(device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_POINT), "SetTextureStageState");
    CheckResult(device_->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTFP_NONE), "SetTextureStageState");
    CheckResult(device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE), "SetTextureStageState");
    CheckResult(device_->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP), "SetTextureStageState");
    CheckResult(device_->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP), "SetTextureStageState");
    sceneOpen_ = true;
    linearFilter_ = false;
    return true;
}

void D3DInterface::SetBlendMode(int drawMode)
{
    CheckResult(device_->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA), "SetRenderState");
    CheckResult(device_->SetRenderState(D3DRENDERSTATE_DESTBLEND,
                                        drawMode == DrawMode::Normal ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE),
                "SetRenderState");
}

void D3DInterface::SetLinearFilter(bool linear)
{
    if (linear == linearFilter_)
        return;
    linearFilter_ = linear;
    const char* step = linear ? "SetTextureStageState LINEAR" : "SetTextureStageState Point";
    CheckResult(device_->SetTextureStageState(0, D3DTSS_MINFILTER, linear ? D3DTFN_LINEAR : D3DTFN_POINT), step);
    CheckResult(device_->SetTextureStageState(0, D3DTSS_MAGFILTER, linear ? D3DTFG_LINEAR : D3DTFG_POINT), step);
    CheckResult(device_->SetTextureStageState(0, D3DTSS_MIPFILTER, linear ? D3DTFP_POINT : D3DTFP_NONE), step);
}

void D3DInterface::PushTransform(const AffineMatrix& matrix) { transforms_.push_back(matrix); }

void D3DInterface::PopTransform()
{
    if (!transforms_.empty())
        transforms_.pop_back();
}

void D3DInterface::ApplyStack(float& x, float& y) const
{
    if (transforms_.empty())
        return;
    const AffineMatrix::Point p = transforms_.back().MapPoint(x, y);
    x = p.x;
    y = p.y;
}

bool D3DInterface::DrawFan(std::vector<D3DTLVERTEX>& polygon, const Rect& clip, const char* step)
{
    const float left = float(clip.x);
    const float top = float(clip.y);
    const float right = float(clip.x) + float(clip.width);
    const float bottom = float(clip.y) + float(clip.height);
    ClipPolygon(polygon, scratch_, ClipField::X, left, true);
    ClipPolygon(scratch_, polygon, ClipField::Y, top, true);
    ClipPolygon(polygon, scratch_, ClipField::X, right, false);
    ClipPolygon(scratch_, polygon, ClipField::Y, bottom, false);
    if (polygon.size() < 3)
        return true;
    return !CheckResult(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DFVF_TLVERTEX, polygon.data(),
                                               DWORD(polygon.size()), 0),
                        step);
}

void D3DInterface::FillRect(const Rect& rect, const Color& color, int drawMode)
{
    if (!BeginDraw())
        return;
    SetBlendMode(drawMode);
    if (CheckResult(device_->SetTexture(0, nullptr), "SetTexture NULL"))
        return;
    const uint32_t colour = color.ToPacked();
    float corners[4][2] = {{float(rect.x), float(rect.y)},
                           {float(rect.x + rect.width), float(rect.y)},
                           {float(rect.x), float(rect.y + rect.height)},
                           {float(rect.x + rect.width), float(rect.y + rect.height)}};
    D3DTLVERTEX v[4];
    for (int i = 0; i < 4; ++i) {
        ApplyStack(corners[i][0], corners[i][1]);
        v[i] = Vertex(corners[i][0] - 0.5f, corners[i][1] - 0.5f, colour);
    }
    CheckResult(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, v, 4, 0), "DrawPrimitive (Rect)");
}

void D3DInterface::DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (!BeginDraw())
        return;
    SetBlendMode(drawMode);
    if (CheckResult(device_->SetTexture(0, nullptr), "SetTexture NULL"))
        return;
    const uint32_t colour = color.ToPacked();
    float p[3][2] = {{float(x1), float(y1)}, {float(x2), float(y2)}, {float(x2 + 0.5), float(y2 + 0.5)}};
    D3DTLVERTEX v[3];
    for (int i = 0; i < 3; ++i) {
        ApplyStack(p[i][0], p[i][1]);
        v[i] = Vertex(p[i][0], p[i][1], colour);
    }
    CheckResult(device_->DrawPrimitive(D3DPT_LINESTRIP, D3DFVF_TLVERTEX, v, 3, 0), "DrawPrimitive (Line)");
}

bool D3DInterface::FillPolygon(const Point* points, int count, const Rect& clip, const Color& color, int drawMode,
                               int offsetX, int offsetY, bool flag)
{
    (void)flag; // no variant of the fill depends on it here
    if (!points || count < 3 || !BeginDraw())
        return true;
    SetBlendMode(drawMode);
    if (CheckResult(device_->SetTexture(0, nullptr), "SetTexture NULL"))
        return true;
    const uint32_t colour = color.ToPacked();
    vertices_.clear();
    for (int i = 0; i < count; ++i) {
        float x = float(points[i].x + offsetX);
        float y = float(points[i].y + offsetY);
        ApplyStack(x, y);
        vertices_.push_back(Vertex(x - 0.5f, y - 0.5f, colour));
    }
    DrawFan(vertices_, clip, "DrawPrimitive (FillPoly)");
    return true;
}

} // namespace Zolt
