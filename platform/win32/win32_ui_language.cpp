// The thread's UI language: the thread UI-language calls where the system
// has them (looked up at run time, as older systems lack them), else the
// thread locale.
#include <windows.h>

#include "platform/ui_language.h"

namespace lt77::win32 {
namespace {

using GetThreadUILanguageFn = LANGID(WINAPI*)();
using SetThreadUILanguageFn = LANGID(WINAPI*)(LANGID);

// An export of a system library as the function type it has.
template <class Fn>
Fn Export(const wchar_t* library, const char* name)
{
    HMODULE module = ::GetModuleHandleW(library);
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

class Win32UiLanguage final : public UiLanguage {
public:
    WORD Current() override
    {
        if (SystemMajorVersion() > 5)
            if (auto get = Export<GetThreadUILanguageFn>(L"kernel32.dll", "GetThreadUILanguage"))
                if (const LANGID id = get(); id != 0) return id;
        return static_cast<WORD>(::GetThreadLocale() & 0xFFFF);
    }

    void SwitchTo(WORD languageId) override
    {
        // A switch that reports success but leaves the thread's UI language
        // as it was (Wine's) would keep the templates in the old language:
        // the thread locale, which resource lookup also follows, is set then.
        if (SystemMajorVersion() > 5)
            if (auto set = Export<SetThreadUILanguageFn>(L"kernel32.dll", "SetThreadUILanguage"))
                if (set(languageId) == languageId) {
                    auto get = Export<GetThreadUILanguageFn>(L"kernel32.dll", "GetThreadUILanguage");
                    if (get == nullptr || get() == languageId) return;
                }
        ::SetThreadLocale(MAKELCID(languageId, SORT_DEFAULT));
    }

    DWORD SystemMajorVersion() override
    {
        // GetVersionEx reports what the manifest allows; the kernel's own
        // call reports the system.
        struct OsVersion {
            ULONG size, major, minor, build, platform;
            WCHAR servicePack[128];
        } version{sizeof(OsVersion), 0, 0, 0, 0, {}};
        using RtlGetVersionFn = LONG(WINAPI*)(OsVersion*);
        auto get = Export<RtlGetVersionFn>(L"ntdll.dll", "RtlGetVersion");
        if (get != nullptr && get(&version) == 0) return version.major;
        return 6;
    }
};

}  // namespace
}  // namespace lt77::win32

namespace lt77 {

UiLanguage& SystemUiLanguage()
{
    static win32::Win32UiLanguage language;
    return language;
}

}  // namespace lt77
