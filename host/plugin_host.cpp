#include "host/plugin_host.h"

#include <cstring>
#include <type_traits>

#ifndef LT77_PLUGIN_DEFAULT_PATH
#define LT77_PLUGIN_DEFAULT_PATH "unilt77.so"
#endif

#ifndef LT77_MONITOR_DEFAULT_PATH
#define LT77_MONITOR_DEFAULT_PATH "monlt77.so"
#endif

namespace lt77::host {

std::string DefaultMonitorPath()
{
    if (const char* env = std::getenv("LT77_MONITOR"); env != nullptr && *env != '\0') return env;
    return LT77_MONITOR_DEFAULT_PATH;
}

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
