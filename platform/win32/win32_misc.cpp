#include <algorithm>
#include <climits>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>
#include <shellapi.h>

namespace lt77::win32 {

LocalTime Win32Clock::Now()
{
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return LocalTime{t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

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

std::optional<std::u16string> Win32Profile::ReadString(std::string_view file, std::string_view section,
                                                       std::string_view key, DWORD maxChars, DWORD& error)
{
    // The call answers a missing file, section or key with the default text.
    // Windows also sets ERROR_FILE_NOT_FOUND then, Wine does not; a default
    // no profile value can hold (control characters) tells the cases apart
    // on both.
    static constexpr std::wstring_view kMissing = L"\x01LT77 missing\x01";
    const ::DWORD bufferChars = std::max<::DWORD>(maxChars, kMissing.size() + 2);
    std::vector<wchar_t> buffer(bufferChars, L'\0');
    ::SetLastError(ERROR_SUCCESS);
    const ::DWORD length =
        ::GetPrivateProfileStringW(WideFromUtf8(section).c_str(), WideFromUtf8(key).c_str(), kMissing.data(),
                                   buffer.data(), bufferChars, WideFromUtf8(file).c_str());
    const ::DWORD last = ::GetLastError();
    if (std::wstring_view(buffer.data(), length) == kMissing) {
        error = last != ERROR_SUCCESS ? static_cast<DWORD>(last) : syserr::kFileNotFound;
        return std::nullopt;
    }
    error = 0;
    // As the call itself does with a buffer of maxChars: the terminator
    // takes the last place.
    const ::DWORD kept = maxChars == 0 ? 0 : std::min<::DWORD>(length, maxChars - 1);
    return std::u16string(buffer.begin(), buffer.begin() + kept);
}

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

Platform& SystemPlatform()
{
    static win32::Win32Spooler spooler;
    static win32::Win32FileSystem files;
    static win32::Win32Clock clock;
    static win32::Win32Shell shell;
    static win32::Win32Profile profile;
    static win32::Win32CodePages codePages;
    static win32::Win32GraphicsEngine engine;
    static win32::Win32TextRasterizer text;
    static Platform platform{spooler, files, clock, shell, profile, codePages, engine, text};
    return platform;
}

DWORD LastSystemError() { return static_cast<DWORD>(::GetLastError()); }

void SetLastSystemError(DWORD error) { ::SetLastError(error); }

}  // namespace lt77
