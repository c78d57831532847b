#include <algorithm>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>

namespace lt77::win32 {

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

}  // namespace lt77::win32

namespace lt77 {

Profile& SystemProfile()
{
    static win32::Win32Profile instance;
    return instance;
}

}  // namespace lt77
