// Resident-font glyphs from the machine's fonts: fontconfig finds a
// monospaced face and a CJK face, FreeType draws each character in one bit
// per dot, fitted to its cell as the printer's own fonts fill theirs.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "printer/glyph_source.h"

namespace lt77::printer {
namespace {

std::string MatchFile(FcConfig* config, const char* pattern, char32_t mustHave = 0)
{
    FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
    if (p == nullptr) return {};
    if (mustHave != 0) {
        FcCharSet* set = FcCharSetCreate();
        FcCharSetAddChar(set, mustHave);
        FcPatternAddCharSet(p, FC_CHARSET, set);
        FcCharSetDestroy(set);
    }
    FcConfigSubstitute(config, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, p, &result);
    FcPatternDestroy(p);
    std::string file;
    FcChar8* path = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
        file = reinterpret_cast<const char*>(path);
    if (match != nullptr) FcPatternDestroy(match);
    return file;
}

class FreeTypeGlyphs final : public GlyphSource {
public:
    explicit FreeTypeGlyphs(std::string& error)
    {
        if (FT_Init_FreeType(&library_) != 0) {
            library_ = nullptr;
            error = "FreeType could not start";
            return;
        }
        config_ = FcInitLoadConfigAndFonts();
        // Liberation Mono has Courier's metrics, the shape receipt fonts
        // resemble; WenQuanYi Micro Hei covers Hangul and the ideographs.
        mono_ = Open(MatchFile(config_, "Liberation Mono"));
        if (mono_ == nullptr) mono_ = Open(MatchFile(config_, "monospace"));
        wide_ = Open(MatchFile(config_, "WenQuanYi Micro Hei", U'\uAC00'));
        if (wide_ == nullptr) wide_ = Open(MatchFile(config_, ":lang=ko", U'\uAC00'));
        if (mono_ == nullptr) error = "no monospaced font found";
        else if (wide_ == nullptr) error = "no CJK font found";
    }

    ~FreeTypeGlyphs() override
    {
        for (FT_Face face : faces_) FT_Done_Face(face);
        if (library_ != nullptr) FT_Done_FreeType(library_);
        if (config_ != nullptr) FcConfigDestroy(config_);
    }

    const GlyphMask& Glyph(char32_t c, uint16_t cellWidth, uint16_t cellHeight, bool doubleByte) override
    {
        const uint64_t key = (static_cast<uint64_t>(c) << 33) | (static_cast<uint64_t>(cellWidth) << 17) |
                             (static_cast<uint64_t>(cellHeight) << 1) | (doubleByte ? 1 : 0);
        const auto it = cache_.find(key);
        if (it != cache_.end()) return it->second;
        return cache_.emplace(key, Draw(c, cellWidth, cellHeight, doubleByte)).first->second;
    }

private:
    FT_Face Open(const std::string& file)
    {
        if (library_ == nullptr || file.empty()) return nullptr;
        FT_Face face = nullptr;
        if (FT_New_Face(library_, file.c_str(), 0, &face) != 0) return nullptr;
        faces_.push_back(face);
        return face;
    }

    // A face that has the character: the cell's own face first, then the
    // other, then whatever fontconfig finds for it.
    FT_Face FaceFor(char32_t c, bool doubleByte)
    {
        for (FT_Face face : {doubleByte ? wide_ : mono_, doubleByte ? mono_ : wide_})
            if (face != nullptr && FT_Get_Char_Index(face, c) != 0) return face;
        const auto known = fallbacks_.find(c);
        if (known != fallbacks_.end()) return known->second;
        FT_Face face = Open(MatchFile(config_, doubleByte ? "sans" : "monospace", c));
        if (face != nullptr && FT_Get_Char_Index(face, c) == 0) face = nullptr;
        fallbacks_[c] = face;
        return face != nullptr ? face : (doubleByte ? wide_ : mono_);
    }

    GlyphMask Draw(char32_t c, uint16_t cellWidth, uint16_t cellHeight, bool doubleByte)
    {
        GlyphMask mask;
        mask.width = cellWidth;
        mask.height = cellHeight;
        mask.dots.assign(static_cast<std::size_t>(cellWidth) * cellHeight, 0);
        if (c == U' ' || c == 0x3000 || library_ == nullptr) return mask;
        FT_Face face = FaceFor(c, doubleByte);
        if (face == nullptr) return mask;
        const double em = face->units_per_EM;
        const double lineUnits = static_cast<double>(face->ascender - face->descender);
        // Widest size whose advance fills the cell and whose ascent and
        // descent fit its height; a double-byte character is an em wide.
        const FT_UInt index = FT_Get_Char_Index(face, c);
        double advanceUnits = em;
        if (!doubleByte && FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) == 0)
            advanceUnits = std::max<double>(face->glyph->advance.x, em / 4);
        const double byWidth = cellWidth * em / advanceUnits;
        const double byHeight = cellHeight * em / lineUnits;
        // Ideographs and Hangul fill their em square, which fills the cell.
        const double ppem = doubleByte ? std::min(cellWidth, cellHeight) : std::min(byWidth, byHeight);
        FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(ppem * 64), 72, 72);
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return mask;
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        const double scale = ppem / em;
        const int ascent = static_cast<int>(std::lround(face->ascender * scale));
        const int baseline =
            doubleByte ? static_cast<int>(std::lround(cellHeight * face->ascender / lineUnits))
                       : ascent + (cellHeight - static_cast<int>(std::lround(lineUnits * scale))) / 2;
        const int penX = (cellWidth - static_cast<int>(std::lround((face->glyph->advance.x / 64.0)))) / 2;
        const int left = penX + face->glyph->bitmap_left;
        const int top = baseline - face->glyph->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row)
            for (unsigned col = 0; col < bitmap.width; ++col) {
                const unsigned char* line = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
                const bool ink = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (line[col / 8] >> (7 - col % 8)) & 1
                                                                         : line[col] >= 128;
                const int x = left + static_cast<int>(col), y = top + static_cast<int>(row);
                if (ink && x >= 0 && y >= 0 && x < cellWidth && y < cellHeight)
                    mask.dots[static_cast<std::size_t>(y) * cellWidth + static_cast<std::size_t>(x)] = 1;
            }
        return mask;
    }

    FT_Library library_ = nullptr;
    FcConfig* config_ = nullptr;
    std::vector<FT_Face> faces_;
    FT_Face mono_ = nullptr;
    FT_Face wide_ = nullptr;
    std::unordered_map<char32_t, FT_Face> fallbacks_;
    std::unordered_map<uint64_t, GlyphMask> cache_;
};

}  // namespace

std::unique_ptr<GlyphSource> MakeSystemGlyphSource(std::string& error)
{
    return std::make_unique<FreeTypeGlyphs>(error);
}

}  // namespace lt77::printer
