// Where the build has no FreeType (the Windows cross build), each character
// but the space is an outlined box of its cell: the layout stays true.
#include <unordered_map>

#include "printer/glyph_source.h"

namespace lt77::printer {
namespace {

class BoxGlyphs final : public GlyphSource {
public:
    const GlyphMask& Glyph(char32_t c, uint16_t cellWidth, uint16_t cellHeight, bool) override
    {
        const bool blank = c == U' ' || c == 0x3000;
        const uint64_t key = (static_cast<uint64_t>(cellWidth) << 17) | (static_cast<uint64_t>(cellHeight) << 1) |
                             (blank ? 1 : 0);
        auto it = cache_.find(key);
        if (it != cache_.end()) return it->second;
        GlyphMask mask;
        mask.width = cellWidth;
        mask.height = cellHeight;
        mask.dots.assign(static_cast<std::size_t>(cellWidth) * cellHeight, 0);
        if (!blank && cellWidth > 2 && cellHeight > 2)
            for (uint32_t y = 1; y + 1 < cellHeight; ++y)
                for (uint32_t x = 1; x + 1 < cellWidth; ++x)
                    if (y == 1 || y + 2 == cellHeight || x == 1 || x + 2 == cellWidth)
                        mask.dots[static_cast<std::size_t>(y) * cellWidth + x] = 1;
        return cache_.emplace(key, std::move(mask)).first->second;
    }

private:
    std::unordered_map<uint64_t, GlyphMask> cache_;
};

}  // namespace

std::unique_ptr<GlyphSource> MakeSystemGlyphSource(std::string& error)
{
    error = "this build has no font rasteriser; characters are drawn as boxes";
    return std::make_unique<BoxGlyphs>();
}

}  // namespace lt77::printer
