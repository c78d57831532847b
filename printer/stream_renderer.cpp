#include "printer/stream_renderer.h"

#include "printer/job_run.h"

namespace lt77::printer {

char32_t StreamRenderer::CharacterDecoder::Single(unsigned codePage, uint8_t byte)
{
    auto it = singles_.find(codePage);
    if (it == singles_.end()) {
        // One conversion of the whole upper half, which these single-byte
        // pages map one to one; a page that does not is asked byte by byte.
        std::array<char32_t, 128> table{};
        std::string upper;
        for (int b = 0x80; b <= 0xFF; ++b) upper.push_back(static_cast<char>(b));
        const std::u16string wide = codePages_.ToWide(codePage, upper);
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (wide.size() == table.size()) {
                table[i] = wide[i];
                continue;
            }
            const std::u16string one = codePages_.ToWide(codePage, std::string(1, static_cast<char>(0x80 + i)));
            table[i] = one.empty() ? U'\uFFFD' : one[0];
        }
        it = singles_.emplace(codePage, table).first;
    }
    return byte < 0x80 ? byte : it->second[byte - 0x80];
}

char32_t StreamRenderer::CharacterDecoder::Double(unsigned codePage, uint8_t lead, uint8_t trail)
{
    const auto key = std::make_pair(codePage, static_cast<uint16_t>(lead << 8 | trail));
    if (const auto it = doubles_.find(key); it != doubles_.end()) return it->second;
    const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
    const std::u16string wide = codePages_.ToWide(codePage, bytes);
    // A pair the page does not hold comes back as replacement or question
    // marks, one per byte.
    const char32_t c = wide.size() == 1 ? wide[0] : U'\uFFFD';
    doubles_.emplace(key, c);
    return c;
}

StreamRenderer::StreamRenderer(GlyphSource& glyphs, SymbolEncoder& symbols, CodePages& codePages,
                               RenderOptions options)
    : glyphs_(glyphs), symbols_(symbols), options_(options), decoder_(std::make_unique<CharacterDecoder>(codePages))
{
}

StreamRenderer::~StreamRenderer() = default;

RenderedJob StreamRenderer::Render(std::span<const uint8_t> job)
{
    return JobRun(glyphs_, symbols_, *decoder_, nvImages_, options_, job).Run();
}

SystemRenderer::SystemRenderer(RenderOptions options)
    : glyphs_(MakeSystemGlyphSource(fontError_)),
      symbols_(MakeSystemSymbolEncoder()),
      renderer_(*glyphs_, *symbols_, SystemCodePages(), options)
{
}

}  // namespace lt77::printer
