#include "framework/graphics/D3DTester.h"

#include "framework/base/ComRelease.h"
#include "framework/graphics/D3DHost.h"
#include "framework/graphics/DirectXErrorName.h"
#include "framework/graphics/TextureData.h"
#include "pak/PakFileFunctions.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/d3d/Direct3D.h"
#include "platform/d3d/Direct3DDevice.h"
#include "platform/ddraw/DirectDraw.h"
#include "platform/window/Desktop.h"

#include <algorithm>
#include <cctype>
#include <bit>
#include <chrono>
#include <optional>
#include <cstring>

namespace Zolt {

using namespace platform;

namespace {

constexpr int kTestSize = 100;
constexpr int kPictureSize = 64;
constexpr size_t kLineLimit = 4000;
constexpr DWORD kTextLimit = 4096;

uint32_t SquaredDistance(uint32_t a, uint32_t b)
{
    uint32_t sum = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = int(a >> shift & 0xFF) - int(b >> shift & 0xFF);
        sum += uint32_t(d * d);
    }
    return sum;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The lines of a card list read through the archive layer; false when the
// file does not open.
bool ReadCardList(const char* name, std::vector<std::string>& lines)
{
    PakFileHandle* file = PakFileOpen(name, "rb");
    if (!file)
        return false;
    std::string contents;
    char buffer[4096];
    for (;;) {
        const size_t got = PakFileRead(buffer, 1, sizeof buffer, file);
        if (got == 0)
            break;
        contents.append(buffer, got);
    }
    PakFileClose(file);
    size_t start = 0;
    while (start <= contents.size()) {
        size_t end = contents.find('\n', start);
        if (end == std::string::npos)
            end = contents.size();
        std::string line = contents.substr(start, std::min(end - start, kLineLimit));
        const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
        line.erase(line.begin(), std::find_if(line.begin(), line.end(), notSpace));
        line.erase(std::find_if(line.rbegin(), line.rend(), notSpace).base(), line.end());
        if (!line.empty())
            lines.push_back(line);
        start = end + 1;
    }
    return true;
}

bool Mentions(const std::string& lowerDescription, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        if (lowerDescription.find(Lower(line)) != std::string::npos)
            return true;
    return false;
}

DDSURFACEDESC2 EmptyDescription()
{
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    return desc;
}

} // namespace

// ----------------------------------------------------------- test image --

void D3DTestImage::Create(int w, int h)
{
    width = std::max(w, 0);
    height = std::max(h, 0);
    pixels.assign(size_t(width) * size_t(height), 0);
}

void D3DTestImage::Free()
{
    pixels.clear();
    pixels.shrink_to_fit();
    width = height = 0;
}

void D3DTestImage::FillRect(int x, int y, int w, int h, uint32_t colour)
{
    const int x0 = std::max(x, 0);
    const int y0 = std::max(y, 0);
    const int x1 = std::min(x + w, width);
    const int y1 = std::min(y + h, height);
    for (int py = y0; py < y1; ++py)
        for (int px = x0; px < x1; ++px)
            pixels[size_t(py) * size_t(width) + size_t(px)] = colour;
}

void D3DTestImage::FillStripes()
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[size_t(y) * size_t(width) + size_t(x)] = (x & 1) ? 0xFFFFFFFFu : 0xFF000000u;
}

bool D3DTestImage::CopyFrom(const DDSURFACEDESC2& locked)
{
    const DDPIXELFORMAT& f = locked.ddpfPixelFormat;
    const int bits = int(f.dwRGBBitCount);
    if (bits != 16 && bits != 32)
        return false;
    const DWORD masks[3] = {f.dwRBitMask, f.dwGBitMask, f.dwBBitMask};
    const int targets[3] = {23, 15, 7};
    const int w = std::min<int>(width, int(locked.dwWidth));
    const int h = std::min<int>(height, int(locked.dwHeight));
    for (int y = 0; y < h; ++y) {
        const auto* row = static_cast<const uint8_t*>(locked.lpSurface) + size_t(y) * size_t(locked.lPitch);
        for (int x = 0; x < w; ++x) {
            const uint32_t v = bits == 16 ? reinterpret_cast<const uint16_t*>(row)[x]
                                          : reinterpret_cast<const uint32_t*>(row)[x];
            uint32_t out = 0xFF000000u;
            for (int c = 0; c < 3; ++c) {
                if (masks[c] == 0)
                    continue;
                const int top = 31 - std::countl_zero(masks[c]);
                const uint32_t part = v & masks[c];
                const uint32_t moved = top > targets[c] ? part >> (top - targets[c]) : part << (targets[c] - top);
                out |= moved & (0xFFu << (targets[c] - 7));
            }
            pixels[size_t(y) * size_t(width) + size_t(x)] = out;
        }
    }
    return true;
}

int D3DTestImage::CountWrong(uint32_t expected, int size, bool& uniform) const
{
    int wrong = 0;
    uniform = true;
    const int n = std::min({size, width, height});
    if (n <= 0)
        return 0;
    const uint32_t first = At(0, 0);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            if (SquaredDistance(At(x, y), expected) > 768)
                ++wrong;
            if (At(x, y) != first)
                uniform = false;
        }
    return wrong;
}

int D3DTestImage::CountWrongStripes(int size) const
{
    int wrong = 0;
    const int n = std::min({size, width, height});
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (SquaredDistance(At(x, y), (x & 1) ? 0xFFFFFFu : 0u) > 768)
                ++wrong;
    return wrong;
}

// --------------------------------------------------------------- tester --

D3DTester::D3DTester(D3DHost* host) : host_(host) {}

D3DTester::~D3DTester() { Cleanup(); }

void D3DTester::SetMemoryThresholds(int minMB, int recommendedMB)
{
    minMB_ = minMB;
    recommendedMB_ = recommendedMB;
}

bool D3DTester::Fail(const std::string& text)
{
    failureReason_ = text;
    return false;
}

bool D3DTester::Warn(const std::string& text)
{
    warning_ = text;
    return true;
}

void D3DTester::CheckDX(HRESULT result, const char* step)
{
    if (FAILED(result))
        throw TestException("DXError - " + std::string(step) + ": " + DirectXErrorName(result));
}

void D3DTester::Cleanup()
{
    for (DirectDrawSurface*& texture : textures_)
        ReleaseAndClear(texture);
    ReleaseAndClear(device_);
    ReleaseAndClear(direct3D_);
    ReleaseAndClear(renderSurface_);
    ReleaseAndClear(directDraw_);
    if (key_)
        RegCloseKey(key_);
    key_ = nullptr;
    readBack_.Free();
    picture_.Free();
}

void D3DTester::Run(HWND window, DirectDraw* display)
{
    if (!(host_ && host_->IsPlayingDemo())) {
        saveNeeded_ = false;
        if (RunFullTest(window, display)) {
            RunBlendTests();
            if (saveNeeded_)
                SaveResult();
        } else if (!useCache_) {
            if (saveNeeded_)
                SaveResult();
        } else if (!saveNeeded_) {
            // A cached verdict was used, or the test stopped before it read
            // the cache: it counts as new when no verdict was stored yet.
            DWORD size = 0;
            fresh_ = !key_ || RegQueryValueExA(key_, "FailureReason", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS;
            saveNeeded_ = true;
            SaveResult();
        } else {
            SaveResult();
        }
        Cleanup();
    }
    if (host_)
        host_->RelayTestVerdict(failureReason_, warning_, fresh_);
}

void D3DTester::OpenCacheKey()
{
    const std::string app = host_ ? host_->GetRegistryKey() : std::string();
    if (app.empty())
        return;
    const std::string path = "SOFTWARE\\" + app + "\\Test3D";
    char keyClass[] = "";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key_, nullptr) != ERROR_SUCCESS)
        key_ = nullptr;
}

bool D3DTester::RunFullTest(HWND window, DirectDraw* display)
{
    try {
        Cleanup();
        driverYear_ = 0;
        if (useCache_)
            OpenCacheKey();

        if (display) {
            directDraw_ = display;
            directDraw_->AddRef();
        } else {
            HMODULE library = LoadModule("ddraw.dll");
            using CreateEx = HRESULT (*)(GUID*, void**, REFIID, IUnknown*);
            auto create = library ? GetEntryAs<CreateEx>(library, "DirectDrawCreateEx") : nullptr;
            if (!create) {
                if (library)
                    FreeModule(library);
                return Fail("No DirectDrawCreateEx");
            }
            void* object = nullptr;
            const HRESULT result = create(nullptr, &object, IID_IDirectDraw7, nullptr);
            FreeModule(library);
            CheckDX(result, "DirectDrawCreateEx");
            directDraw_ = static_cast<DirectDraw*>(object);
        }

        Identify();
        bool stop = false;
        CheckVideoMemory(stop);
        if (stop)
            return false;

        // The memory check's warning outlives the clearing below, which is
        // there for what a stale cache left in the texts.
        const std::string memoryWarning = warning_;
        if (useCache_) {
            if (ReadCachedResult())
                return false;
            saveNeeded_ = true;
        }
        failureReason_.clear();
        warning_ = memoryWarning;

        ReadDriverYear();
        if (!IsCardSupported(description_))
            Warn("Unsupported video card: " + description_);

        CreateTestObjects(window);
        return true;
    } catch (const TestException& e) {
        return Fail(e.Text());
    }
}

void D3DTester::Identify()
{
    // The adapter as the display library reports it (no separate runtime
    // with richer adapter names exists here).
    DDDEVICEIDENTIFIER2 id;
    std::memset(&id, 0, sizeof id);
    CheckDX(directDraw_->GetDeviceIdentifier(&id, 0), "GetDeviceIdentifier");
    id.szDriver[sizeof id.szDriver - 1] = '\0';
    id.szDescription[sizeof id.szDescription - 1] = '\0';
    identifier_ = id.guidDeviceIdentifier;
    driver_ = id.szDriver;
    description_ = id.szDescription;
}

void D3DTester::CheckVideoMemory(bool& stop)
{
    const DesktopMode desktop = GetDesktopMode();
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_VIDEOMEMORY;
    DWORD total = 0;
    DWORD free = 0;
    const HRESULT result = directDraw_->GetAvailableVidMem(&caps, &total, &free);
    if (FAILED(result)) {
        Warn("GetAvailableVidMem failed: " + DirectXErrorName(result));
        return;
    }
    // The desktop's own surface counts as available.
    const uint64_t bytes = uint64_t(std::max(desktop.depth, 0) / 8) * uint64_t(std::max(desktop.width, 0)) *
                               uint64_t(std::max(desktop.height, 0)) +
                           total;
    const int64_t mb = int64_t(bytes >> 20);
    if (mb < minMB_) {
        Fail("Not enough video memory.");
        stop = true;
        return;
    }
    if (mb < recommendedMB_)
        Warn("Low video memory.");
}

void D3DTester::ReadDriverYear()
{
    std::string path = driver_;
    if (path.empty())
        return;
    if (path.find('/') == std::string::npos && path.find('\\') == std::string::npos) {
        const std::string system = host_ ? host_->GetSystemDirectory() : std::string();
        if (system.empty())
            return;
        path = system + "/" + path;
    }
    const std::optional<FileTimes> times = GetFileTimes(path);
    if (!times)
        return;
    using namespace std::chrono;
    const sys_seconds when{seconds{FileTimeToUnixSeconds(times->lastWrite)}};
    driverYear_ = int(year_month_day{floor<days>(when)}.year());
}

bool D3DTester::IsCardSupported(const std::string& description)
{
    const std::string lower = Lower(description);
    std::vector<std::string> refused;
    if (ReadCardList("vhwb.dat", refused) && Mentions(lower, refused))
        return false;
    std::vector<std::string> accepted;
    if (ReadCardList("vhw.dat", accepted))
        return Mentions(lower, accepted);
    if (driverYear_ >= 2002)
        return true;
    return lower.find("nvidia") != std::string::npos || lower.find("radeon") != std::string::npos ||
           lower.find("ati ") != std::string::npos;
}

void D3DTester::CreateTestObjects(HWND window)
{
    void* object = nullptr;
    CheckDX(directDraw_->QueryInterface(IID_IDirect3D7, &object), "QueryInterface IID_IDirect3D7");
    direct3D_ = static_cast<Direct3D*>(object);
    CheckDX(directDraw_->SetCooperativeLevel(window, DDSCL_NORMAL), "SetCooperativeLevel");

    DDSURFACEDESC2 desc = EmptyDescription();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = kTestSize;
    desc.dwHeight = kTestSize;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    CheckDX(directDraw_->CreateSurface(&desc, &renderSurface_, nullptr), "CreateSurface (Primary)");
    readBack_.Create(kTestSize, kTestSize);
    CheckDX(direct3D_->CreateDevice(IID_IDirect3DHALDevice, renderSurface_, &device_), "CreateDevice");

    int formats = 0;
    auto collect = [](DDPIXELFORMAT* format, void* context) -> HRESULT {
        *static_cast<int*>(context) |= TextureFormatBitOf(*format);
        return D3DENUMRET_OK;
    };
    CheckDX(device_->EnumTextureFormats(collect, &formats), "EnumTextureFormats");
    if (!(formats & kTexA8R8G8B8)) {
        Warn("A8R8G8B8 texture format not supported.");
        if (!(formats & kTexA4R4G4B4))
            throw TestException("A4R4G4B4 and A8R8G8B8 texture formats not supported.");
    }
    textureFormat_ = (formats & kTexA8R8G8B8) ? kTexA8R8G8B8 : kTexA4R4G4B4;

    const char* steps[2] = {"CreateSurface (TextureSurface1)", "CreateSurface (TextureSurfacd2)"};
    for (int i = 0; i < 2; ++i) {
        DDSURFACEDESC2 texture = EmptyDescription();
        texture.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        texture.dwWidth = kPictureSize;
        texture.dwHeight = kPictureSize;
        texture.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        texture.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
        texture.ddpfPixelFormat = TextureFormatDescription(textureFormat_);
        CheckDX(directDraw_->CreateSurface(&texture, &textures_[i], nullptr), steps[i]);
    }
    picture_.Create(kPictureSize, kPictureSize);
}

bool D3DTester::ReadCachedResult()
{
    fresh_ = true;
    if (!key_)
        return false;
    auto readNumber = [&](const char* name, DWORD& out) {
        DWORD type = 0;
        DWORD size = sizeof out;
        return RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&out), &size) == ERROR_SUCCESS &&
               type == REG_DWORD && size == sizeof out;
    };
    auto readText = [&](const char* name, std::string& out) {
        std::vector<char> buffer(kTextLimit + 1, '\0');
        DWORD type = 0;
        DWORD size = kTextLimit;
        if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
                ERROR_SUCCESS ||
            type != REG_SZ)
            return false;
        buffer[std::min<DWORD>(size, kTextLimit)] = '\0';
        out = buffer.data();
        return true;
    };
    DWORD version = 0;
    DWORD minimum = 0;
    DWORD recommended = 0;
    if (!readNumber("Version", version) || version != kCacheVersion)
        return false;
    if (!readNumber("MinVidMemory", minimum) || minimum != DWORD(minMB_))
        return false;
    if (!readNumber("RecVidMemory", recommended) || recommended != DWORD(recommendedMB_))
        return false;
    GUID stored{};
    DWORD type = 0;
    DWORD size = sizeof stored;
    if (RegQueryValueExA(key_, "DisplayGUID", nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size) !=
            ERROR_SUCCESS ||
        type != REG_BINARY || size != sizeof stored || std::memcmp(&stored, &identifier_, sizeof stored) != 0)
        return false;
    if (!readText("FailureReason", failureReason_) || !readText("Warning", warning_))
        return false;
    fresh_ = false;
    return failureReason_.empty();
}

void D3DTester::SaveResult()
{
    if (!key_)
        return;
    const DWORD version = kCacheVersion;
    const DWORD minimum = DWORD(minMB_);
    const DWORD recommended = DWORD(recommendedMB_);
    RegSetValueExA(key_, "Version", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&version), sizeof version);
    RegSetValueExA(key_, "MinVidMemory", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&minimum), sizeof minimum);
    RegSetValueExA(key_, "RecVidMemory", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&recommended),
                   sizeof recommended);
    RegSetValueExA(key_, "DisplayGUID", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&identifier_),
                   sizeof identifier_);
    RegSetValueExA(key_, "FailureReason", 0, REG_SZ, reinterpret_cast<const BYTE*>(failureReason_.c_str()),
                   DWORD(failureReason_.size() + 1));
    RegSetValueExA(key_, "Warning", 0, REG_SZ, reinterpret_cast<const BYTE*>(warning_.c_str()),
                   DWORD(warning_.size() + 1));
}

// ------------------------------------------------------- picture tests --

void D3DTester::BeginPicture()
{
    CheckDX(device_->BeginScene(), "BeginScene");
    CheckDX(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), "Clear");
}

void D3DTester::SetState(D3DRENDERSTATETYPE state, DWORD value, const char* step)
{
    CheckDX(device_->SetRenderState(state, value), step);
}

void D3DTester::UploadPicture()
{
    DirectDrawSurface* texture = textures_[0];
    DDSURFACEDESC2 desc = EmptyDescription();
    CheckDX(texture->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr), "Lock Texture");
    for (int y = 0; y < kPictureSize; ++y) {
        uint8_t* row = static_cast<uint8_t*>(desc.lpSurface) + size_t(y) * size_t(desc.lPitch);
        for (int x = 0; x < kPictureSize; ++x) {
            const uint32_t p = picture_.At(x, y);
            if (textureFormat_ == kTexA8R8G8B8)
                reinterpret_cast<uint32_t*>(row)[x] = p;
            else
                reinterpret_cast<uint16_t*>(row)[x] = uint16_t((p >> 28 & 0xF) << 12 | (p >> 20 & 0xF) << 8 |
                                                               (p >> 12 & 0xF) << 4 | (p >> 4 & 0xF));
        }
    }
    CheckDX(texture->Unlock(nullptr), "Texture Unlock");
}

void D3DTester::DrawPicture(int x, int y, uint32_t vertexColour)
{
    UploadPicture();
    CheckDX(device_->SetTexture(0, textures_[0]), "SetTexture theTexture");
    const float left = float(x) - 0.5f;
    const float top = float(y) - 0.5f;
    const float size = float(kPictureSize);
    D3DTLVERTEX v[4] = {{left, top, 0, 1, vertexColour, 0, 0, 0},
                        {left + size, top, 0, 1, vertexColour, 0, 1, 0},
                        {left, top + size, 0, 1, vertexColour, 0, 0, 1},
                        {left + size, top + size, 0, 1, vertexColour, 0, 1, 1}};
    CheckDX(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, v, 4, D3DDP_WAIT), "DrawPrimitive");
    CheckDX(device_->SetTexture(0, nullptr), "SetTexture NULL");
}

void D3DTester::EndPicture()
{
    CheckDX(device_->EndScene(), "EndScene");
    DDSURFACEDESC2 desc = EmptyDescription();
    CheckDX(renderSurface_->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), "CopyPrimary Lock");
    const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
    const bool copied = readBack_.CopyFrom(desc);
    renderSurface_->Unlock(nullptr);
    if (!copied)
        throw TestException(bits == 24 ? "Can't test 24-bit mode." : "Invalid Color Depth");
}

bool D3DTester::CheckBlend(uint32_t expected, const char* notUniform, const char* wrong)
{
    bool uniform = true;
    if (readBack_.CountWrong(expected, 10, uniform) > 0)
        return Fail(wrong);
    if (!uniform)
        Warn(notUniform);
    return true;
}

bool D3DTester::RunBlendTests()
{
    if (!device_)
        return false;
    try {
        auto alphaStates = [&] {
            SetState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE, "D3DRENDERSTATE_ALPHABLENDENABLE, TRUE");
            SetState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA, "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA");
            SetState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA, "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA");
            SetState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE, "D3DRENDERSTATE_CULLMODE, D3DCULL_NONE");
        };

        // Alpha: half-transparent red over blue.
        BeginPicture();
        alphaStates();
        picture_.FillRect(0, 0, kPictureSize, kPictureSize, 0xFF0000FF);
        DrawPicture(0, 0, 0xFFFFFFFF);
        picture_.FillRect(0, 0, kPictureSize, kPictureSize, 0x80FF0000);
        DrawPicture(0, 0, 0xFFFFFFFF);
        EndPicture();
        if (!CheckBlend(0x7F007F, "Alpha blend test not uniform.", "Alpha blend Not Supported"))
            return false;

        // Additive: grey added to itself.
        BeginPicture();
        SetState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE, "D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE");
        SetState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE, "D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE");
        picture_.FillRect(0, 0, kPictureSize, kPictureSize, 0xFF404040);
        DrawPicture(0, 0, 0xFFFFFFFF);
        DrawPicture(0, 0, 0xFFFFFFFF);
        EndPicture();
        if (!CheckBlend(0x808080, "Additive blend test not uniform.", "Additive blend not supported."))
            return false;

        // Alpha-add: half of a lighter grey added.
        BeginPicture();
        SetState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA, "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA");
        SetState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE, "D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE");
        picture_.FillRect(0, 0, kPictureSize, kPictureSize, 0xFF404040);
        DrawPicture(0, 0, 0xFFFFFFFF);
        picture_.FillRect(0, 0, kPictureSize, kPictureSize, 0x80808080);
        DrawPicture(0, 0, 0xFFFFFFFF);
        EndPicture();
        if (!CheckBlend(0x808080, "AlphaAdd blend test not uniform.", "AlphaAdd blend not supported."))
            return false;

        // Alpha modulated: the vertex colour's alpha makes opaque red half.
        BeginPicture();
        alphaStates();
        CheckDX(device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE), "D3DTSS_ALPHAOP, D3DTOP_MODULATE");
        picture_.FillRect(0, 0, kPictureSize, kPictureSize, 0xFF0000FF);
        DrawPicture(0, 0, 0xFFFFFFFF);
        picture_.FillRect(0, 0, kPictureSize, kPictureSize, 0xFFFF0000);
        DrawPicture(0, 0, 0x80FFFFFF);
        EndPicture();
        if (!CheckBlend(0x7F007F, "AlphaModulated blend test not uniform.", "AlphaModulated blend not supported."))
            return false;

        // Clip: stripes drawn partly off the surface keep their places.
        BeginPicture();
        alphaStates();
        picture_.FillStripes();
        DrawPicture(-2, -2, 0xFFFFFFFF);
        EndPicture();
        if (readBack_.CountWrongStripes(kPictureSize - 2) > 0)
            Warn("Clip problem detected.");
        return true;
    } catch (const TestException& e) {
        return Fail(e.Text());
    }
}

} // namespace Zolt
