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

// How the spooler takes the bytes offered through DrvWriteSpoolBuf.
struct SpoolPolicy {
    // At most this many bytes per call (0: all).
    DWORD maxPerCall = 0;
    // After this many bytes in all the spooler takes nothing more but still
    // reports success (a stuck spooler); 0: never.
    uint64_t stallAfter = 0;
    // After this many bytes in all every call fails (a cancelled job); 0: never.
    uint64_t failAfter = 0;
};

// The driver core's services interface, as the host offers it.
class HostCore final : public IPrintOemDriverUni {
public:
    HostCore();

    HRESULT QueryInterface(const GUID& riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT DrvGetDriverSetting(PVOID pdriverobj, const char* Feature, PVOID pOutput, DWORD cbSize,
                                DWORD* pcbNeeded, DWORD* pdwOptionsReturned) override;
    HRESULT DrvWriteSpoolBuf(PDEVOBJ pdevobj, PVOID pBuffer, DWORD cbSize, DWORD* pdwResult) override;
    HRESULT DrvXMoveTo(PDEVOBJ, INT, DWORD, INT*) override;
    HRESULT DrvYMoveTo(PDEVOBJ, INT, DWORD, INT*) override;
    HRESULT DrvGetStandardVariable(PDEVOBJ, DWORD, PVOID, DWORD, DWORD*) override;
    HRESULT DrvGetGPDData(PDEVOBJ, DWORD, PVOID, PVOID, DWORD, DWORD*) override;
    HRESULT DrvUniTextOut(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*, POINTL*,
                          MIX) override;
    HRESULT DrvWriteAbortBuf(PDEVOBJ, PVOID, DWORD, DWORD) override;

    // Option answers by feature keyword; a missing feature fails the call.
    std::map<std::string, std::string> options;
    SpoolPolicy policy;
    // Every byte the spooler took, in order.
    std::vector<uint8_t> spooled;
    // Where taken bytes are also appended (empty: memory only).
    std::string spoolFile;
    // Bytes offered per call, for tests of chunking.
    std::vector<DWORD> offers;
    // The query from PublishDriverInterface may be refused to test that path.
    bool refuseServicesQuery = false;
    long References() const { return refs_; }

private:
    long refs_ = 1;
};

// Names of the core drawing entry points the hooks passed calls on to.
std::vector<std::string>& CoreCalls();
// The 29 core entry points as a table for EnablePDEV.
std::vector<DRVFN> CoreEntryPoints();

}  // namespace lt77::host
