#include "platform/library.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>

namespace lt77 {
namespace {

class Win32Library final : public SharedLibrary {
public:
    explicit Win32Library(HMODULE module) : module_(module) {}
    ~Win32Library() override { ::FreeLibrary(module_); }
    Win32Library(const Win32Library&) = delete;
    Win32Library& operator=(const Win32Library&) = delete;
    void* Symbol(const char* name) override
    {
        return reinterpret_cast<void*>(::GetProcAddress(module_, name));
    }

private:
    HMODULE module_;
};

std::string SystemMessage(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = "error " + std::to_string(error);
    if (length != 0 && text != nullptr) {
        std::wstring_view view(text, length);
        while (!view.empty() && (view.back() == L'\n' || view.back() == L'\r' || view.back() == L' '))
            view.remove_suffix(1);
        message += ": " + win32::Utf8FromWide(view);
    }
    ::LocalFree(text);
    return message;
}

}  // namespace

std::unique_ptr<SharedLibrary> LoadSharedLibrary(const std::string& path, std::string& error)
{
    const HMODULE module = ::LoadLibraryW(win32::WideFromUtf8(path).c_str());
    if (module == nullptr) {
        error = "LoadLibrary failed with " + SystemMessage(::GetLastError());
        return nullptr;
    }
    return std::make_unique<Win32Library>(module);
}

}  // namespace lt77
