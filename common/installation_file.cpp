#include "common/installation_file.h"

#include <climits>
#include <cstdint>

namespace lt77 {

std::string PreferenceKey(int index) { return "PREFERENCE[" + std::to_string(index) + "]"; }
std::string Barcode1dKey(int slot) { return "1D_BARCODE[" + std::to_string(slot) + "]"; }
std::string Barcode2dKey(int slot) { return "2D_BARCODE[" + std::to_string(slot) + "]"; }

std::optional<std::u16string> ReadInstallationValue(Profile& profile, std::string_view path, std::string_view key,
                                                    unsigned maxChars, DWORD& error)
{
    auto text = profile.ReadString(path, kInstallationSection, key, maxChars, error);
    if (!text || text->empty()) return std::nullopt;
    return text;
}

int DecimalTextToInt(std::u16string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > static_cast<int64_t>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace lt77
