#include "host/plugin_host.h"

#include <cstring>
#include <fstream>
#include <type_traits>

#ifndef LT77_PLUGIN_DEFAULT_PATH
#define LT77_PLUGIN_DEFAULT_PATH "unilt77.so"
#endif

namespace lt77::host {

std::string DefaultPluginPath()
{
    if (const char* env = std::getenv("LT77_PLUGIN"); env != nullptr && *env != '\0') return env;
    return LT77_PLUGIN_DEFAULT_PATH;
}

std::unique_ptr<LoadedPlugin> LoadedPlugin::Load(const std::string& path, std::string& error)
{
    std::unique_ptr<LoadedPlugin> loaded(new LoadedPlugin());
    loaded->library_ = LoadSharedLibrary(path, error);
    if (!loaded->library_) {
        error = path + ": " + error;
        return nullptr;
    }
    loaded->getClassObject_ = reinterpret_cast<DllGetClassObjectFn>(loaded->library_->Symbol("DllGetClassObject"));
    loaded->canUnloadNow_ = reinterpret_cast<DllCanUnloadNowFn>(loaded->library_->Symbol("DllCanUnloadNow"));
    if (loaded->getClassObject_ == nullptr || loaded->canUnloadNow_ == nullptr) {
        error = path + ": DllGetClassObject or DllCanUnloadNow is not exported";
        return nullptr;
    }
    void* factoryPtr = nullptr;
    HRESULT result = loaded->getClassObject_(CLSID_OEMRENDER, IID_IClassFactory, &factoryPtr);
    if (result != hr::kOk || factoryPtr == nullptr) {
        error = path + ": DllGetClassObject failed with " + std::to_string(result);
        return nullptr;
    }
    auto* factory = static_cast<IClassFactory*>(factoryPtr);
    void* unknownPtr = nullptr;
    result = factory->CreateInstance(nullptr, IID_IUnknown, &unknownPtr);
    factory->Release();
    if (result != hr::kOk || unknownPtr == nullptr) {
        error = path + ": CreateInstance failed with " + std::to_string(result);
        return nullptr;
    }
    auto* unknown = static_cast<IUnknown*>(unknownPtr);
    void* pluginPtr = nullptr;
    result = unknown->QueryInterface(IID_IPrintOemUni, &pluginPtr);
    unknown->Release();
    if (result != hr::kOk || pluginPtr == nullptr) {
        error = path + ": the object does not offer the rendering plug-in interface";
        return nullptr;
    }
    loaded->plugin_ = static_cast<IPrintOemUni*>(pluginPtr);
    return loaded;
}

void LoadedPlugin::ReleasePlugin()
{
    if (plugin_ != nullptr) plugin_->Release();
    plugin_ = nullptr;
}

LoadedPlugin::~LoadedPlugin() { ReleasePlugin(); }

HostCore::HostCore()
{
    options["InputBin"] = "Option1";
    options["Orientation"] = "PORTRAIT";
}

HRESULT HostCore::QueryInterface(const GUID& riid, void** ppv)
{
    if (ppv == nullptr) return hr::kPointer;
    if (riid == IID_IUnknown || (riid == IID_IPrintOemDriverUni && !refuseServicesQuery)) {
        *ppv = static_cast<IPrintOemDriverUni*>(this);
        AddRef();
        return hr::kOk;
    }
    *ppv = nullptr;
    return hr::kNoInterface;
}

// The host owns the object on its stack or heap; counts are kept only so
// tests can check that the plug-in releases what it took.
ULONG HostCore::AddRef() { return static_cast<ULONG>(++refs_); }
ULONG HostCore::Release() { return static_cast<ULONG>(--refs_); }

HRESULT HostCore::DrvGetDriverSetting(PVOID, const char* Feature, PVOID pOutput, DWORD cbSize, DWORD* pcbNeeded,
                                      DWORD* pdwOptionsReturned)
{
    if (Feature == nullptr) return hr::kFail;
    const auto it = options.find(Feature);
    if (it == options.end()) {
        if (pcbNeeded != nullptr) *pcbNeeded = 0;
        if (pdwOptionsReturned != nullptr) *pdwOptionsReturned = 0;
        return hr::kFail;
    }
    const DWORD needed = static_cast<DWORD>(it->second.size() + 2);  // text, NUL, list-ending NUL
    if (pcbNeeded != nullptr) *pcbNeeded = needed;
    if (pdwOptionsReturned != nullptr) *pdwOptionsReturned = 1;
    if (pOutput == nullptr || cbSize < needed) return hr::kFail;
    std::memcpy(pOutput, it->second.c_str(), it->second.size() + 1);
    static_cast<char*>(pOutput)[needed - 1] = '\0';
    return hr::kOk;
}

HRESULT HostCore::DrvWriteSpoolBuf(PDEVOBJ, PVOID pBuffer, DWORD cbSize, DWORD* pdwResult)
{
    offers.push_back(cbSize);
    if (pdwResult != nullptr) *pdwResult = 0;
    if (pBuffer == nullptr && cbSize != 0) return hr::kFail;
    if (policy.failAfter != 0 && spooled.size() >= policy.failAfter) return hr::kFail;
    uint64_t take = cbSize;
    if (policy.maxPerCall != 0 && take > policy.maxPerCall) take = policy.maxPerCall;
    if (policy.stallAfter != 0) take = spooled.size() >= policy.stallAfter ? 0 : std::min(take, policy.stallAfter - spooled.size());
    if (policy.failAfter != 0) take = std::min(take, policy.failAfter - spooled.size());
    const auto* bytes = static_cast<const uint8_t*>(pBuffer);
    spooled.insert(spooled.end(), bytes, bytes + take);
    if (!spoolFile.empty() && take > 0) {
        std::ofstream out(spoolFile, std::ios::binary | std::ios::app);
        out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(take));
    }
    if (pdwResult != nullptr) *pdwResult = static_cast<DWORD>(take);
    return hr::kOk;
}

HRESULT HostCore::DrvXMoveTo(PDEVOBJ, INT, DWORD, INT*) { return hr::kNotImpl; }
HRESULT HostCore::DrvYMoveTo(PDEVOBJ, INT, DWORD, INT*) { return hr::kNotImpl; }
HRESULT HostCore::DrvGetStandardVariable(PDEVOBJ, DWORD, PVOID, DWORD, DWORD*) { return hr::kNotImpl; }
HRESULT HostCore::DrvGetGPDData(PDEVOBJ, DWORD, PVOID, PVOID, DWORD, DWORD*) { return hr::kNotImpl; }
HRESULT HostCore::DrvUniTextOut(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*,
                                POINTL*, MIX)
{
    return hr::kNotImpl;
}
HRESULT HostCore::DrvWriteAbortBuf(PDEVOBJ, PVOID, DWORD, DWORD) { return hr::kNotImpl; }

std::vector<std::string>& CoreCalls()
{
    static std::vector<std::string> calls;
    return calls;
}

namespace {

template <const char* Name, class Sig>
struct CoreFn;

template <const char* Name, class R, class... A>
struct CoreFn<Name, R (*)(A...)> {
    static R Call(A...)
    {
        CoreCalls().emplace_back(Name);
        if constexpr (std::is_pointer_v<R>)
            return nullptr;
        else
            return static_cast<R>(1);
    }
};

#define LT77_CORE_NAME(name) constexpr char kName##name[] = #name;
LT77_DRV_HOOKED_FUNCTIONS(LT77_CORE_NAME)
#undef LT77_CORE_NAME

}  // namespace

std::vector<DRVFN> CoreEntryPoints()
{
#define LT77_CORE_ENTRY(name) DRVFN{INDEX_Drv##name, reinterpret_cast<PFN>(&CoreFn<kName##name, PFN_Drv##name>::Call)},
    return {LT77_DRV_HOOKED_FUNCTIONS(LT77_CORE_ENTRY)};
#undef LT77_CORE_ENTRY
}

}  // namespace lt77::host
