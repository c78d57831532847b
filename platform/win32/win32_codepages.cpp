#include <climits>

#include "platform/win32/win32_platform.h"

#include <windows.h>

namespace lt77::win32 {

unsigned Win32CodePages::AnsiCodePage() { return ::GetACP(); }

std::string Win32CodePages::FromWide(unsigned codePage, std::u16string_view text)
{
    if (text.empty() || text.size() > INT_MAX) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(codePage, 0, wide, size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(codePage, 0, wide, size, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::u16string Win32CodePages::ToWide(unsigned codePage, std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    const int size = static_cast<int>(bytes.size());
    const int chars = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::u16string out(static_cast<std::size_t>(chars), u'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(out.data()), chars);
    return out;
}

}  // namespace lt77::win32

namespace lt77 {

CodePages& SystemCodePages()
{
    static win32::Win32CodePages instance;
    return instance;
}

}  // namespace lt77
