// The library's exported entry points.
#include "platform/oem/com_object.h"
#include "platform/oem/export_guard.h"
#include "render/module_state.h"
#include "render/render_plugin.h"
#include "render/trace.h"

extern "C" LT77_EXPORT lt77::HRESULT DllGetClassObject(const lt77::GUID& rclsid, const lt77::GUID& riid,
                                                       void** ppv)
{
    return lt77::Guarded(&lt77::TraceLog, "DllGetClassObject", lt77::hr::kOutOfMemory, [&] {
        return lt77::GetClassObject<lt77::RenderPlugin, &lt77::TraceLog>(lt77::g_module, lt77::CLSID_OEMRENDER,
                                                                         rclsid, riid, ppv);
    });
}

extern "C" LT77_EXPORT lt77::HRESULT DllCanUnloadNow()
{
    // Staying loaded is the safe answer when in doubt.
    return lt77::Guarded(&lt77::TraceLog, "DllCanUnloadNow", lt77::hr::kFalse,
                         [] { return lt77::g_module.CanUnload() ? lt77::hr::kOk : lt77::hr::kFalse; });
}
