#pragma once

#include <string>
#include <string_view>

namespace lt77 {

// UTF-8 <-> UTF-16 for the package's own use (paths, names, traces);
// independent of the system's code pages. Broken sequences become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace lt77
