// One device context as the driver core drives it: the device object, the
// public device mode, the core's records, the hook table the plug-in gave,
// and the calls of a document.
#pragma once

#include <memory>
#include <string>

#include "host/plugin_host.h"
#include "host/queue_admin.h"

namespace lt77::host {

struct DeviceSetup {
    std::string queue = "LT-77";
    int16_t copies = 1;
    int16_t orientation = DMORIENT_PORTRAIT;
    ULONG bitsPerPixel = 1;
    std::u16string formName = u"Roll Paper 80 x 297 mm";
    bool withPublicDevMode = true;
};

class DeviceContext {
public:
    DeviceContext(IPrintOemUni* plugin, HostCore& core, DeviceSetup setup);
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // PublishDriverInterface then EnableDriver, as the core does once per instance.
    HRESULT PublishAndEnableDriver();
    HRESULT EnablePDEV();
    HRESULT DisablePDEV();

    // The plug-in's hook for a core function index, or null.
    PFN Hook(ULONG index) const;
    bool HasHook(ULONG index) const { return Hook(index) != nullptr; }

    BOOL StartDoc(std::u16string_view document, DWORD jobId);
    BOOL EndDoc();
    HRESULT Command(DWORD callbackId);

    DEVOBJ& DevObj() { return devobj_; }
    SURFOBJ& Surface() { return surface_; }
    DEVINFO& DevInfo() { return devInfo_; }
    DEVMODEW& PublicDevMode() { return devmode_; }
    const DRVENABLEDATA& HookTable() const { return hooks_; }
    PVOID Record() const { return devobj_.pdevOEM; }
    const DeviceSetup& Setup() const { return setup_; }
    IPrintOemUni* Plugin() const { return plugin_; }

private:
    IPrintOemUni* plugin_;
    HostCore& core_;
    DeviceSetup setup_;
    std::unique_ptr<CoreQueue> queue_;
    DEVMODEW devmode_{};
    DEVOBJ devobj_{};
    SURFOBJ surface_{};
    GDIINFO_HEAD gdiInfo_{};
    DEVINFO devInfo_{};
    DRVENABLEDATA hooks_{};
    std::vector<DRVFN> coreEntries_;
    bool enabled_ = false;
};

}  // namespace lt77::host
