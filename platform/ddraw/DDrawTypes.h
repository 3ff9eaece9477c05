// The DirectDraw-shaped numbers and records the display code is written
// against: flags, capability bits, result codes and the description records,
// declared here with the Win32 numeric values because the display's
// algorithms branch on them bit by bit.
//
// Pointer fields make the records larger than on 32-bit Windows; callers fill
// dwSize with sizeof(the record), never with a literal.
#pragma once

#include "platform/core/Types.h"
#include "platform/window/WindowTypes.h" // HWND, HDC, RECT

namespace platform {

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
inline bool operator==(const GUID& a, const GUID& b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}
using REFIID = const GUID&;

constexpr GUID IID_IDirectDraw = {0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID IID_IDirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
constexpr GUID IID_IDirectDrawSurface = {0x6C14DB81, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID IID_IDirectDrawSurface7 = {0x06675A80, 0x3B9B, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
constexpr GUID IID_IDirectDrawClipper = {0x6C14DB85, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The reference-counted object root of the DirectDraw family.
class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

// ---------------------------------------------------------------- results --
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);

constexpr HRESULT MakeDDResult(DWORD code) { return static_cast<HRESULT>(0x88760000u | code); }

constexpr HRESULT DD_OK = S_OK;
constexpr HRESULT DD_FALSE = S_FALSE;
constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DDERR_NOTINITIALIZED = CO_E_NOTINITIALIZED;
constexpr HRESULT DDERR_ALREADYINITIALIZED = MakeDDResult(5);
constexpr HRESULT DDERR_CANNOTATTACHSURFACE = MakeDDResult(10);
constexpr HRESULT DDERR_CANNOTDETACHSURFACE = MakeDDResult(20);
constexpr HRESULT DDERR_CURRENTLYNOTAVAIL = MakeDDResult(40);
constexpr HRESULT DDERR_EXCEPTION = MakeDDResult(55);
constexpr HRESULT DDERR_HEIGHTALIGN = MakeDDResult(90);
constexpr HRESULT DDERR_INCOMPATIBLEPRIMARY = MakeDDResult(95);
constexpr HRESULT DDERR_INVALIDCAPS = MakeDDResult(100);
constexpr HRESULT DDERR_INVALIDCLIPLIST = MakeDDResult(110);
constexpr HRESULT DDERR_INVALIDMODE = MakeDDResult(120);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDDResult(130);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeDDResult(145);
constexpr HRESULT DDERR_INVALIDRECT = MakeDDResult(150);
constexpr HRESULT DDERR_LOCKEDSURFACES = MakeDDResult(160);
constexpr HRESULT DDERR_NO3D = MakeDDResult(170);
constexpr HRESULT DDERR_NOALPHAHW = MakeDDResult(180);
constexpr HRESULT DDERR_NOSTEREOHARDWARE = MakeDDResult(181);
constexpr HRESULT DDERR_NOSURFACELEFT = MakeDDResult(182);
constexpr HRESULT DDERR_NOCLIPLIST = MakeDDResult(205);
constexpr HRESULT DDERR_NOCOLORCONVHW = MakeDDResult(210);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = MakeDDResult(212);
constexpr HRESULT DDERR_NOCOLORKEY = MakeDDResult(215);
constexpr HRESULT DDERR_NOCOLORKEYHW = MakeDDResult(220);
constexpr HRESULT DDERR_NODIRECTDRAWSUPPORT = MakeDDResult(222);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDDResult(225);
constexpr HRESULT DDERR_NOFLIPHW = MakeDDResult(230);
constexpr HRESULT DDERR_NOGDI = MakeDDResult(240);
constexpr HRESULT DDERR_NOMIRRORHW = MakeDDResult(250);
constexpr HRESULT DDERR_NOTFOUND = MakeDDResult(255);
constexpr HRESULT DDERR_NOOVERLAYHW = MakeDDResult(260);
constexpr HRESULT DDERR_OVERLAPPINGRECTS = MakeDDResult(270);
constexpr HRESULT DDERR_NORASTEROPHW = MakeDDResult(280);
constexpr HRESULT DDERR_NOROTATIONHW = MakeDDResult(290);
constexpr HRESULT DDERR_NOSTRETCHHW = MakeDDResult(310);
constexpr HRESULT DDERR_NOT4BITCOLOR = MakeDDResult(316);
constexpr HRESULT DDERR_NOT4BITCOLORINDEX = MakeDDResult(317);
constexpr HRESULT DDERR_NOT8BITCOLOR = MakeDDResult(320);
constexpr HRESULT DDERR_NOTEXTUREHW = MakeDDResult(330);
constexpr HRESULT DDERR_NOVSYNCHW = MakeDDResult(335);
constexpr HRESULT DDERR_NOZBUFFERHW = MakeDDResult(340);
constexpr HRESULT DDERR_NOZOVERLAYHW = MakeDDResult(350);
constexpr HRESULT DDERR_OUTOFCAPS = MakeDDResult(360);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeDDResult(380);
constexpr HRESULT DDERR_OVERLAYCANTCLIP = MakeDDResult(382);
constexpr HRESULT DDERR_OVERLAYCOLORKEYONLYONEACTIVE = MakeDDResult(384);
constexpr HRESULT DDERR_PALETTEBUSY = MakeDDResult(387);
constexpr HRESULT DDERR_COLORKEYNOTSET = MakeDDResult(400);
constexpr HRESULT DDERR_SURFACEALREADYATTACHED = MakeDDResult(410);
constexpr HRESULT DDERR_SURFACEALREADYDEPENDENT = MakeDDResult(420);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDDResult(430);
constexpr HRESULT DDERR_CANTLOCKSURFACE = MakeDDResult(435);
constexpr HRESULT DDERR_SURFACEISOBSCURED = MakeDDResult(440);
constexpr HRESULT DDERR_SURFACELOST = MakeDDResult(450);
constexpr HRESULT DDERR_SURFACENOTATTACHED = MakeDDResult(460);
constexpr HRESULT DDERR_TOOBIGHEIGHT = MakeDDResult(470);
constexpr HRESULT DDERR_TOOBIGSIZE = MakeDDResult(480);
constexpr HRESULT DDERR_TOOBIGWIDTH = MakeDDResult(490);
constexpr HRESULT DDERR_UNSUPPORTEDFORMAT = MakeDDResult(510);
constexpr HRESULT DDERR_UNSUPPORTEDMASK = MakeDDResult(520);
constexpr HRESULT DDERR_INVALIDSTREAM = MakeDDResult(521);
constexpr HRESULT DDERR_VERTICALBLANKINPROGRESS = MakeDDResult(537);
constexpr HRESULT DDERR_WASSTILLDRAWING = MakeDDResult(540);
constexpr HRESULT DDERR_DDSCAPSCOMPLEXREQUIRED = MakeDDResult(542);
constexpr HRESULT DDERR_XALIGN = MakeDDResult(560);
constexpr HRESULT DDERR_INVALIDDIRECTDRAWGUID = MakeDDResult(561);
constexpr HRESULT DDERR_DIRECTDRAWALREADYCREATED = MakeDDResult(562);
constexpr HRESULT DDERR_NODIRECTDRAWHW = MakeDDResult(563);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDDResult(564);
constexpr HRESULT DDERR_NOEMULATION = MakeDDResult(565);
constexpr HRESULT DDERR_REGIONTOOSMALL = MakeDDResult(566);
constexpr HRESULT DDERR_CLIPPERISUSINGHWND = MakeDDResult(567);
constexpr HRESULT DDERR_NOCLIPPERATTACHED = MakeDDResult(568);
constexpr HRESULT DDERR_NOHWND = MakeDDResult(569);
constexpr HRESULT DDERR_HWNDSUBCLASSED = MakeDDResult(570);
constexpr HRESULT DDERR_HWNDALREADYSET = MakeDDResult(571);
constexpr HRESULT DDERR_NOPALETTEATTACHED = MakeDDResult(572);
constexpr HRESULT DDERR_NOPALETTEHW = MakeDDResult(573);
constexpr HRESULT DDERR_BLTFASTCANTCLIP = MakeDDResult(574);
constexpr HRESULT DDERR_NOBLTHW = MakeDDResult(575);
constexpr HRESULT DDERR_NODDROPSHW = MakeDDResult(576);
constexpr HRESULT DDERR_OVERLAYNOTVISIBLE = MakeDDResult(577);
constexpr HRESULT DDERR_NOOVERLAYDEST = MakeDDResult(578);
constexpr HRESULT DDERR_INVALIDPOSITION = MakeDDResult(579);
constexpr HRESULT DDERR_NOTAOVERLAYSURFACE = MakeDDResult(580);
constexpr HRESULT DDERR_EXCLUSIVEMODEALREADYSET = MakeDDResult(581);
constexpr HRESULT DDERR_NOTFLIPPABLE = MakeDDResult(582);
constexpr HRESULT DDERR_CANTDUPLICATE = MakeDDResult(583);
constexpr HRESULT DDERR_NOTLOCKED = MakeDDResult(584);
constexpr HRESULT DDERR_CANTCREATEDC = MakeDDResult(585);
constexpr HRESULT DDERR_NODC = MakeDDResult(586);
constexpr HRESULT DDERR_WRONGMODE = MakeDDResult(587);
constexpr HRESULT DDERR_IMPLICITLYCREATED = MakeDDResult(588);
constexpr HRESULT DDERR_NOTPALETTIZED = MakeDDResult(589);
constexpr HRESULT DDERR_UNSUPPORTEDMODE = MakeDDResult(590);
constexpr HRESULT DDERR_NOMIPMAPHW = MakeDDResult(591);
constexpr HRESULT DDERR_INVALIDSURFACETYPE = MakeDDResult(592);
constexpr HRESULT DDERR_NOOPTIMIZEHW = MakeDDResult(600);
constexpr HRESULT DDERR_NOTLOADED = MakeDDResult(601);
constexpr HRESULT DDERR_NOFOCUSWINDOW = MakeDDResult(602);
constexpr HRESULT DDERR_DCALREADYCREATED = MakeDDResult(620);
constexpr HRESULT DDERR_NONONLOCALVIDMEM = MakeDDResult(630);
constexpr HRESULT DDERR_CANTPAGELOCK = MakeDDResult(640);
constexpr HRESULT DDERR_CANTPAGEUNLOCK = MakeDDResult(660);
constexpr HRESULT DDERR_NOTPAGELOCKED = MakeDDResult(680);
constexpr HRESULT DDERR_MOREDATA = MakeDDResult(690);
constexpr HRESULT DDERR_EXPIRED = MakeDDResult(691);
constexpr HRESULT DDERR_VIDEONOTACTIVE = MakeDDResult(695);
constexpr HRESULT DDERR_DEVICEDOESNTOWNSURFACE = MakeDDResult(699);

// ------------------------------------------------- surface description flags --
constexpr DWORD DDSD_CAPS = 0x00000001;
constexpr DWORD DDSD_HEIGHT = 0x00000002;
constexpr DWORD DDSD_WIDTH = 0x00000004;
constexpr DWORD DDSD_PITCH = 0x00000008;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x00000020;
constexpr DWORD DDSD_ZBUFFERBITDEPTH = 0x00000040;
constexpr DWORD DDSD_ALPHABITDEPTH = 0x00000080;
constexpr DWORD DDSD_LPSURFACE = 0x00000800;
constexpr DWORD DDSD_PIXELFORMAT = 0x00001000;
constexpr DWORD DDSD_CKDESTOVERLAY = 0x00002000;
constexpr DWORD DDSD_CKDESTBLT = 0x00004000;
constexpr DWORD DDSD_CKSRCOVERLAY = 0x00008000;
constexpr DWORD DDSD_CKSRCBLT = 0x00010000;
constexpr DWORD DDSD_MIPMAPCOUNT = 0x00020000;
constexpr DWORD DDSD_REFRESHRATE = 0x00040000;
constexpr DWORD DDSD_LINEARSIZE = 0x00080000;
constexpr DWORD DDSD_TEXTURESTAGE = 0x00100000;
constexpr DWORD DDSD_ALL = 0x00FFF9EE;

// ------------------------------------------------------------ capabilities --
constexpr DWORD DDSCAPS_ALPHA = 0x00000002;
constexpr DWORD DDSCAPS_BACKBUFFER = 0x00000004;
constexpr DWORD DDSCAPS_COMPLEX = 0x00000008;
constexpr DWORD DDSCAPS_FLIP = 0x00000010;
constexpr DWORD DDSCAPS_FRONTBUFFER = 0x00000020;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000040;
constexpr DWORD DDSCAPS_OVERLAY = 0x00000080;
constexpr DWORD DDSCAPS_PALETTE = 0x00000100;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x00000800;
constexpr DWORD DDSCAPS_TEXTURE = 0x00001000;
constexpr DWORD DDSCAPS_3DDEVICE = 0x00002000;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x00004000;
constexpr DWORD DDSCAPS_VISIBLE = 0x00008000;
constexpr DWORD DDSCAPS_WRITEONLY = 0x00010000;
constexpr DWORD DDSCAPS_ZBUFFER = 0x00020000;
constexpr DWORD DDSCAPS_OWNDC = 0x00040000;
constexpr DWORD DDSCAPS_MIPMAP = 0x00400000;
constexpr DWORD DDSCAPS_ALLOCONLOAD = 0x04000000;
constexpr DWORD DDSCAPS_LOCALVIDMEM = 0x10000000;
constexpr DWORD DDSCAPS_NONLOCALVIDMEM = 0x20000000;

constexpr DWORD DDSCAPS2_TEXTUREMANAGE = 0x00000010;
constexpr DWORD DDSCAPS2_D3DTEXTUREMANAGE = 0x00020000;

// ------------------------------------------------------------ pixel format --
constexpr DWORD DDPF_ALPHAPIXELS = 0x00000001;
constexpr DWORD DDPF_ALPHA = 0x00000002;
constexpr DWORD DDPF_FOURCC = 0x00000004;
constexpr DWORD DDPF_PALETTEINDEXED4 = 0x00000008;
constexpr DWORD DDPF_PALETTEINDEXEDTO8 = 0x00000010;
constexpr DWORD DDPF_PALETTEINDEXED8 = 0x00000020;
constexpr DWORD DDPF_RGB = 0x00000040;
constexpr DWORD DDPF_ZBUFFER = 0x00000400;
constexpr DWORD DDPF_LUMINANCE = 0x00020000;

// ------------------------------------------------------------------- blits --
constexpr DWORD DDBLT_ASYNC = 0x00000200;
constexpr DWORD DDBLT_COLORFILL = 0x00000400;
constexpr DWORD DDBLT_DDFX = 0x00000800;
constexpr DWORD DDBLT_DDROPS = 0x00001000;
constexpr DWORD DDBLT_KEYDEST = 0x00002000;
constexpr DWORD DDBLT_KEYDESTOVERRIDE = 0x00004000;
constexpr DWORD DDBLT_KEYSRC = 0x00008000;
constexpr DWORD DDBLT_KEYSRCOVERRIDE = 0x00010000;
constexpr DWORD DDBLT_ROP = 0x00020000;
constexpr DWORD DDBLT_ROTATIONANGLE = 0x00040000;
constexpr DWORD DDBLT_ZBUFFER = 0x00080000;
constexpr DWORD DDBLT_WAIT = 0x01000000;
constexpr DWORD DDBLT_DEPTHFILL = 0x02000000;
constexpr DWORD DDBLT_DONOTWAIT = 0x08000000;

constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x00000000;
constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x00000001;
constexpr DWORD DDBLTFAST_DESTCOLORKEY = 0x00000002;
constexpr DWORD DDBLTFAST_WAIT = 0x00000010;
constexpr DWORD DDBLTFAST_DONOTWAIT = 0x00000020;

// ------------------------------------------------------------------- locks --
constexpr DWORD DDLOCK_SURFACEMEMORYPTR = 0x00000000;
constexpr DWORD DDLOCK_WAIT = 0x00000001;
constexpr DWORD DDLOCK_EVENT = 0x00000002;
constexpr DWORD DDLOCK_READONLY = 0x00000010;
constexpr DWORD DDLOCK_WRITEONLY = 0x00000020;
constexpr DWORD DDLOCK_NOSYSLOCK = 0x00000800;
constexpr DWORD DDLOCK_NOOVERWRITE = 0x00001000;
constexpr DWORD DDLOCK_DISCARDCONTENTS = 0x00002000;
constexpr DWORD DDLOCK_DONOTWAIT = 0x00004000;

// ----------------------------------------------------------- flips and keys --
constexpr DWORD DDFLIP_WAIT = 0x00000001;
constexpr DWORD DDFLIP_EVEN = 0x00000002;
constexpr DWORD DDFLIP_ODD = 0x00000004;
constexpr DWORD DDFLIP_NOVSYNC = 0x00000008;
constexpr DWORD DDFLIP_DONOTWAIT = 0x00000020;

constexpr DWORD DDCKEY_COLORSPACE = 0x00000001;
constexpr DWORD DDCKEY_DESTBLT = 0x00000002;
constexpr DWORD DDCKEY_DESTOVERLAY = 0x00000004;
constexpr DWORD DDCKEY_SRCBLT = 0x00000008;
constexpr DWORD DDCKEY_SRCOVERLAY = 0x00000010;

// ----------------------------------------------------- cooperation and modes --
constexpr DWORD DDSCL_FULLSCREEN = 0x00000001;
constexpr DWORD DDSCL_ALLOWREBOOT = 0x00000002;
constexpr DWORD DDSCL_NOWINDOWCHANGES = 0x00000004;
constexpr DWORD DDSCL_NORMAL = 0x00000008;
constexpr DWORD DDSCL_EXCLUSIVE = 0x00000010;
constexpr DWORD DDSCL_ALLOWMODEX = 0x00000040;
constexpr DWORD DDSCL_SETFOCUSWINDOW = 0x00000080;
constexpr DWORD DDSCL_SETDEVICEWINDOW = 0x00000100;
constexpr DWORD DDSCL_CREATEDEVICEWINDOW = 0x00000200;
constexpr DWORD DDSCL_MULTITHREADED = 0x00000400;
constexpr DWORD DDSCL_FPUSETUP = 0x00000800;
constexpr DWORD DDSCL_FPUPRESERVE = 0x00001000;

constexpr DWORD DDEDM_REFRESHRATES = 0x00000001;
constexpr HRESULT DDENUMRET_CANCEL = 0;
constexpr HRESULT DDENUMRET_OK = 1;

constexpr DWORD DDWAITVB_BLOCKBEGIN = 0x00000001;
constexpr DWORD DDWAITVB_BLOCKEND = 0x00000004;

constexpr DWORD DDGBS_CANBLT = 0x00000001;
constexpr DWORD DDGBS_ISBLTDONE = 0x00000002;
constexpr DWORD DDGFS_CANFLIP = 0x00000001;
constexpr DWORD DDGFS_ISFLIPDONE = 0x00000002;

// ------------------------------------------------------------------ records --
struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};

struct DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    union {
        DWORD dwRGBBitCount;
        DWORD dwZBufferBitDepth;
        DWORD dwAlphaBitDepth;
        DWORD dwLuminanceBitCount;
    };
    union {
        DWORD dwRBitMask;
        DWORD dwStencilBitDepth;
    };
    union {
        DWORD dwGBitMask;
        DWORD dwZBitMask;
    };
    union {
        DWORD dwBBitMask;
        DWORD dwStencilBitMask;
    };
    union {
        DWORD dwRGBAlphaBitMask;
        DWORD dwRGBZBitMask;
    };
};

struct DDSCAPS {
    DWORD dwCaps;
};

struct DDSCAPS2 {
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCaps3;
    DWORD dwCaps4;
};

// The first-version description; identical to DDSURFACEDESC2 up to the caps.
struct DDSURFACEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    union {
        LONG lPitch;
        DWORD dwLinearSize;
    };
    DWORD dwBackBufferCount;
    union {
        DWORD dwMipMapCount;
        DWORD dwZBufferBitDepth;
        DWORD dwRefreshRate;
    };
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    void* lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
};

struct DDSURFACEDESC2 {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    union {
        LONG lPitch;
        DWORD dwLinearSize;
    };
    union {
        DWORD dwBackBufferCount;
        DWORD dwDepth;
    };
    union {
        DWORD dwMipMapCount;
        DWORD dwRefreshRate;
        DWORD dwSrcVBHandle;
    };
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    void* lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS2 ddsCaps;
    DWORD dwTextureStage;
};

struct DDBLTFX {
    DWORD dwSize;
    DWORD dwDDFX;
    DWORD dwROP;
    DWORD dwDDROP;
    DWORD dwRotationAngle;
    DWORD dwZBufferOpCode;
    DWORD dwZBufferLow;
    DWORD dwZBufferHigh;
    DWORD dwZBufferBaseDest;
    DWORD dwZDestConstBitDepth;
    union {
        DWORD dwZDestConst;
        void* lpDDSZBufferDest;
    };
    DWORD dwZSrcConstBitDepth;
    union {
        DWORD dwZSrcConst;
        void* lpDDSZBufferSrc;
    };
    DWORD dwAlphaEdgeBlendBitDepth;
    DWORD dwAlphaEdgeBlend;
    DWORD dwReserved;
    DWORD dwAlphaDestConstBitDepth;
    union {
        DWORD dwAlphaDestConst;
        void* lpDDSAlphaDest;
    };
    DWORD dwAlphaSrcConstBitDepth;
    union {
        DWORD dwAlphaSrcConst;
        void* lpDDSAlphaSrc;
    };
    union {
        DWORD dwFillColor;
        DWORD dwFillDepth;
        DWORD dwFillPixel;
        void* lpDDSPattern;
    };
    DDCOLORKEY ddckDestColorkey;
    DDCOLORKEY ddckSrcColorkey;
};

struct DDDEVICEIDENTIFIER2 {
    char szDriver[512];
    char szDescription[512];
    LARGE_INTEGER liDriverVersion;
    DWORD dwVendorId;
    DWORD dwDeviceId;
    DWORD dwSubSysId;
    DWORD dwRevision;
    GUID guidDeviceIdentifier;
    DWORD dwWHQLLevel;
};

constexpr DWORD DDGDI_GETHOSTIDENTIFIER = 0x00000001;

} // namespace platform
