// The drawing hooks: each finds the device record through the surface's
// device object and, unless it has its own work, passes the call unchanged
// to the core's entry point saved at enable.
#include <type_traits>

#include "platform/oem/export_guard.h"
#include "render/device_record.h"
#include "render/enable_pdev.h"
#include "render/module_state.h"
#include "render/picture_rects.h"
#include "render/text_capture.h"
#include "render/trace.h"

namespace lt77 {
namespace {

OemPDEV* FromSurface(SURFOBJ* pso)
{
    return pso != nullptr ? RecordOf(static_cast<PDEVOBJ>(pso->dhpdev)) : nullptr;
}
OemPDEV* FromDevice(DHPDEV dhpdev) { return RecordOf(static_cast<PDEVOBJ>(dhpdev)); }

// Calls the saved entry point, or answers `fallback` when the record or the
// entry point is missing.
template <class Fn, class Result, class... Args>
Result Forward(Fn fn, Result fallback, Args... args)
{
    return fn != nullptr ? fn(args...) : fallback;
}

BOOL OEMAlphaBlend(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                   RECTL* prclSrc, BLENDOBJ* pBlendObj)
{
    OemPDEV* pdev = FromSurface(psoDest);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMAlphaBlend CALLED, m_pfnDrvAlphaBlend");
    return Forward(pdev->m_pfnDrvAlphaBlend, kBoolFalse, psoDest, psoSrc, pco, pxlo, prclDest, prclSrc, pBlendObj);
}

BOOL OEMBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
               RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush,
               ROP4 rop4)
{
    OemPDEV* pdev = FromSurface(psoTrg);
    if (pdev == nullptr) return kBoolFalse;
    RecordBitBltRect(*pdev, prclTrg);
    return Forward(pdev->m_pfnDrvBitBlt, kBoolFalse, psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc,
                   pptlMask, pbo, pptlBrush, rop4);
}

BOOL OEMCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                 POINTL* pptlSrc)
{
    OemPDEV* pdev = FromSurface(psoDest);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMCopyBits CALLED, m_pfnDrvCopyBits");
    return Forward(pdev->m_pfnDrvCopyBits, kBoolFalse, psoDest, psoSrc, pco, pxlo, prclDest, pptlSrc);
}

ULONG OEMDitherColor(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul)
{
    OemPDEV* pdev = FromDevice(dhpdev);
    if (pdev == nullptr) return 0;
    return Forward(pdev->m_pfnDrvDitherColor, ULONG{0}, dhpdev, iMode, rgb, pul);
}

BOOL OEMEndDoc(SURFOBJ* pso, FLONG fl)
{
    OemPDEV* pdev = FromSurface(pso);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMEndDoc CALLED, m_pfnDrvEndDoc");
    TraceLog("OEMEndDoc : dwJobId = %u", pdev->dwJobId);
    return Forward(pdev->m_pfnDrvEndDoc, kBoolFalse, pso, fl);
}

ULONG OEMEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut)
{
    OemPDEV* pdev = FromSurface(pso);
    if (pdev == nullptr) return 0;
    TraceLog("OEMEscape CALLED, m_pfnDrvEscape");
    return Forward(pdev->m_pfnDrvEscape, ULONG{0}, pso, iEsc, cjIn, pvIn, cjOut, pvOut);
}

BOOL OEMFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix,
                 FLONG flOptions)
{
    OemPDEV* pdev = FromSurface(pso);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMFillPath CALLED, m_pfnDrvFillPath");
    return Forward(pdev->m_pfnDrvFillPath, kBoolFalse, pso, ppo, pco, pbo, pptlBrushOrg, mix, flOptions);
}

ULONG OEMFontManagement(SURFOBJ* pso, FONTOBJ* pfo, ULONG iMode, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                        PVOID pvOut)
{
    OemPDEV* pdev = FromSurface(pso);
    if (pdev == nullptr) return 0;
    TraceLog("OEMFontManagement CALLED, m_pfnDrvFontManagement");
    return Forward(pdev->m_pfnDrvFontManagement, ULONG{0}, pso, pfo, iMode, cjIn, pvIn, cjOut, pvOut);
}

ULONG OEMGetGlyphMode(DHPDEV dhpdev, FONTOBJ* pfo)
{
    OemPDEV* pdev = FromDevice(dhpdev);
    if (pdev == nullptr) return 0;
    TraceLog("OEMGetGlyphMode CALLED, m_pfnDrvGetGlyphMode");
    return Forward(pdev->m_pfnDrvGetGlyphMode, ULONG{0}, dhpdev, pfo);
}

BOOL OEMGradientFill(SURFOBJ* psoDest, CLIPOBJ* pco, XLATEOBJ* pxlo, TRIVERTEX* pVertex, ULONG nVertex,
                     PVOID pMesh, ULONG nMesh, RECTL* prclExtents, POINTL* pptlDitherOrg, ULONG ulMode)
{
    OemPDEV* pdev = FromSurface(psoDest);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMGradientFill CALLED, m_pfnDrvGradientFill");
    return Forward(pdev->m_pfnDrvGradientFill, kBoolFalse, psoDest, pco, pxlo, pVertex, nVertex, pMesh, nMesh,
                   prclExtents, pptlDitherOrg, ulMode);
}

BOOL OEMLineTo(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, LONG x1, LONG y1, LONG x2, LONG y2,
               RECTL* prclBounds, MIX mix)
{
    OemPDEV* pdev = FromSurface(pso);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMLineTo CALLED, m_pfnDrvLineTo");
    return Forward(pdev->m_pfnDrvLineTo, kBoolFalse, pso, pco, pbo, x1, y1, x2, y2, prclBounds, mix);
}

BOOL OEMNextBand(SURFOBJ* pso, POINTL* pptl)
{
    OemPDEV* pdev = FromSurface(pso);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMNextBand CALLED, m_pfnDrvNextBand");
    FlushPendingRect(*pdev);
    return Forward(pdev->m_pfnDrvNextBand, kBoolFalse, pso, pptl);
}

BOOL OEMPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix)
{
    OemPDEV* pdev = FromSurface(pso);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMPaint CALLED, m_pfnDrvPaint");
    return Forward(pdev->m_pfnDrvPaint, kBoolFalse, pso, pco, pbo, pptlBrushOrg, mix);
}

BOOL OEMPlgBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMsk, CLIPOBJ* pco, XLATEOBJ* pxlo,
               COLORADJUSTMENT* pca, POINTL* pptlBrushOrg, POINTFIX* pptfx, RECTL* prcl, POINTL* pptl,
               ULONG iMode)
{
    OemPDEV* pdev = FromSurface(psoTrg);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMPlgBlt CALLED, m_pfnDrvPlgBlt");
    return Forward(pdev->m_pfnDrvPlgBlt, kBoolFalse, psoTrg, psoSrc, psoMsk, pco, pxlo, pca, pptlBrushOrg, pptfx,
                   prcl, pptl, iMode);
}

BOOL OEMQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg, PVOID pvWidths,
                           ULONG cGlyphs)
{
    OemPDEV* pdev = FromDevice(dhpdev);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMQueryAdvanceWidths CALLED, m_pfnDrvQueryAdvanceWidths");
    return Forward(pdev->m_pfnDrvQueryAdvanceWidths, kBoolFalse, dhpdev, pfo, iMode, phg, pvWidths, cGlyphs);
}

IFIMETRICS* OEMQueryFont(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG_PTR* pid)
{
    OemPDEV* pdev = FromDevice(dhpdev);
    if (pdev == nullptr) return nullptr;
    return Forward(pdev->m_pfnDrvQueryFont, static_cast<IFIMETRICS*>(nullptr), dhpdev, iFile, iFace, pid);
}

LONG OEMQueryFontData(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, GLYPHDATA* pgd, PVOID pv,
                      ULONG cjSize)
{
    OemPDEV* pdev = FromDevice(dhpdev);
    if (pdev == nullptr) return -1;
    TraceLog("OEMQueryFontData CALLED, m_pfnDrvQueryFontData");
    return Forward(pdev->m_pfnDrvQueryFontData, LONG{-1}, dhpdev, pfo, iMode, hg, pgd, pv, cjSize);
}

PVOID OEMQueryFontTree(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG iMode, ULONG_PTR* pid)
{
    OemPDEV* pdev = FromDevice(dhpdev);
    if (pdev == nullptr) return nullptr;
    return Forward(pdev->m_pfnDrvQueryFontTree, PVOID{nullptr}, dhpdev, iFile, iFace, iMode, pid);
}

// Brushes are realised by the core when it needs them; the plug-in has no
// device brushes of its own.
BOOL OEMRealizeBrush(BRUSHOBJ*, SURFOBJ* psoTarget, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG)
{
    if (FromSurface(psoTarget) != nullptr) TraceLog("OEMRealizeBrush CALLED, m_pfnDrvRealizeBrush");
    return kBoolTrue;
}

BOOL OEMSendPage(SURFOBJ* pso)
{
    OemPDEV* pdev = FromSurface(pso);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMSendPage CALLED, m_pfnDrvSendPage");
    if (pso->iType == STYPE_BITMAP) TraceLog("OEMSendPage : STYPE_BITMAP");
    return Forward(pdev->m_pfnDrvSendPage, kBoolFalse, pso);
}

BOOL OEMStartBanding(SURFOBJ* pso, POINTL* pptl)
{
    OemPDEV* pdev = FromSurface(pso);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMStartBanding CALLED, m_pfnDrvStartBanding");
    ClearPendingRect();
    return Forward(pdev->m_pfnDrvStartBanding, kBoolFalse, pso, pptl);
}

BOOL OEMStartDoc(SURFOBJ* pso, WCHAR* pwszDocName, DWORD dwJobId)
{
    OemPDEV* pdev = FromSurface(pso);
    if (pdev == nullptr) return kBoolFalse;
    // The job number comes first: lines are only kept while a job is active.
    if (dwJobId != 0) {
        g_dwJobId = dwJobId;
        pdev->dwJobId = dwJobId;
    }
    TraceLog("OEMStartDoc CALLED, m_pfnDrvStartDoc");
    std::u16string name;
    for (std::size_t i = 0; pwszDocName != nullptr && i < 512 && pwszDocName[i] != 0; ++i)
        name.push_back(pwszDocName[i]);
    const std::string ansi = PlatformOf(*pdev).codePages.FromWide(CP_SYSTEM_ANSI, name);
    TraceLog("OEMStartDoc : szDocName = %s", ansi.c_str());
    return Forward(pdev->m_pfnDrvStartDoc, kBoolFalse, pso, pwszDocName, dwJobId);
}

BOOL OEMStartPage(SURFOBJ* pso)
{
    OemPDEV* pdev = FromSurface(pso);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMStartPage CALLED, m_pfnDrvStartPage");
    return Forward(pdev->m_pfnDrvStartPage, kBoolFalse, pso);
}

BOOL OEMStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                   COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask,
                   ULONG iMode)
{
    OemPDEV* pdev = FromSurface(psoDest);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMStretchBlt CALLED, m_pfnDrvStretchBlt");
    if (prclDest != nullptr)
        TraceLog("OEMStretchBlt : L=%d, T=%d, R=%d, B=%d", prclDest->left, prclDest->top, prclDest->right,
                 prclDest->bottom);
    RecordStretchRect(*pdev, prclDest);
    return Forward(pdev->m_pfnDrvStretchBlt, kBoolFalse, psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg,
                   prclDest, prclSrc, pptlMask, iMode);
}

BOOL OEMStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                      COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                      POINTL* pptlMask, ULONG iMode, BRUSHOBJ* pbo, ROP4 rop4)
{
    OemPDEV* pdev = FromSurface(psoDest);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMStretchBltROP CALLED, m_pfnDrvStretchBltROP");
    if (prclDest != nullptr)
        TraceLog("OEMStretchBltROP : L=%d, T=%d, R=%d, B=%d", prclDest->left, prclDest->top, prclDest->right,
                 prclDest->bottom);
    RecordStretchRect(*pdev, prclDest);
    return Forward(pdev->m_pfnDrvStretchBltROP, kBoolFalse, psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg,
                   prclDest, prclSrc, pptlMask, iMode, pbo, rop4);
}

BOOL OEMStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                          LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mixFill,
                          FLONG flOptions)
{
    OemPDEV* pdev = FromSurface(pso);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMStrokeAndFillPath CALLED, m_pfnDrvStrokeAndFillPath");
    return Forward(pdev->m_pfnDrvStrokeAndFillPath, kBoolFalse, pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill,
                   pptlBrushOrg, mixFill, flOptions);
}

BOOL OEMStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                   POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix)
{
    OemPDEV* pdev = FromSurface(pso);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMStrokePath CALLED, m_pfnDrvStrokePath");
    return Forward(pdev->m_pfnDrvStrokePath, kBoolFalse, pso, ppo, pco, pxo, pbo, pptlBrushOrg, plineattrs, mix);
}

BOOL OEMTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix)
{
    OemPDEV* pdev = FromSurface(pso);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMTextOut CALLED, m_pfnDrvTextOut");
    if (const auto captured = CaptureTextOut(*pdev, pstro, pfo)) return *captured;
    ClearPendingRect();
    return Forward(pdev->m_pfnDrvTextOut, kBoolFalse, pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore,
                   pboOpaque, pptlOrg, mix);
}

BOOL OEMTransparentBlt(SURFOBJ* psoDst, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDst,
                       RECTL* prclSrc, ULONG iTransColor, ULONG ulReserved)
{
    OemPDEV* pdev = FromSurface(psoDst);
    if (pdev == nullptr) return kBoolFalse;
    TraceLog("OEMTransparentBlt CALLED, m_pfnDrvTransparentBlt");
    return Forward(pdev->m_pfnDrvTransparentBlt, kBoolFalse, psoDst, psoSrc, pco, pxlo, prclDst, prclSrc,
                   iTransColor, ulReserved);
}

template <class F>
PFN AsPfn(F f)
{
    return reinterpret_cast<PFN>(f);
}

// What the core receives for each hook: the hook run through the export
// guard. On an exception a BOOL hook answers FALSE; the others answer what
// they answer without a record: 0, null, or FD_ERROR (-1) for QueryFontData,
// told apart by its signature as its LONG is the same type as BOOL.
template <auto Hook, const char* Name>
struct GuardedHook;

template <class R, class... A, R (*Hook)(A...), const char* Name>
struct GuardedHook<Hook, Name> {
    static R Call(A... args) noexcept
    {
        const auto body = [&] { return Hook(args...); };
        if constexpr (std::is_same_v<decltype(Hook), PFN_DrvQueryFontData>)
            return Guarded(&TraceLog, Name, LONG{-1}, body);
        else if constexpr (std::is_same_v<R, BOOL>)
            return GuardedBool(&TraceLog, Name, body);
        else
            return Guarded(&TraceLog, Name, R{}, body);
    }
};

#define LT77_HOOK_NAME(name) constexpr char kHookName##name[] = "OEM" #name;
LT77_DRV_HOOKED_FUNCTIONS(LT77_HOOK_NAME)
#undef LT77_HOOK_NAME

#define LT77_HOOK_ENTRY(name) {INDEX_Drv##name, AsPfn(&GuardedHook<&OEM##name, kHookName##name>::Call)},
const DRVFN kHooks[kHookCount] = {LT77_DRV_HOOKED_FUNCTIONS(LT77_HOOK_ENTRY)};
#undef LT77_HOOK_ENTRY

}  // namespace

const DRVFN* HookTable() { return kHooks; }

}  // namespace lt77
