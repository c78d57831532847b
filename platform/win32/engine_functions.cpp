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
    // Where gdi32 lacks an engine service (Wine's does), a program that
    // plays the graphics engine itself, as the test host does, may export it.
    const HMODULE program = ::GetModuleHandleW(nullptr);
    auto find = [&](const char* name) -> void* {
        auto fn = reinterpret_cast<void*>(::GetProcAddress(gdi32, name));
        return fn != nullptr || program == nullptr ? fn : reinterpret_cast<void*>(::GetProcAddress(program, name));
    };
    EngineFunctions f;
    f.EngCreatePalette = reinterpret_cast<EngineFunctions::EngCreatePaletteFn>(find("EngCreatePalette"));
    f.EngQueryPalette = reinterpret_cast<EngineFunctions::EngQueryPaletteFn>(find("EngQueryPalette"));
    f.GetPaletteEntries = reinterpret_cast<EngineFunctions::GetPaletteEntriesFn>(find("GetPaletteEntries"));
    f.FONTOBJ_pifi = reinterpret_cast<EngineFunctions::FontObjPifiFn>(find("FONTOBJ_pifi"));
    f.FONTOBJ_pxoGetXform = reinterpret_cast<EngineFunctions::FontObjGetXformFn>(find("FONTOBJ_pxoGetXform"));
    f.XFORMOBJ_iGetXform = reinterpret_cast<EngineFunctions::XformObjGetXformFn>(find("XFORMOBJ_iGetXform"));
    return f;
}

}  // namespace

const EngineFunctions& SystemEngineFunctions()
{
    static const EngineFunctions functions = ResolveFromGdi32();
    return functions;
}

}  // namespace lt77::win32
