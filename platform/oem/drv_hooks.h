// Signatures and function indices of the driver-core drawing entry points
// that the rendering plug-in hooks.
#pragma once

#include "platform/oem/ddi.h"

namespace lt77 {

inline constexpr ULONG INDEX_DrvRealizeBrush = 12;
inline constexpr ULONG INDEX_DrvDitherColor = 13;
inline constexpr ULONG INDEX_DrvStrokePath = 14;
inline constexpr ULONG INDEX_DrvFillPath = 15;
inline constexpr ULONG INDEX_DrvStrokeAndFillPath = 16;
inline constexpr ULONG INDEX_DrvPaint = 17;
inline constexpr ULONG INDEX_DrvBitBlt = 18;
inline constexpr ULONG INDEX_DrvCopyBits = 19;
inline constexpr ULONG INDEX_DrvStretchBlt = 20;
inline constexpr ULONG INDEX_DrvTextOut = 23;
inline constexpr ULONG INDEX_DrvEscape = 24;
inline constexpr ULONG INDEX_DrvQueryFont = 26;
inline constexpr ULONG INDEX_DrvQueryFontTree = 27;
inline constexpr ULONG INDEX_DrvQueryFontData = 28;
inline constexpr ULONG INDEX_DrvLineTo = 31;
inline constexpr ULONG INDEX_DrvSendPage = 32;
inline constexpr ULONG INDEX_DrvStartPage = 33;
inline constexpr ULONG INDEX_DrvEndDoc = 34;
inline constexpr ULONG INDEX_DrvStartDoc = 35;
inline constexpr ULONG INDEX_DrvGetGlyphMode = 37;
inline constexpr ULONG INDEX_DrvFontManagement = 47;
inline constexpr ULONG INDEX_DrvQueryAdvanceWidths = 53;
inline constexpr ULONG INDEX_DrvStartBanding = 57;
inline constexpr ULONG INDEX_DrvNextBand = 58;
inline constexpr ULONG INDEX_DrvGradientFill = 68;
inline constexpr ULONG INDEX_DrvStretchBltROP = 69;
inline constexpr ULONG INDEX_DrvPlgBlt = 70;
inline constexpr ULONG INDEX_DrvAlphaBlend = 71;
inline constexpr ULONG INDEX_DrvTransparentBlt = 74;

// The hooked functions, in alphabetical order of name: the order of the hook
// table and of the device record's saved entry points. Everything that lists
// them expands this one list; X(name) finds INDEX_Drv<name> and PFN_Drv<name>.
#define LT77_DRV_HOOKED_FUNCTIONS(X)                                                                    \
    X(AlphaBlend) X(BitBlt) X(CopyBits) X(DitherColor) X(EndDoc) X(Escape) X(FillPath) X(FontManagement) \
    X(GetGlyphMode) X(GradientFill) X(LineTo) X(NextBand) X(Paint) X(PlgBlt) X(QueryAdvanceWidths)     \
    X(QueryFont) X(QueryFontData) X(QueryFontTree) X(RealizeBrush) X(SendPage) X(StartBanding)         \
    X(StartDoc) X(StartPage) X(StretchBlt) X(StretchBltROP) X(StrokeAndFillPath) X(StrokePath)         \
    X(TextOut) X(TransparentBlt)

#define LT77_DRV_COUNT_ONE(name) +1
inline constexpr ULONG kHookCount = 0 LT77_DRV_HOOKED_FUNCTIONS(LT77_DRV_COUNT_ONE);
#undef LT77_DRV_COUNT_ONE
// The table handed to the core is fixed at these.
static_assert(kHookCount == 29);

using DHPDEV = HANDLE;

using PFN_DrvAlphaBlend = BOOL (*)(SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, RECTL*,
                                   BLENDOBJ*);
using PFN_DrvBitBlt = BOOL (*)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*,
                               POINTL*, POINTL*, BRUSHOBJ*, POINTL*, ROP4);
using PFN_DrvCopyBits = BOOL (*)(SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, POINTL*);
using PFN_DrvDitherColor = ULONG (*)(DHPDEV, ULONG, ULONG, ULONG*);
using PFN_DrvEndDoc = BOOL (*)(SURFOBJ*, FLONG);
using PFN_DrvEscape = ULONG (*)(SURFOBJ*, ULONG, ULONG, PVOID, ULONG, PVOID);
using PFN_DrvFillPath = BOOL (*)(SURFOBJ*, PATHOBJ*, CLIPOBJ*, BRUSHOBJ*, POINTL*, MIX, FLONG);
using PFN_DrvFontManagement = ULONG (*)(SURFOBJ*, FONTOBJ*, ULONG, ULONG, PVOID, ULONG, PVOID);
using PFN_DrvGetGlyphMode = ULONG (*)(DHPDEV, FONTOBJ*);
using PFN_DrvGradientFill = BOOL (*)(SURFOBJ*, CLIPOBJ*, XLATEOBJ*, TRIVERTEX*, ULONG, PVOID,
                                     ULONG, RECTL*, POINTL*, ULONG);
using PFN_DrvLineTo = BOOL (*)(SURFOBJ*, CLIPOBJ*, BRUSHOBJ*, LONG, LONG, LONG, LONG, RECTL*,
                               MIX);
using PFN_DrvNextBand = BOOL (*)(SURFOBJ*, POINTL*);
using PFN_DrvPaint = BOOL (*)(SURFOBJ*, CLIPOBJ*, BRUSHOBJ*, POINTL*, MIX);
using PFN_DrvPlgBlt = BOOL (*)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*,
                               COLORADJUSTMENT*, POINTL*, POINTFIX*, RECTL*, POINTL*, ULONG);
using PFN_DrvQueryAdvanceWidths = BOOL (*)(DHPDEV, FONTOBJ*, ULONG, HGLYPH*, PVOID, ULONG);
using PFN_DrvQueryFont = IFIMETRICS* (*)(DHPDEV, ULONG_PTR, ULONG, ULONG_PTR*);
using PFN_DrvQueryFontData = LONG (*)(DHPDEV, FONTOBJ*, ULONG, HGLYPH, GLYPHDATA*, PVOID,
                                      ULONG);
using PFN_DrvQueryFontTree = PVOID (*)(DHPDEV, ULONG_PTR, ULONG, ULONG, ULONG_PTR*);
using PFN_DrvRealizeBrush = BOOL (*)(BRUSHOBJ*, SURFOBJ*, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG);
using PFN_DrvSendPage = BOOL (*)(SURFOBJ*);
using PFN_DrvStartBanding = BOOL (*)(SURFOBJ*, POINTL*);
using PFN_DrvStartDoc = BOOL (*)(SURFOBJ*, WCHAR*, DWORD);
using PFN_DrvStartPage = BOOL (*)(SURFOBJ*);
using PFN_DrvStretchBlt = BOOL (*)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*,
                                   COLORADJUSTMENT*, POINTL*, RECTL*, RECTL*, POINTL*, ULONG);
using PFN_DrvStretchBltROP = BOOL (*)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*,
                                      COLORADJUSTMENT*, POINTL*, RECTL*, RECTL*, POINTL*, ULONG,
                                      BRUSHOBJ*, ROP4);
using PFN_DrvStrokeAndFillPath = BOOL (*)(SURFOBJ*, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*,
                                          LINEATTRS*, BRUSHOBJ*, POINTL*, MIX, FLONG);
using PFN_DrvStrokePath = BOOL (*)(SURFOBJ*, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*, POINTL*,
                                   LINEATTRS*, MIX);
using PFN_DrvTextOut = BOOL (*)(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*,
                                BRUSHOBJ*, BRUSHOBJ*, POINTL*, MIX);
using PFN_DrvTransparentBlt = BOOL (*)(SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, RECTL*,
                                       ULONG, ULONG);

}  // namespace lt77
