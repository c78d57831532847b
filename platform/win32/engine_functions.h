// Graphics-engine services of gdi32 that a user-mode printer driver may call.
// They are looked up at run time: a DLL that imports them statically fails to
// load where gdi32 lacks them (Wine's does), although only some code paths
// need them. Further engine services belong in this table too.
#pragma once

#include "platform/oem/ddi.h"

namespace lt77::win32 {

// Engine palette modes (the iMode of EngCreatePalette and EngQueryPalette).
inline constexpr ULONG ENG_PAL_INDEXED = 0x1;
inline constexpr ULONG ENG_PAL_BGR = 0x8;

struct EngineFunctions {
    // HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors,
    //                           FLONG flRed, FLONG flGreen, FLONG flBlue)
    using EngCreatePaletteFn = HPALETTE (*)(ULONG, ULONG, ULONG*, FLONG, FLONG, FLONG);
    // ULONG EngQueryPalette(HPALETTE hpal, ULONG* piMode, ULONG cColors, ULONG* pulColors):
    // with pulColors null, the number of colours; otherwise the number copied.
    using EngQueryPaletteFn = ULONG (*)(HPALETTE, ULONG*, ULONG, ULONG*);

    // UINT GetPaletteEntries(HPALETTE, UINT iStart, UINT cEntries, PALETTEENTRY*):
    // the GDI call, for palettes the engine functions cannot read or where
    // they are missing.
    using GetPaletteEntriesFn = uint32_t (*)(HPALETTE, uint32_t, uint32_t, PVOID);

    // IFIMETRICS* FONTOBJ_pifi(FONTOBJ*): the font's metrics record.
    using FontObjPifiFn = IFIMETRICS* (*)(FONTOBJ*);
    // XFORMOBJ* FONTOBJ_pxoGetXform(FONTOBJ*): notional space to device space.
    using FontObjGetXformFn = XFORMOBJ* (*)(FONTOBJ*);
    // ULONG XFORMOBJ_iGetXform(XFORMOBJ*, XFORML*): the matrix in floats
    // (eM11, eM12, eM21, eM22, eDx, eDy); DDI_ERROR (0xFFFFFFFF) on failure.
    using XformObjGetXformFn = ULONG (*)(XFORMOBJ*, float*);

    EngCreatePaletteFn EngCreatePalette = nullptr;
    EngQueryPaletteFn EngQueryPalette = nullptr;
    GetPaletteEntriesFn GetPaletteEntries = nullptr;
    FontObjPifiFn FONTOBJ_pifi = nullptr;
    FontObjGetXformFn FONTOBJ_pxoGetXform = nullptr;
    XformObjGetXformFn XFORMOBJ_iGetXform = nullptr;
};

// gdi32's engine functions, resolved on first use; a member stays null when
// this gdi32 does not export it.
const EngineFunctions& SystemEngineFunctions();

}  // namespace lt77::win32
