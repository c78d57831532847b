#include "host/monitor_registry.h"

#include <cstring>

#include "platform/oem/abi_types.h"

namespace lt77::host {
namespace {

MonitorRegistry* KeyOf(HANDLE key) { return static_cast<MonitorRegistry*>(key); }

LONG NotServed() { return static_cast<LONG>(syserr::kCallNotImplemented); }

LONG CallQueryValue(HANDLE hcKey, const WCHAR* pszValue, DWORD* pType, BYTE* pData, DWORD* pcbData, HANDLE)
{
    if (hcKey == nullptr || pszValue == nullptr) return static_cast<LONG>(syserr::kInvalidParameter);
    return KeyOf(hcKey)->QueryValue(pszValue, pType, pData, pcbData);
}

LONG CallSetValue(HANDLE hcKey, const WCHAR* pszValue, DWORD dwType, const BYTE* pData, DWORD cbData, HANDLE)
{
    if (hcKey == nullptr || pszValue == nullptr || (pData == nullptr && cbData != 0))
        return static_cast<LONG>(syserr::kInvalidParameter);
    return KeyOf(hcKey)->SetValue(pszValue, dwType, pData, cbData);
}

}  // namespace

MonitorRegistry::MonitorRegistry(Values values, std::function<void(const Values&)> changed)
    : values_(std::move(values)), changed_(std::move(changed))
{
    table_.cbSize = sizeof(table_);
    table_.fpCreateKey = [](HANDLE, const WCHAR*, DWORD, DWORD, void*, HANDLE*, DWORD*, HANDLE) { return NotServed(); };
    table_.fpOpenKey = [](HANDLE, const WCHAR*, DWORD, HANDLE*, HANDLE) { return NotServed(); };
    table_.fpCloseKey = [](HANDLE, HANDLE) { return LONG{0}; };
    table_.fpDeleteKey = [](HANDLE, const WCHAR*, HANDLE) { return NotServed(); };
    table_.fpEnumKey = [](HANDLE, DWORD, WCHAR*, DWORD*, mon::FILETIME*, HANDLE) { return NotServed(); };
    table_.fpQueryInfoKey = [](HANDLE, DWORD*, DWORD*, DWORD*, DWORD*, DWORD*, DWORD*, mon::FILETIME*, HANDLE) {
        return NotServed();
    };
    table_.fpSetValue = &CallSetValue;
    table_.fpDeleteValue = [](HANDLE, const WCHAR*, HANDLE) { return NotServed(); };
    table_.fpEnumValue = [](HANDLE, DWORD, WCHAR*, DWORD*, DWORD*, BYTE*, DWORD*, HANDLE) { return NotServed(); };
    table_.fpQueryValue = &CallQueryValue;
}

mon::MONITORINIT MonitorRegistry::Init()
{
    mon::MONITORINIT init{};
    init.cbSize = sizeof(init);
    init.hSpooler = nullptr;
    init.hckRegistryRoot = this;
    init.pMonitorReg = &table_;
    init.bLocal = kBoolTrue;
    init.pszServerName = nullptr;
    return init;
}

MonitorRegistry::Values MonitorRegistry::Snapshot()
{
    std::lock_guard lock(mutex_);
    return values_;
}

LONG MonitorRegistry::QueryValue(std::u16string_view name, DWORD* type, BYTE* data, DWORD* bytes)
{
    std::lock_guard lock(mutex_);
    const auto it = values_.find(std::u16string(name));
    if (it == values_.end()) return static_cast<LONG>(syserr::kFileNotFound);
    if (type != nullptr) *type = it->second.type;
    if (bytes == nullptr) return 0;
    const auto size = static_cast<DWORD>(it->second.bytes.size());
    if (data != nullptr && *bytes < size) {
        *bytes = size;
        return static_cast<LONG>(syserr::kMoreData);
    }
    if (data != nullptr) std::memcpy(data, it->second.bytes.data(), size);
    *bytes = size;
    return 0;
}

LONG MonitorRegistry::SetValue(std::u16string_view name, DWORD type, const BYTE* data, DWORD bytes)
{
    Values copy;
    {
        std::lock_guard lock(mutex_);
        if (failSetWith != 0) return static_cast<LONG>(failSetWith);
        values_[std::u16string(name)] = Value{type, std::vector<uint8_t>(data, data + bytes)};
        copy = values_;
    }
    if (changed_) changed_(copy);
    return 0;
}

}  // namespace lt77::host
