// The installation file "InstallConfig_LT77.INI": the settings a queue starts
// with, read by the UI plug-in when the printer is installed and by the
// rendering plug-in when "MISC" is missing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/profile.h"

namespace lt77 {

inline constexpr const char* kInstallationSection = "LT77";
inline constexpr const char* kStartDocumentCmdKey = "START_DOCUMENT_CMD";
inline constexpr const char* kStartPageCmdKey = "START_PAGE_CMD";
inline constexpr const char* kEndPageCmdKey = "END_PAGE_CMD";
inline constexpr const char* kEndDocumentCmdKey = "END_DOCUMENT_CMD";

// "PREFERENCE[n]" for settings index n (0 ... 43).
std::string PreferenceKey(int index);
// "1D_BARCODE[n]" (n = 1 ... 9) and "2D_BARCODE[n]" (n = 1 ... 8).
std::string Barcode1dKey(int slot);
std::string Barcode2dKey(int slot);

// A value of the file's section, at most `maxChars` - 1 characters. Null
// when the file or key is missing or the value is empty; `error` then holds
// the system error of the profile call.
std::optional<std::u16string> ReadInstallationValue(Profile& profile, std::string_view path, std::string_view key,
                                                    unsigned maxChars, DWORD& error);

// The standard decimal conversion of a PREFERENCE value: leading blanks and
// a sign allowed, 0 when no digits, saturated on overflow.
int DecimalTextToInt(std::u16string_view text);

}  // namespace lt77
