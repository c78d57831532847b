// The library's exported entry points.
#include "platform/oem/com_object.h"
#include "platform/oem/export_guard.h"
#include "platform/oem/oem_ui.h"
#include "ui/ui_plugin.h"

extern "C" LT77_EXPORT lt77::HRESULT DllGetClassObject(const lt77::GUID& rclsid, const lt77::GUID& riid,
                                                       void** ppv)
{
    return lt77::Guarded(nullptr, "DllGetClassObject", lt77::hr::kOutOfMemory, [&] {
        return lt77::GetClassObject<lt77::ui::UiPlugin>(lt77::ui::UiModule(), lt77::CLSID_OEMUI, rclsid, riid, ppv);
    });
}

extern "C" LT77_EXPORT lt77::HRESULT DllCanUnloadNow()
{
    // Live factories and UI objects count as well as server locks: the core
    // may still hold one when it asks.
    return lt77::Guarded(nullptr, "DllCanUnloadNow", lt77::hr::kFalse,
                         [] { return lt77::ui::UiModule().CanUnload() ? lt77::hr::kOk : lt77::hr::kFalse; });
}
