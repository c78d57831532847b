// The graphics engine through gdi32's engine functions (resolved at run time,
// see engine_functions.h).
#include <algorithm>
#include <cstring>

#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <winddi.h>

namespace lt77::win32 {

HPALETTE Win32GraphicsEngine::CreateBgrPalette()
{
    const auto create = functions_().EngCreatePalette;
    if (create == nullptr) return nullptr;
    return create(ENG_PAL_BGR, 0, nullptr, 0, 0, 0);
}

std::optional<std::array<PaletteEntry, 256>> Win32GraphicsEngine::ReadPalette(HPALETTE palette)
{
    if (palette == nullptr) return std::nullopt;
    const EngineFunctions& f = functions_();
    std::array<PaletteEntry, 256> entries{};
    if (f.EngQueryPalette != nullptr) {
        ULONG mode = 0;
        const ULONG count = f.EngQueryPalette(palette, &mode, 0, nullptr);
        if (mode == ENG_PAL_INDEXED && count != 0) {
            std::array<ULONG, 256> colors{};
            const ULONG copied = f.EngQueryPalette(palette, &mode, std::min<ULONG>(count, 256), colors.data());
            // Each colour is a PALETTEENTRY in a ULONG: red in the low byte.
            for (ULONG i = 0; i < std::min<ULONG>(copied, 256); ++i) {
                entries[i] = PaletteEntry{static_cast<BYTE>(colors[i]), static_cast<BYTE>(colors[i] >> 8),
                                          static_cast<BYTE>(colors[i] >> 16), static_cast<BYTE>(colors[i] >> 24)};
            }
            return entries;
        }
        if (mode != 0) return std::nullopt;
    }
    // Not an engine palette, or no engine functions (Wine): a GDI palette
    // reads through GDI; anything else gives no entries.
    if (f.GetPaletteEntries == nullptr) return std::nullopt;
    static_assert(sizeof(PaletteEntry) == 4, "PaletteEntry must have the PALETTEENTRY layout");
    if (f.GetPaletteEntries(palette, 0, 256, entries.data()) == 0) return std::nullopt;
    return entries;
}

std::optional<FontDetails> Win32GraphicsEngine::DescribeFont(FONTOBJ* font)
{
    const EngineFunctions& f = functions_();
    if (font == nullptr || f.FONTOBJ_pifi == nullptr || f.FONTOBJ_pxoGetXform == nullptr ||
        f.XFORMOBJ_iGetXform == nullptr)
        return std::nullopt;
    const auto* ifi = reinterpret_cast<const ::IFIMETRICS*>(f.FONTOBJ_pifi(font));
    XFORMOBJ* toDevice = f.FONTOBJ_pxoGetXform(font);
    if (ifi == nullptr || toDevice == nullptr) return std::nullopt;
    ::XFORML matrix{};
    if (f.XFORMOBJ_iGetXform(toDevice, &matrix.eM11) == DDI_ERROR) return std::nullopt;

    FontDetails d;
    d.flFontType = font->flFontType;
    d.cxMax = font->cxMax;
    d.resolutionY = font->sizLogResPpi.cy;
    // The family name is stored inside the record, at an offset from its start.
    if (ifi->dpwszFamilyName > 0 && static_cast<ULONG>(ifi->dpwszFamilyName) < ifi->cjThis) {
        const auto* name = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(ifi) + ifi->dpwszFamilyName);
        const std::size_t maxChars = (ifi->cjThis - static_cast<ULONG>(ifi->dpwszFamilyName)) / sizeof(wchar_t);
        for (std::size_t i = 0; i < maxChars && name[i] != L'\0'; ++i) d.familyName.push_back(name[i]);
    }
    d.weight = ifi->usWinWeight;
    d.fsSelection = ifi->fsSelection;
    d.charSet = ifi->jWinCharSet;
    d.pitchAndFamily = ifi->jWinPitchAndFamily;
    d.unitsPerEm = static_cast<WORD>(ifi->fwdUnitsPerEm);
    d.m21 = matrix.eM21;
    d.m22 = matrix.eM22;
    return d;
}

// The string object's public fields are read directly, as every driver does.
std::optional<StringDetails> Win32GraphicsEngine::DescribeString(STROBJ* string)
{
    if (string == nullptr) return std::nullopt;
    StringDetails d;
    d.glyphs = string->cGlyphs;
    d.background = string->rclBkGround;
    d.hasText = string->pwszOrg != nullptr;
    if (d.hasText) d.text.assign(string->pwszOrg, string->pwszOrg + string->cGlyphs);
    return d;
}

}  // namespace lt77::win32

namespace lt77 {

GraphicsEngine& SystemGraphicsEngine()
{
    static win32::Win32GraphicsEngine instance;
    return instance;
}

}  // namespace lt77
