// The driver-core and graphics-engine records that the rendering plug-in
// receives, declared from their public layout (x86_64). The Windows build
// checks these layouts against the system's own declarations where the
// cross compiler has them.
#pragma once

#include "common/ximage/bitmap_header.h"
#include "platform/oem/abi_types.h"

namespace lt77 {

struct POINTL {
    LONG x;
    LONG y;
};
struct SIZEL {
    LONG cx;
    LONG cy;
};
struct RECTL {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
static_assert(sizeof(POINTL) == 8 && sizeof(SIZEL) == 8 && sizeof(RECTL) == 16);

// The public device mode (printer branch of its unions).
struct DEVMODEW {
    WCHAR dmDeviceName[32];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    int16_t dmOrientation;
    int16_t dmPaperSize;
    int16_t dmPaperLength;
    int16_t dmPaperWidth;
    int16_t dmScale;
    int16_t dmCopies;
    int16_t dmDefaultSource;
    int16_t dmPrintQuality;
    int16_t dmColor;
    int16_t dmDuplex;
    int16_t dmYResolution;
    int16_t dmTTOption;
    int16_t dmCollate;
    WCHAR dmFormName[32];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmNup;
    DWORD dmDisplayFrequency;
    DWORD dmICMMethod;
    DWORD dmICMIntent;
    DWORD dmMediaType;
    DWORD dmDitherType;
    DWORD dmReserved1;
    DWORD dmReserved2;
    DWORD dmPanningWidth;
    DWORD dmPanningHeight;
};
static_assert(sizeof(DEVMODEW) == 220);
static_assert(offsetof(DEVMODEW, dmFields) == 72);
static_assert(offsetof(DEVMODEW, dmOrientation) == 76);
static_assert(offsetof(DEVMODEW, dmCopies) == 86);
static_assert(offsetof(DEVMODEW, dmColor) == 92);
static_assert(offsetof(DEVMODEW, dmFormName) == 102);
static_assert(offsetof(DEVMODEW, dmLogPixels) == 166);
static_assert(offsetof(DEVMODEW, dmBitsPerPel) == 168);
static_assert(offsetof(DEVMODEW, dmNup) == 180);

inline constexpr int16_t DMORIENT_PORTRAIT = 1;
inline constexpr int16_t DMORIENT_LANDSCAPE = 2;

// The device object the core hands to every plug-in call of a device context.
struct DEVOBJ {
    DWORD dwSize;
    PVOID pdevOEM;
    HANDLE hEngine;
    HANDLE hPrinter;
    HANDLE hOEM;
    DEVMODEW* pPublicDM;
    PVOID pOEMDM;
    PVOID pDrvProcs;
};
using PDEVOBJ = DEVOBJ*;
static_assert(sizeof(DEVOBJ) == 64);
static_assert(offsetof(DEVOBJ, pdevOEM) == 8);
static_assert(offsetof(DEVOBJ, pPublicDM) == 40);
static_assert(offsetof(DEVOBJ, pDrvProcs) == 56);

struct OEMDMPARAM {
    DWORD cbSize;
    PVOID pdriverobj;
    HANDLE hPrinter;
    HANDLE hModule;
    DEVMODEW* pPublicDMIn;
    DEVMODEW* pPublicDMOut;
    PVOID pOEMDMIn;
    PVOID pOEMDMOut;
    DWORD cbBufSize;
};
static_assert(sizeof(OEMDMPARAM) == 72);
static_assert(offsetof(OEMDMPARAM, pOEMDMIn) == 48);
static_assert(offsetof(OEMDMPARAM, cbBufSize) == 64);

// Every plug-in's private device-mode part starts with this header.
struct OEM_DMEXTRAHEADER {
    DWORD dwSize;
    DWORD dwSignature;
    DWORD dwVersion;
};
static_assert(sizeof(OEM_DMEXTRAHEADER) == 12);

using PFN = void (*)();

struct DRVFN {
    ULONG iFunc;
    PFN pfn;
};
struct DRVENABLEDATA {
    ULONG iDriverVersion;
    ULONG c;
    DRVFN* pdrvfn;
};
static_assert(sizeof(DRVFN) == 16 && offsetof(DRVFN, pfn) == 8);
static_assert(sizeof(DRVENABLEDATA) == 16 && offsetof(DRVENABLEDATA, pdrvfn) == 8);

// The leading fields of the core's graphics information; the plug-in reads no
// further, and checks the size the core passes before it reads.
struct GDIINFO_HEAD {
    ULONG ulVersion;
    ULONG ulTechnology;
    ULONG ulHorzSize;
    ULONG ulVertSize;
    ULONG ulHorzRes;
    ULONG ulVertRes;
    ULONG cBitsPixel;
};
static_assert(offsetof(GDIINFO_HEAD, cBitsPixel) == 24);

struct LOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[32];
};
static_assert(sizeof(LOGFONTW) == 92);

using HPALETTE = void*;

struct DEVINFO {
    FLONG flGraphicsCaps;
    LOGFONTW lfDefaultFont;
    LOGFONTW lfAnsiVarFont;
    LOGFONTW lfAnsiFixFont;
    ULONG cFonts;
    ULONG iDitherFormat;
    uint16_t cxDither;
    uint16_t cyDither;
    HPALETTE hpalDefault;
    FLONG flGraphicsCaps2;
};
static_assert(offsetof(DEVINFO, cFonts) == 280);
static_assert(offsetof(DEVINFO, hpalDefault) == 296);
static_assert(sizeof(DEVINFO) == 312);

struct SURFOBJ {
    HANDLE dhsurf;
    HANDLE hsurf;
    HANDLE dhpdev;  // the device object (DEVOBJ*) of a driver-core surface
    HANDLE hdev;
    SIZEL sizlBitmap;
    ULONG cjBits;
    PVOID pvBits;
    PVOID pvScan0;
    LONG lDelta;
    ULONG iUniq;
    ULONG iBitmapFormat;
    uint16_t iType;
    uint16_t fjBitmap;
};
static_assert(sizeof(SURFOBJ) == 80);
static_assert(offsetof(SURFOBJ, dhpdev) == 16);
static_assert(offsetof(SURFOBJ, pvBits) == 48);
static_assert(offsetof(SURFOBJ, iType) == 76);

inline constexpr uint16_t STYPE_BITMAP = 0;
inline constexpr uint16_t STYPE_DEVICE = 1;
inline constexpr uint16_t STYPE_DEVBITMAP = 3;

inline constexpr ULONG BMF_1BPP = 1;
inline constexpr ULONG BMF_8BPP = 3;
inline constexpr ULONG BMF_24BPP = 5;

// Band parameters of ImageProcessing.
struct IPPARAMS {
    DWORD dwSize;
    POINTL ptOffset;
    char* pHalftoneOption;
    BOOL bBanding;
    BOOL bBlankBand;
};
static_assert(sizeof(IPPARAMS) == 32);
static_assert(offsetof(IPPARAMS, ptOffset) == 4);
static_assert(offsetof(IPPARAMS, pHalftoneOption) == 16);
static_assert(offsetof(IPPARAMS, bBlankBand) == 28);

// Engine objects the plug-in only passes through, or reads through the
// engine's own functions.
struct CLIPOBJ;
struct XLATEOBJ;
struct BRUSHOBJ;
struct PATHOBJ;
struct XFORMOBJ;
struct LINEATTRS;
struct COLORADJUSTMENT;
struct BLENDOBJ;
struct TRIVERTEX;
struct POINTFIX;
struct GLYPHDATA;
struct IFIMETRICS;
struct GLYPHPOS;
using HGLYPH = ULONG;

// The public part of the engine's string object.
struct STROBJ {
    ULONG cGlyphs;
    FLONG flAccel;
    ULONG ulCharInc;
    RECTL rclBkGround;
    GLYPHPOS* pgp;
    WCHAR* pwszOrg;
};
static_assert(sizeof(STROBJ) == 48);
static_assert(offsetof(STROBJ, rclBkGround) == 12);
static_assert(offsetof(STROBJ, pwszOrg) == 40);

// The public part of the engine's font object.
struct FONTOBJ {
    ULONG iUniq;
    ULONG iFace;
    ULONG cxMax;
    FLONG flFontType;
    ULONG_PTR iTTUniq;
    ULONG_PTR iFile;
    SIZEL sizLogResPpi;
    ULONG ulStyleSize;
    PVOID pvConsumer;
    PVOID pvProducer;
};
static_assert(sizeof(FONTOBJ) == 64);
static_assert(offsetof(FONTOBJ, flFontType) == 12);
static_assert(offsetof(FONTOBJ, sizLogResPpi) == 32);

inline constexpr FLONG FO_TYPE_RASTER = 0x1;
inline constexpr FLONG FO_TYPE_DEVICE = 0x2;
inline constexpr FLONG FO_TYPE_TRUETYPE = 0x4;
inline constexpr FLONG FO_TYPE_OPENTYPE = 0x8;
inline constexpr FLONG FO_SIM_ITALIC = 0x4000;

}  // namespace lt77

namespace lt77 {

// The bitmap information header of the bands is the raster image object's
// own header record (40 bytes, layout checked where it is declared).
using BITMAPINFOHEADER = BitmapInfoHeader;

struct OEMMEMORYUSAGE;
struct UNIFONTOBJ;
struct FINVOCATION;

}  // namespace lt77
