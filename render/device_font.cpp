#include "render/device_font.h"

#include <algorithm>

#include "common/ascii_case.h"
#include "render/trace.h"

namespace lt77 {
namespace {

uint8_t CharAt(std::string_view s, std::size_t i) { return i < s.size() ? static_cast<uint8_t>(s[i]) : 0; }

uint8_t Magnification(std::string_view name, std::size_t widthAt, std::size_t heightAt)
{
    return static_cast<uint8_t>(((CharAt(name, widthAt) - 0x31) << 4) + (CharAt(name, heightAt) - 0x31));
}

}  // namespace

std::vector<uint8_t> GetDevFontCommand(std::string_view familyName, std::vector<uint8_t>& text, uint32_t x,
                                       int32_t height)
{
    TraceLog("GetDevFontCommand : START");
    if (text.empty()) {
        TraceLog("GetDevFontCommand : szAnsiText is NULL.");
        return {};
    }
    if (familyName.empty()) {
        TraceLog("GetDevFontCommand : szFontName is NULL.");
        return {};
    }
    const uint8_t xL = static_cast<uint8_t>(x & 0xFF), xH = static_cast<uint8_t>((x >> 8) & 0xFF);
    std::vector<uint8_t> command;
    bool doubleByte = true;
    if (ContainsNoCase(familyName, "Korean")) {
        TraceLog("GetDevFontCommand : KOREAN FONT");
        command = {0x1C, 0x26, 0x1D, 0x21, Magnification(familyName, 6, 8), 0x1B, 0x24, xL, xH};
    } else if (ContainsNoCase(familyName, "Chinese2312") || ContainsNoCase(familyName, "ChineseBIG5")) {
        TraceLog("GetDevFontCommand : CHINESE 2312 / BIG5 FONT");
        command = {0x1C, 0x26, 0x1D, 0x21, Magnification(familyName, 12, 14), 0x1B, 0x24, xL, xH};
    } else if (ContainsNoCase(familyName, "Japanese")) {
        TraceLog("GetDevFontCommand : JAPANESE FONT");
        command = {0x1C, 0x26, 0x1C, 0x43, 0x01, 0x1D, 0x21, Magnification(familyName, 8, 10), 0x1B, 0x24, xL, xH};
    } else {
        TraceLog("GetDevFontCommand : STANDARD FONT");
        doubleByte = false;
        const uint8_t table = ContainsNoCase(familyName, "Ext") ? 0 : ContainsNoCase(familyName, "255") ? 255 : 16;
        const char at6 = static_cast<char>(CharAt(familyName, 6));
        const std::size_t heightAt = (at6 == 'x' || at6 == 'X') ? 7 : 6;
        command = {0x1B, 0x74, table, 0x08, 0x4D, 0x00, CharAt(familyName, 4), 0x1D, 0x21,
                   Magnification(familyName, 5, heightAt), 0x1B, 0x24, xL, xH};
    }
    if (doubleByte) {
        text.push_back(0x1C);
        text.push_back(0x2E);
    }
    const uint8_t feed = height < 0 ? 0 : static_cast<uint8_t>(std::min(height, 255));
    text.insert(text.end(), {0x1B, 0x4A, feed});
    TraceLog("GetDevFontCommand : FEED COMMANDS ADDED : 1B 4A %x", feed);
    TraceLog("GetDevFontCommand : END");
    return command;
}

}  // namespace lt77
