#pragma once

#include <string>
#include <string_view>

namespace lt77 {

// UTF-8 <-> UTF-16 for the package's own use (paths, names, traces);
// independent of the system's code pages. Broken sequences become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace lt77

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace lt77 {

// UTF-16 held as little-endian bytes (printer data values, captured-text
// records): the units up to the first NUL, at most `maxUnits`.
std::u16string Utf16FromBytes(std::span<const uint8_t> bytes,
                              std::size_t maxUnits = std::numeric_limits<std::size_t>::max());
// The little-endian bytes of the text, with a NUL unit after it when asked.
std::vector<uint8_t> Utf16ToBytes(std::u16string_view text, bool terminate);

}  // namespace lt77

namespace lt77 {

// A NUL-terminated wide text as an application hands it to an export
// (wchar_t on Windows, char16_t elsewhere); empty for a null pointer.
template <class WideChar>
std::u16string Utf16FromTerminated(const WideChar* text)
{
    static_assert(sizeof(WideChar) == sizeof(char16_t), "a wide text of 16-bit units");
    std::u16string out;
    for (; text != nullptr && *text != 0; ++text) out.push_back(static_cast<char16_t>(*text));
    return out;
}

}  // namespace lt77
