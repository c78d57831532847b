// The library's fixed rules: which queues' drivers it prints to, the
// character set a face name asks for, font heights and rotation codes.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace lt77::possdk {

// The driver families the connect accepts, in the order they are tested as
// case-sensitive substrings of the queue's driver name; "LT-77" is this
// model's family, the others the maker's other receipt and label printers.
inline constexpr std::array<std::u16string_view, 9> kAcceptedDriverNames{
    u"LT-77", u"LT-20", u"LT-30", u"LT-58", u"LT-62", u"LT-80", u"LT-88", u"LP-100", u"LK-200"};
// The maker's word: the narrow connect also accepts any driver name holding
// it, and the raw path accepts only those.
inline constexpr std::u16string_view kMakerDriverWord = u"KELWYNT";

bool IsAcceptedDriver(std::u16string_view driverName, bool narrowConnect);
bool IsRawDataDriver(std::u16string_view driverName);

inline constexpr uint8_t DEFAULT_CHARSET_VALUE = 1;
inline constexpr uint8_t SHIFTJIS_CHARSET_VALUE = 128;
inline constexpr uint8_t HANGUL_CHARSET_VALUE = 129;
inline constexpr uint8_t GB2312_CHARSET_VALUE = 134;
inline constexpr uint8_t CHINESEBIG5_CHARSET_VALUE = 136;

uint8_t CharSetOfFace(std::u16string_view faceName);
// The code page text of a character set is written in (0: the system's
// ANSI code page), as the engine converts narrow text for a font.
unsigned CodePageOfCharSet(uint8_t charSet);

// MulDiv: a * b / c rounded half away from zero; -1 when c is 0 or the
// result does not fit.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);
// A logical font's height for a size in points: minus the character height
// in dots at the device's vertical dots per inch.
int32_t FontHeightForPoints(int32_t sizePoints, int32_t dotsPerInchY);
// Escapement in tenths of a degree: 1, 2, 3 turn 90, 180, 270 degrees
// clockwise; any other code 0.
int32_t EscapementOfRotation(int32_t rotation);

inline constexpr int32_t FW_NORMAL_WEIGHT = 400;
inline constexpr int32_t FW_BOLD_WEIGHT = 700;

}  // namespace lt77::possdk
