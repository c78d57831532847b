#include <algorithm>
#include <deque>
#include <mutex>

#include "platform/posix/posix_platform.h"

namespace lt77::posix {

HPALETTE PosixGraphicsEngine::CreateBgrPalette()
{
    // Palettes live as long as the process, as engine palettes of a device do.
    static std::mutex lock;
    static std::deque<PosixPalette> palettes;
    std::lock_guard guard(lock);
    PosixPalette& p = palettes.emplace_back();
    p.bgr = true;
    return &p;
}

std::optional<std::array<PaletteEntry, 256>> PosixGraphicsEngine::ReadPalette(HPALETTE palette)
{
    if (palette == nullptr) return std::nullopt;
    const auto* p = static_cast<const PosixPalette*>(palette);
    if (p->tag != PosixPalette::kTag || p->bgr) return std::nullopt;
    std::array<PaletteEntry, 256> entries{};
    for (uint32_t i = 0; i < std::min<uint32_t>(p->count, 256); ++i) entries[i] = p->entries[i];
    return entries;
}

std::optional<FontDetails> PosixGraphicsEngine::DescribeFont(FONTOBJ* font)
{
    if (font == nullptr) return std::nullopt;
    const auto* host = reinterpret_cast<const HostFont*>(font);
    if (host->tag != HostFont::kTag) return std::nullopt;
    FontDetails d = host->details;
    d.flFontType = host->fo.flFontType;
    d.cxMax = host->fo.cxMax;
    d.resolutionY = host->fo.sizLogResPpi.cy;
    return d;
}

std::optional<StringDetails> PosixGraphicsEngine::DescribeString(STROBJ* string)
{
    if (string == nullptr) return std::nullopt;
    StringDetails d;
    d.glyphs = string->cGlyphs;
    d.background = string->rclBkGround;
    d.hasText = string->pwszOrg != nullptr;
    if (d.hasText) d.text.assign(string->pwszOrg, string->pwszOrg + string->cGlyphs);
    return d;
}

}  // namespace lt77::posix

namespace lt77 {

GraphicsEngine& SystemGraphicsEngine()
{
    static posix::PosixGraphicsEngine engine;
    return engine;
}

}  // namespace lt77
