// Text rasterising with FreeType; fontconfig maps Windows face names to
// installed fonts of the same metrics (Arial to Liberation Sans, and so on).
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <map>
#include <mutex>

#include "common/utf.h"
#include "platform/posix/posix_platform.h"

namespace lt77::posix {
namespace {

constexpr int32_t kDefaultCellHeight = 16;

struct FaceKey {
    std::string file;
    int index;
    bool operator<(const FaceKey& o) const { return file != o.file ? file < o.file : index < o.index; }
};

class FreeTypeFonts {
public:
    static FreeTypeFonts& Instance()
    {
        static FreeTypeFonts fonts;
        return fonts;
    }
    std::mutex lock;

    // An installed face that has the character, for text the chosen face
    // cannot show (Windows links fonts the same way for CJK text).
    FT_Face Fallback(const FontDescription& font, char32_t c)
    {
        FcPattern* pattern = FcPatternCreate();
        FcCharSet* set = FcCharSetCreate();
        FcCharSetAddChar(set, c);
        FcPatternAddCharSet(pattern, FC_CHARSET, set);
        FcPatternAddInteger(pattern, FC_WEIGHT, font.weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        FcCharSetDestroy(set);
        if (match == nullptr) return nullptr;
        FT_Face face = Open(match);
        FcPatternDestroy(match);
        return face != nullptr && FT_Get_Char_Index(face, c) != 0 ? face : nullptr;
    }

    // The installed face that fontconfig picks for the description.
    FT_Face Find(const FontDescription& font, std::string& error)
    {
        if (library_ == nullptr) {
            error = "FreeType could not start";
            return nullptr;
        }
        FcPattern* pattern = FcPatternCreate();
        const std::string family = Utf16ToUtf8(font.faceName);
        if (!family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, font.weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, font.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        if (match == nullptr) {
            error = "no installed font matches \"" + family + "\"";
            return nullptr;
        }
        FT_Face face = Open(match);
        FcPatternDestroy(match);
        if (face == nullptr) error = "cannot open the font file that fontconfig chose";
        return face;
    }

private:
    FT_Face Open(FcPattern* match)
    {
        FcChar8* file = nullptr;
        int index = 0;
        FcPatternGetString(match, FC_FILE, 0, &file);
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        const FaceKey key{file != nullptr ? reinterpret_cast<const char*>(file) : "", index};
        if (auto it = faces_.find(key); it != faces_.end()) return it->second;
        FT_Face face = nullptr;
        if (key.file.empty() || FT_New_Face(library_, key.file.c_str(), key.index, &face) != 0) return nullptr;
        faces_[key] = face;
        return face;
    }

    FreeTypeFonts()
    {
        FcInit();
        if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    }
    ~FreeTypeFonts()
    {
        for (auto& [key, face] : faces_) FT_Done_Face(face);
        if (library_ != nullptr) FT_Done_FreeType(library_);
        FcFini();
    }
    FT_Library library_ = nullptr;
    std::map<FaceKey, FT_Face> faces_;
};

// Windows measures a TrueType cell by the font's Windows ascent and descent.
void CellMetrics(FT_Face face, long& ascentUnits, long& descentUnits)
{
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
        ascentUnits = os2->usWinAscent;
        descentUnits = os2->usWinDescent;
    } else {
        ascentUnits = face->ascender;
        descentUnits = -face->descender;
    }
    if (ascentUnits + descentUnits <= 0) {
        ascentUnits = face->units_per_EM;
        descentUnits = 0;
    }
}

}  // namespace

std::optional<TextMask> PosixTextRasterizer::Render(const FontDescription& font, std::u16string_view text,
                                                    std::string& error)
{
    FreeTypeFonts& fonts = FreeTypeFonts::Instance();
    std::lock_guard guard(fonts.lock);
    FT_Face face = fonts.Find(font, error);
    if (face == nullptr) return std::nullopt;
    long ascentUnits = 0, descentUnits = 0;
    CellMetrics(face, ascentUnits, descentUnits);
    const long upem = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    double emPixels;
    if (font.height < 0)
        emPixels = -static_cast<double>(font.height);
    else
        emPixels = static_cast<double>(font.height == 0 ? kDefaultCellHeight : font.height) * static_cast<double>(upem) /
                   static_cast<double>(ascentUnits + descentUnits);
    if (emPixels < 1.0 || emPixels > 4096.0) {
        error = "font height out of range";
        return std::nullopt;
    }
    const FT_F26Dot6 em26 = static_cast<FT_F26Dot6>(std::lround(emPixels * 64.0));
    if (FT_Set_Char_Size(face, 0, em26, 72, 72) != 0) {
        error = "the font cannot be sized";
        return std::nullopt;
    }
    const auto ascent = static_cast<uint32_t>(std::lround(static_cast<double>(ascentUnits) * emPixels / static_cast<double>(upem)));
    const auto descent = static_cast<uint32_t>(std::lround(static_cast<double>(descentUnits) * emPixels / static_cast<double>(upem)));
    const bool syntheticItalic = font.italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
    const bool syntheticBold = font.weight >= 600 && !(face->style_flags & FT_STYLE_FLAG_BOLD);

    // Pass 1: faces and advances.
    struct Glyph {
        FT_Face face;
        FT_UInt index;
    };
    std::vector<Glyph> glyphs;
    uint32_t advance = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        Glyph g{face, FT_Get_Char_Index(face, c)};
        if (g.index == 0) {
            if (FT_Face other = fonts.Fallback(font, c)) {
                g = Glyph{other, FT_Get_Char_Index(other, c)};
                FT_Set_Char_Size(other, 0, em26, 72, 72);
            }
        }
        glyphs.push_back(g);
        if (FT_Load_Glyph(g.face, g.index, FT_LOAD_DEFAULT) == 0)
            advance += static_cast<uint32_t>((g.face->glyph->advance.x + 32) >> 6);
    }
    TextMask mask;
    mask.height = ascent + descent;
    mask.width = advance + (font.italic ? mask.height : 0);
    if (mask.width == 0 || mask.height == 0) {
        mask.width = std::max<uint32_t>(mask.width, 0);
        return mask;
    }
    mask.set.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);

    // Pass 2: glyph bitmaps on the baseline.
    int32_t pen = 0;
    for (const Glyph& g : glyphs) {
        if (FT_Load_Glyph(g.face, g.index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0) continue;
        FT_GlyphSlot slot = g.face->glyph;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            if (syntheticItalic) {
                FT_Matrix shear{0x10000, 0x5800, 0, 0x10000};  // about 19 degrees, as Windows slants
                FT_Outline_Transform(&slot->outline, &shear);
            }
            if (syntheticBold) FT_Outline_Embolden(&slot->outline, em26 / 24);
        }
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) == 0) {
            const FT_Bitmap& bm = slot->bitmap;
            for (unsigned row = 0; row < bm.rows; ++row)
                for (unsigned col = 0; col < bm.width; ++col) {
                    const unsigned char byte = bm.buffer[static_cast<int>(row) * bm.pitch + static_cast<int>(col / 8)];
                    if (!(byte & (0x80 >> (col % 8)))) continue;
                    const int32_t x = pen + slot->bitmap_left + static_cast<int32_t>(col);
                    const int32_t y = static_cast<int32_t>(ascent) - slot->bitmap_top + static_cast<int32_t>(row);
                    if (x >= 0 && y >= 0 && x < static_cast<int32_t>(mask.width) && y < static_cast<int32_t>(mask.height))
                        mask.set[static_cast<std::size_t>(y) * mask.width + static_cast<std::size_t>(x)] = 1;
                }
        }
        pen += static_cast<int32_t>((slot->advance.x + 32) >> 6);
    }
    const uint32_t lineThickness = std::max<uint32_t>(1, mask.height / 16);
    auto rule = [&](uint32_t top) {
        for (uint32_t y = top; y < top + lineThickness && y < mask.height; ++y)
            for (uint32_t x = 0; x < advance; ++x) mask.set[static_cast<std::size_t>(y) * mask.width + x] = 1;
    };
    if (font.underline) rule(std::min(ascent + std::max<uint32_t>(1, descent / 2), mask.height - 1));
    if (font.strikeOut) rule(ascent - std::min(ascent, ascent * 3 / 10));
    return mask;
}

}  // namespace lt77::posix

namespace lt77 {

TextRasterizer& SystemTextRasterizer()
{
    static posix::PosixTextRasterizer text;
    return text;
}

}  // namespace lt77
