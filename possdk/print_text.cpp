// Text in the printer's resident fonts, barcode and control-code fonts, and
// scalable fonts: one logical font per call, made, selected, used and
// deleted again.
#include "possdk/print_library.h"
#include "possdk/sdk_rules.h"

namespace lt77::possdk {
namespace {

// A logical font's face name holds 31 characters and its terminator.
constexpr std::size_t kFaceChars = 31;

}  // namespace

FontDescription PrintLibrary::DescribeFont(std::u16string_view face, int32_t sizePoints, const TextStyle& style)
{
    FontDescription font;
    const int dpi = dc_ ? dc_->DeviceCaps(LOGPIXELSY_INDEX) : 0;
    font.height = FontHeightForPoints(sizePoints, dpi);
    font.width = 0;
    font.escapement = EscapementOfRotation(style.rotation);
    font.orientation = 0;
    font.weight = style.bold ? FW_BOLD_WEIGHT : FW_NORMAL_WEIGHT;
    font.italic = style.italic;
    font.underline = style.underline;
    font.strikeOut = false;
    font.charSet = CharSetOfFace(face);
    font.faceName = std::u16string(face.substr(0, kFaceChars));
    return font;
}

std::optional<PrintLibrary::LoadedFont> PrintLibrary::LoadFontW(std::u16string_view face, int32_t sizePoints,
                                                                const TextStyle& style)
{
    if (!dc_) return std::nullopt;
    LoadedFont loaded;
    loaded.font = dc_->MakeFont(DescribeFont(face, sizePoints, style));
    if (loaded.font == nullptr) return std::nullopt;
    loaded.previous = dc_->SelectFont(loaded.font);
    return loaded;
}

int32_t PrintLibrary::PrintText(int32_t x, int32_t y, std::u16string_view face, int32_t sizePoints,
                                std::u16string_view text, const TextStyle& style)
{
    if (!dc_) return 0;
    // Without its font the text goes out in the font already selected.
    const auto loaded = LoadFontW(face, sizePoints, style);
    int32_t tmHeight = 0;
    const bool measured = dc_->TextHeight(tmHeight);
    const bool drawn = dc_->WriteText(x, y, text);
    if (loaded) {
        dc_->SelectFont(loaded->previous);
        dc_->DeleteFont(loaded->font);
    }
    // A line that was not printed gives the caller nothing to advance by.
    return measured && drawn ? tmHeight : 0;
}

int32_t PrintLibrary::PrintTextNarrow(int32_t x, int32_t y, std::string_view face, int32_t sizePoints,
                                      std::string_view text, const TextStyle& style)
{
    const std::u16string wideFace = Widen(face);
    // The engine reads a narrow string in the code page of its font's character set.
    const std::u16string wideText = Widen(text, CodePageOfCharSet(CharSetOfFace(wideFace)));
    return PrintText(x, y, wideFace, sizePoints, wideText, style);
}

}  // namespace lt77::possdk
