#include "possdk/sdk_rules.h"

#include <limits>

namespace lt77::possdk {

bool IsAcceptedDriver(std::u16string_view driverName, bool narrowConnect)
{
    for (const auto name : kAcceptedDriverNames)
        if (driverName.find(name) != std::u16string_view::npos) return true;
    return narrowConnect && driverName.find(kMakerDriverWord) != std::u16string_view::npos;
}

bool IsRawDataDriver(std::u16string_view driverName)
{
    return driverName.find(kMakerDriverWord) != std::u16string_view::npos;
}

uint8_t CharSetOfFace(std::u16string_view faceName)
{
    const auto has = [&](std::u16string_view word) { return faceName.find(word) != std::u16string_view::npos; };
    if (has(u"Chinese2312")) return GB2312_CHARSET_VALUE;
    if (has(u"ChineseBIG5")) return CHINESEBIG5_CHARSET_VALUE;
    if (has(u"Korean")) return HANGUL_CHARSET_VALUE;
    if (has(u"Japanese")) return SHIFTJIS_CHARSET_VALUE;
    return DEFAULT_CHARSET_VALUE;
}

unsigned CodePageOfCharSet(uint8_t charSet)
{
    switch (charSet) {
    case SHIFTJIS_CHARSET_VALUE: return 932;
    case HANGUL_CHARSET_VALUE: return 949;
    case GB2312_CHARSET_VALUE: return 936;
    case CHINESEBIG5_CHARSET_VALUE: return 950;
    default: return 0;
    }
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0) return -1;
    int64_t product = static_cast<int64_t>(a) * b;
    int64_t divisor = c;
    if (divisor < 0) {
        divisor = -divisor;
        product = -product;
    }
    const int64_t half = divisor / 2;
    const int64_t result = product >= 0 ? (product + half) / divisor : -((-product + half) / divisor);
    if (result > std::numeric_limits<int32_t>::max() || result < std::numeric_limits<int32_t>::min()) return -1;
    return static_cast<int32_t>(result);
}

int32_t FontHeightForPoints(int32_t sizePoints, int32_t dotsPerInchY) { return -MulDiv(sizePoints, dotsPerInchY, 72); }

int32_t EscapementOfRotation(int32_t rotation)
{
    switch (rotation) {
    case 1: return -900;
    case 2: return -1800;
    case 3: return -2700;
    default: return 0;
    }
}

}  // namespace lt77::possdk
