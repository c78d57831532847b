// The Windows host plays the graphics engine's font services: it exports
// FONTOBJ_pifi, FONTOBJ_pxoGetXform and XFORMOBJ_iGetXform, which the
// plug-in finds in the program when gdi32 lacks them (Wine's gdi32 does).
// Our declarations come first: the system headers define some of the same
// names as macros.
#include "host/host_font.h"

#include <windows.h>

#include <winddi.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace lt77::host {
namespace {

constexpr uint32_t kTag = 0x544E4F46u;  // "FONT"

// The font object first, so that a FONTOBJ* is the whole record.
struct Win32HostFont {
    ::FONTOBJ fo{};
    uint32_t tag = kTag;
    float matrix[6] = {};  // eM11, eM12, eM21, eM22, eDx, eDy
    std::vector<uint8_t> ifi;  // IFIMETRICS followed by the family name
};
static_assert(offsetof(Win32HostFont, fo) == 0);

class Win32HostFontObject final : public HostFontObject {
public:
    explicit Win32HostFontObject(const FontDetails& fields)
    {
        font_.fo.flFontType = fields.flFontType;
        font_.fo.cxMax = fields.cxMax;
        font_.fo.sizLogResPpi.cx = fields.resolutionY;
        font_.fo.sizLogResPpi.cy = fields.resolutionY;
        font_.matrix[0] = fields.m22;
        font_.matrix[2] = fields.m21;
        font_.matrix[3] = fields.m22;
        const std::size_t nameBytes = (fields.familyName.size() + 1) * sizeof(wchar_t);
        font_.ifi.assign(sizeof(::IFIMETRICS) + nameBytes, 0);
        auto* ifi = reinterpret_cast<::IFIMETRICS*>(font_.ifi.data());
        ifi->cjThis = static_cast<ULONG>(font_.ifi.size());
        ifi->dpwszFamilyName = sizeof(::IFIMETRICS);
        std::memcpy(font_.ifi.data() + sizeof(::IFIMETRICS), fields.familyName.data(), fields.familyName.size() * 2);
        ifi->usWinWeight = fields.weight;
        ifi->fsSelection = fields.fsSelection;
        ifi->jWinCharSet = fields.charSet;
        ifi->jWinPitchAndFamily = fields.pitchAndFamily;
        ifi->fwdUnitsPerEm = static_cast<FWORD>(fields.unitsPerEm);
    }
    lt77::FONTOBJ* Object() override { return reinterpret_cast<lt77::FONTOBJ*>(&font_.fo); }

private:
    Win32HostFont font_;
};

Win32HostFont* HostFontOf(void* object)
{
    auto* font = static_cast<Win32HostFont*>(object);
    return font != nullptr && font->tag == kTag ? font : nullptr;
}

}  // namespace

std::unique_ptr<HostFontObject> MakeHostFont(const FontDetails& fields)
{
    return std::make_unique<Win32HostFontObject>(fields);
}

}  // namespace lt77::host

// The transform object handed out is the font record itself; only these
// functions look inside it.
extern "C" __declspec(dllexport) ::IFIMETRICS* FONTOBJ_pifi(::FONTOBJ* fo)
{
    auto* font = lt77::host::HostFontOf(fo);
    return font != nullptr ? reinterpret_cast<::IFIMETRICS*>(font->ifi.data()) : nullptr;
}

extern "C" __declspec(dllexport) ::XFORMOBJ* FONTOBJ_pxoGetXform(::FONTOBJ* fo)
{
    return lt77::host::HostFontOf(fo) != nullptr ? reinterpret_cast<::XFORMOBJ*>(fo) : nullptr;
}

extern "C" __declspec(dllexport) ULONG XFORMOBJ_iGetXform(::XFORMOBJ* xo, ::XFORML* out)
{
    auto* font = lt77::host::HostFontOf(xo);
    if (font == nullptr || out == nullptr) return DDI_ERROR;
    std::memcpy(out, font->matrix, sizeof(font->matrix));
    return GX_GENERAL;
}

// A palette as the engine makes one for a device: a GDI palette with the
// given colours (a bit-field mode gets one black entry).
extern "C" __declspec(dllexport) HPALETTE EngCreatePalette(ULONG, ULONG cColors, ULONG* pulColors, FLONG, FLONG,
                                                           FLONG)
{
    const ULONG count = pulColors != nullptr && cColors > 0 ? std::min<ULONG>(cColors, 256) : 1;
    std::vector<uint8_t> block(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY), 0);
    auto* palette = reinterpret_cast<LOGPALETTE*>(block.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(count);
    for (ULONG i = 0; pulColors != nullptr && i < count; ++i) {
        const ULONG c = pulColors[i];
        palette->palPalEntry[i] = PALETTEENTRY{static_cast<BYTE>(c & 0xFF), static_cast<BYTE>((c >> 8) & 0xFF),
                                               static_cast<BYTE>((c >> 16) & 0xFF), 0};
    }
    return ::CreatePalette(palette);
}
