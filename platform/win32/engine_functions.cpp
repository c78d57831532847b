#include "platform/win32/engine_functions.h"

#include <windows.h>

namespace lt77::win32 {
namespace {

template <class Fn>
Fn Resolve(HMODULE module, const char* name)
{
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

EngineFunctions ResolveFromGdi32()
{
    // gdi32 stays loaded for the life of any process that draws; the
    // reference taken here is never given back, so the pointers stay valid.
    const HMODULE gdi32 = ::LoadLibraryW(L"gdi32.dll");
    EngineFunctions f;
    f.EngCreatePalette = Resolve<EngineFunctions::EngCreatePaletteFn>(gdi32, "EngCreatePalette");
    f.EngQueryPalette = Resolve<EngineFunctions::EngQueryPaletteFn>(gdi32, "EngQueryPalette");
    f.GetPaletteEntries = Resolve<EngineFunctions::GetPaletteEntriesFn>(gdi32, "GetPaletteEntries");
    f.FONTOBJ_pifi = Resolve<EngineFunctions::FontObjPifiFn>(gdi32, "FONTOBJ_pifi");
    f.FONTOBJ_pxoGetXform = Resolve<EngineFunctions::FontObjGetXformFn>(gdi32, "FONTOBJ_pxoGetXform");
    f.XFORMOBJ_iGetXform = Resolve<EngineFunctions::XformObjGetXformFn>(gdi32, "XFORMOBJ_iGetXform");
    return f;
}

}  // namespace

const EngineFunctions& SystemEngineFunctions()
{
    static const EngineFunctions functions = ResolveFromGdi32();
    return functions;
}

}  // namespace lt77::win32
