// The library's exported entry points.
#include "platform/oem/com_object.h"
#include "render/module_state.h"
#include "render/render_plugin.h"

#if defined(_WIN32)
#define LT77_EXPORT
#else
#define LT77_EXPORT __attribute__((visibility("default")))
#endif

extern "C" LT77_EXPORT lt77::HRESULT DllGetClassObject(const lt77::GUID& rclsid, const lt77::GUID& riid,
                                                       void** ppv)
{
    return lt77::GetClassObject<lt77::RenderPlugin>(lt77::g_module, lt77::CLSID_OEMRENDER, rclsid, riid, ppv);
}

extern "C" LT77_EXPORT lt77::HRESULT DllCanUnloadNow()
{
    return lt77::g_module.CanUnload() ? lt77::hr::kOk : lt77::hr::kFalse;
}
