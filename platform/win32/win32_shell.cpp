#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>
#include <shellapi.h>

namespace lt77::win32 {

intptr_t Win32Shell::Open(std::string_view program, std::u16string_view parameters,
                          std::string_view workingFolder, DWORD& error)
{
    const std::wstring wideParameters = WideFromU16(parameters);
    const std::wstring folder = WideFromUtf8(workingFolder);
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", WideFromUtf8(program).c_str(), wideParameters.c_str(),
                        folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
    const auto code = reinterpret_cast<intptr_t>(result);
    error = code > 32 ? 0 : static_cast<DWORD>(::GetLastError());
    return code;
}

}  // namespace lt77::win32

namespace lt77 {

Shell& SystemShell()
{
    static win32::Win32Shell instance;
    return instance;
}

}  // namespace lt77
