// Numbers in the pages' edit controls, read as the dialog manager reads them
// (leading blanks, a sign, digits; anything else ends the number).
#pragma once

#include <string>
#include <string_view>

#include "common/installation_file.h"

namespace lt77::ui {

inline int TextToInt(std::u16string_view text) { return DecimalTextToInt(text); }

inline std::u16string IntToText(int value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

inline std::u16string AsciiToU16(std::string_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace lt77::ui
