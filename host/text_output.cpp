#include <algorithm>
#include <cstring>

#include "common/utf.h"
#include "host/text_output.h"
#include "host/host_font.h"
#include "platform/platform.h"

namespace lt77::host {
namespace {

constexpr WORD kUnitsPerEm = 2048;

// The printer's resident fonts are 24 dots high at magnification 1; the
// magnification digit sits where the family-name pattern puts it.
int32_t OwnHeight(const TextFont& font)
{
    if (font.heightDots > 0) return font.heightDots;
    if (!font.device) return 24;
    const std::string name = Utf16ToUtf8(font.family);
    std::size_t at = std::string::npos;
    if (name.rfind("Korean", 0) == 0) at = 8;
    else if (name.rfind("Chinese", 0) == 0) at = 14;
    else if (name.rfind("Japanese", 0) == 0) at = 10;
    else if (name.rfind("Font", 0) == 0) at = name.size() > 6 && (name[6] == 'x' || name[6] == 'X') ? 7 : 6;
    if (at < name.size() && name[at] >= '1' && name[at] <= '8') return 24 * (name[at] - '0');
    return 24;
}

FontDescription Describe(const TextFont& font)
{
    FontDescription d;
    d.height = -OwnHeight(font);
    d.weight = font.weight;
    d.italic = font.italic;
    d.underline = font.underline;
    d.strikeOut = font.strikeOut;
    d.charSet = font.charSet;
    d.pitchAndFamily = font.pitchAndFamily;
    // Resident fonts are fixed-pitch printer fonts; a monospaced face stands in.
    d.faceName = font.device ? u"Liberation Mono" : font.family;
    return d;
}

}  // namespace

std::vector<std::string> ResidentFontNames()
{
    std::vector<std::string> names;
    for (char letter : {'A', 'B', 'C'})
        for (char w = '1'; w <= '8'; ++w)
            for (char h = '1'; h <= '8'; ++h)
                for (const char* suffix : {"", "Ext", "255"})
                    names.push_back(std::string("Font") + letter + w + 'x' + h + suffix);
    for (char w = '1'; w <= '2'; ++w)
        for (char h = '1'; h <= '2'; ++h) {
            names.push_back(std::string("Korean") + w + 'x' + h);
            names.push_back(std::string("Chinese2312_") + w + 'x' + h);
            names.push_back(std::string("ChineseBIG5_") + w + 'x' + h);
            names.push_back(std::string("Japanese") + w + 'x' + h);
        }
    return names;
}

bool OutputText(DeviceContext& dc, PageCanvas& canvas, int32_t x, int32_t y, std::u16string_view text,
                const TextFont& font)
{
    std::string error;
    const auto mask = SystemPlatform().text.Render(Describe(font), text, error);
    const int32_t width = mask ? static_cast<int32_t>(mask->width) : 0;
    const int32_t emHeight = OwnHeight(font);
    const int32_t height = mask ? static_cast<int32_t>(mask->height) : emHeight;

    std::u16string owned(text);
    STROBJ str{};
    str.cGlyphs = static_cast<ULONG>(owned.size());
    str.rclBkGround = RECTL{x, y, x + width, y + height};
    str.pwszOrg = owned.data();

    FontDetails fields;
    fields.flFontType = font.device ? FO_TYPE_DEVICE : FO_TYPE_TRUETYPE;
    if (font.italic && !font.device) fields.flFontType |= FO_SIM_ITALIC;
    fields.cxMax = static_cast<ULONG>(emHeight);
    fields.resolutionY = 203;
    fields.familyName = font.family;
    fields.weight = font.weight;
    fields.fsSelection = static_cast<WORD>((font.underline ? 0x2 : 0) | (font.strikeOut ? 0x10 : 0));
    fields.charSet = font.charSet;
    fields.pitchAndFamily = font.pitchAndFamily;
    fields.unitsPerEm = kUnitsPerEm;
    fields.m22 = static_cast<float>(emHeight) / static_cast<float>(kUnitsPerEm);
    const auto hostFont = MakeHostFont(fields);

    auto hook = reinterpret_cast<PFN_DrvTextOut>(dc.Hook(INDEX_DrvTextOut));
    const std::size_t before = CoreCalls().size();
    POINTL origin{0, 0};
    if (hook != nullptr)
        hook(&dc.Surface(), &str, hostFont->Object(), nullptr, nullptr, &str.rclBkGround, nullptr, nullptr, &origin, 0x0D0D);
    const bool core = CoreCalls().size() > before && CoreCalls().back() == "TextOut";
    if (!core) return hook != nullptr;
    // The core draws what the plug-in passed on.
    if (mask)
        for (uint32_t j = 0; j < mask->height; ++j)
            for (uint32_t i = 0; i < mask->width; ++i)
                if (mask->At(i, j)) canvas.FillRect(x + static_cast<int32_t>(i), y + static_cast<int32_t>(j),
                                                    x + static_cast<int32_t>(i) + 1, y + static_cast<int32_t>(j) + 1, 0);
    return false;
}

}  // namespace lt77::host
