// The test host's side of the plug-in boundary: it loads the rendering
// plug-in as the driver core does and plays the core's services.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/library.h"
#include "platform/oem/com.h"
#include "host/host_core.h"
#include "platform/oem/drv_hooks.h"

namespace lt77::host {

// The plug-in library loaded through its exports, with one plug-in object.
class LoadedPlugin {
public:
    // Loads the library, gets the class factory of the rendering plug-in
    // class and creates the object as the core does (asking for IUnknown, then
    // for the plug-in interface).
    static std::unique_ptr<LoadedPlugin> Load(const std::string& path, std::string& error);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    IPrintOemUni* Plugin() const { return plugin_; }
    DllGetClassObjectFn GetClassObject() const { return getClassObject_; }
    DllCanUnloadNowFn CanUnloadNow() const { return canUnloadNow_; }
    // Releases the plug-in object (the library stays loaded).
    void ReleasePlugin();

private:
    LoadedPlugin() = default;
    std::unique_ptr<SharedLibrary> library_;
    DllGetClassObjectFn getClassObject_ = nullptr;
    DllCanUnloadNowFn canUnloadNow_ = nullptr;
    IPrintOemUni* plugin_ = nullptr;
};

// The path of the plug-in built next to the host: $LT77_PLUGIN, else the
// build's default.
std::string DefaultPluginPath();
// The port monitor the host's spooler loads: $LT77_MONITOR, else the build's.
std::string DefaultMonitorPath();

// Names of the core drawing entry points the hooks passed calls on to.
std::vector<std::string>& CoreCalls();
// The 29 core entry points as a table for EnablePDEV.
std::vector<DRVFN> CoreEntryPoints();

}  // namespace lt77::host
