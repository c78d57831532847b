// Text at the Windows edge: the portable code passes UTF-8 and UTF-16 as
// std::string and std::u16string; the W functions take wchar_t, which is
// UTF-16 on Windows as well.
#pragma once

#include <string>
#include <string_view>

namespace lt77::win32 {

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

// The wide string of a null-terminated spooler field; empty for null.
std::u16string U16FromField(const wchar_t* field);

inline std::wstring WideFromU16(std::u16string_view text) { return {text.begin(), text.end()}; }

}  // namespace lt77::win32
