#include <vector>

#include "platform/registry.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>

namespace lt77::win32 {
namespace {

class Win32Registry final : public Registry {
public:
    RegistryRead ReadMachineString(std::string_view keyPath, std::u16string_view value, DWORD maxBytes,
                                   std::u16string& out) override
    {
        HKEY key = nullptr;
        const LONG opened = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideFromUtf8(keyPath).c_str(), 0, KEY_READ, &key);
        if (opened != ERROR_SUCCESS) return {false, static_cast<DWORD>(opened)};
        // One spare unit, so that a value stored without its terminator still ends in one.
        std::vector<wchar_t> text(maxBytes / sizeof(wchar_t) + 1, L'\0');
        ::DWORD type = 0;
        ::DWORD size = maxBytes;
        const LONG read = ::RegQueryValueExW(key, WideFromU16(value).c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(text.data()), &size);
        ::RegCloseKey(key);
        if (read != ERROR_SUCCESS) return {true, static_cast<DWORD>(read)};
        if (type != REG_SZ && type != REG_EXPAND_SZ) return {true, ERROR_UNSUPPORTED_TYPE};
        out = U16FromField(text.data());
        return {true, 0};
    }
};

}  // namespace
}  // namespace lt77::win32

namespace lt77 {

Registry& SystemRegistry()
{
    static win32::Win32Registry registry;
    return registry;
}

}  // namespace lt77
