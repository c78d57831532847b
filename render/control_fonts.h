// Control-code fonts: text drawn in "FontControl" (also "Control" or
// "control") or in "ZozaRurodirA" prints nothing itself; each character
// stands for printer commands. The text capture stores the returned bytes in
// slot 1 of a record of type 3 or 4 and leaves slot 2 empty; an empty result
// means no record.
//
// `text` is the string converted to the system code page, one element per
// byte, without terminator.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "render/device_record.h"

namespace lt77 {

// Translates through the fixed table. "F" and "f" add no bytes but set
// pdev.bNoCutNoFeeds and pdev.bNoCutNoFeeds2, which keep the job's own cut
// and drawer commands back; characters not in the table add nothing.
std::vector<uint8_t> GetFontControlCommand(OemPDEV& pdev, std::span<const uint8_t> text);

// Translates through section "ZozaRurodirA" of "LT77.INI" in the print
// processor folder: key "%02x" of the character code, value upper-case
// hexadecimal pairs. Characters outside 0x20 ... 0x7F, missing keys, and
// values that are empty, of odd length or hold a lower-case letter add
// nothing; any other pair that is not two of "0"-"9", "A"-"F" is skipped.
// A missing file yields no bytes.
std::vector<uint8_t> GetCommandFromFile(const OemPDEV& pdev, std::span<const uint8_t> text);

}  // namespace lt77
