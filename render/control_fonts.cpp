#include "render/control_fonts.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string>

#include "render/module_state.h"
#include "render/trace.h"

namespace lt77 {
namespace {

struct ControlRow {
    char ch;
    uint8_t length;
    uint8_t bytes[11];
};

// Drawer pulses are 1B 70 m t1 t2 (on-time t1, off-time 255, in 2 ms),
// stored logos 1C 70 n m, stored graphics 1D 28 4C ... with key "0" + digit.
constexpr ControlRow kControlTable[] = {
    {'(', 3, {0x1B, 0x45, 0x00}},
    {')', 3, {0x1B, 0x45, 0x01}},
    {'+', 3, {0x1B, 0x2D, 0x00}},
    {'-', 3, {0x1B, 0x2D, 0x01}},
    {'5', 1, {0x09}},
    {'6', 1, {0x0A}},
    {'7', 1, {0x0D}},
    {'A', 5, {0x1B, 0x70, 0x00, 0x19, 0xFF}},
    {'B', 5, {0x1B, 0x70, 0x00, 0x32, 0xFF}},
    {'C', 5, {0x1B, 0x70, 0x00, 0x4B, 0xFF}},
    {'D', 5, {0x1B, 0x70, 0x00, 0x64, 0xFF}},
    {'E', 5, {0x1B, 0x70, 0x00, 0x7D, 0xFF}},
    {'G', 4, {0x1C, 0x70, 0x01, 0x00}},
    {'H', 4, {0x1C, 0x70, 0x02, 0x00}},
    {'I', 4, {0x1C, 0x70, 0x03, 0x00}},
    {'J', 4, {0x1C, 0x70, 0x04, 0x00}},
    {'K', 4, {0x1C, 0x70, 0x05, 0x00}},
    {'P', 5, {0x0A, 0x1D, 0x56, 0x42, 0x00}},
    {'R', 11, {0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x25, 0x30, 0x30, 0x01, 0x01}},
    {'S', 11, {0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x25, 0x30, 0x31, 0x01, 0x01}},
    {'T', 11, {0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x25, 0x30, 0x32, 0x01, 0x01}},
    {'U', 11, {0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x25, 0x30, 0x33, 0x01, 0x01}},
    {'V', 11, {0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x25, 0x30, 0x34, 0x01, 0x01}},
    {'[', 4, {0x1C, 0x70, 0x01, 0x03}},
    {']', 4, {0x1C, 0x70, 0x02, 0x03}},
    {'^', 4, {0x1C, 0x70, 0x03, 0x03}},
    {'_', 4, {0x1C, 0x70, 0x04, 0x03}},
    {'`', 4, {0x1C, 0x70, 0x05, 0x03}},
    {'a', 5, {0x1B, 0x70, 0x01, 0x19, 0xFF}},
    {'b', 5, {0x1B, 0x70, 0x01, 0x32, 0xFF}},
    {'c', 5, {0x1B, 0x70, 0x01, 0x4B, 0xFF}},
    {'d', 5, {0x1B, 0x70, 0x01, 0x64, 0xFF}},
    {'e', 5, {0x1B, 0x70, 0x01, 0x7D, 0xFF}},
    {'g', 3, {0x1D, 0x56, 0x01}},
    {'i', 11, {0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x25, 0x30, 0x30, 0x02, 0x02}},
    {'j', 11, {0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x25, 0x30, 0x31, 0x02, 0x02}},
    {'k', 11, {0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x25, 0x30, 0x32, 0x02, 0x02}},
    {'l', 11, {0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x25, 0x30, 0x33, 0x02, 0x02}},
    {'m', 11, {0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x25, 0x30, 0x34, 0x02, 0x02}},
    {'p', 3, {0x1D, 0x48, 0x00}},
    {'q', 6, {0x1D, 0x48, 0x01, 0x1D, 0x66, 0x00}},
    {'r', 6, {0x1D, 0x48, 0x02, 0x1D, 0x66, 0x00}},
    {'s', 6, {0x1D, 0x48, 0x01, 0x1D, 0x66, 0x01}},
    {'t', 6, {0x1D, 0x48, 0x02, 0x1D, 0x66, 0x01}},
    {'u', 3, {0x1D, 0x42, 0x01}},
    {'v', 3, {0x1D, 0x42, 0x00}},
    {'w', 3, {0x1B, 0x61, 0x00}},
    {'x', 3, {0x1B, 0x61, 0x01}},
    {'y', 3, {0x1B, 0x61, 0x02}},
};

const ControlRow* FindControlRow(uint8_t ch)
{
    for (const auto& row : kControlTable)
        if (static_cast<uint8_t>(row.ch) == ch) return &row;
    return nullptr;
}

constexpr const char* kControlSection = "ZozaRurodirA";
constexpr const char* kControlIniFile = "LT77.INI";
// The editor writes at most 2047 characters per value.
constexpr DWORD kMaxValueChars = 2048;

int HexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

bool HasLowerCaseLetter(std::u16string_view value)
{
    return std::any_of(value.begin(), value.end(), [](char16_t c) { return c >= u'a' && c <= u'z'; });
}

// Nothing for a missing key, an empty value, one of odd length, or one with
// lower-case letters: the editor writes upper-case digits only, so such a
// value was typed by other hands, and sending the pairs that happen to be
// valid would send a fragment of a command.
std::vector<uint8_t> CommandFromValue(const std::optional<std::u16string>& value)
{
    std::vector<uint8_t> bytes;
    if (!value || value->empty() || value->size() % 2 != 0 || HasLowerCaseLetter(*value)) return bytes;
    bytes.reserve(value->size() / 2);
    for (std::size_t i = 0; i + 1 < value->size(); i += 2) {
        const int high = HexDigitValue((*value)[i]);
        const int low = HexDigitValue((*value)[i + 1]);
        if (high < 0 || low < 0) continue;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

}  // namespace

std::vector<uint8_t> GetFontControlCommand(OemPDEV& pdev, std::span<const uint8_t> text)
{
    TraceLog("GetFontControlCommand : START");
    std::vector<uint8_t> command;
    if (text.empty()) {
        TraceLog("GetFontControlCommand : dwAnsiTextLength is Zero.");
        TraceLog("GetFontControlCommand : END");
        return command;
    }
    for (const uint8_t ch : text) {
        if (ch == 'F') {
            pdev.bNoCutNoFeeds = kBoolTrue;
            continue;
        }
        if (ch == 'f') {
            pdev.bNoCutNoFeeds2 = kBoolTrue;
            continue;
        }
        if (const ControlRow* row = FindControlRow(ch))
            command.insert(command.end(), row->bytes, row->bytes + row->length);
    }
    TraceLog("GetFontControlCommand : The length to be returned : %d", static_cast<int>(command.size()));
    TraceLog("GetFontControlCommand : END");
    return command;
}

std::vector<uint8_t> GetCommandFromFile(const OemPDEV& pdev, std::span<const uint8_t> text)
{
    TraceLog("GetCommandFromFile : START");
    std::vector<uint8_t> command;
    auto done = [&command] {
        TraceLog("GetCommandFromFile : END");
        return command;
    };
    if (text.empty()) {
        TraceLog("GetCommandFromFile : dwAnsiTextLength is Zero.");
        return done();
    }
    Platform& platform = PlatformOf(pdev);
    const std::string folder = platform.files.PrintProcessorFolder();
    if (folder.empty()) {
        TraceLog("GetCommandFromFile : GetPrintProcessorDirectory failed with (%d)",
                 static_cast<int>(LastSystemError()));
        return done();
    }
    const std::string iniPath = JoinPath(folder, kControlIniFile);
    TraceLog("GetCommandFromFile : pOemPDEV->szPrinterName : %s, szIniFilePath : %s", pdev.szPrinterNameAnsi.c_str(),
             iniPath.c_str());

    // Each key is read once per string: a long string of few distinct
    // characters would otherwise parse the file once per character.
    std::array<std::optional<std::vector<uint8_t>>, 0x80> commandOf;
    for (const uint8_t ch : text) {
        if (ch < 0x20 || ch > 0x7F) continue;
        if (!commandOf[ch]) {
            char key[3];
            std::snprintf(key, sizeof(key), "%02x", ch);
            DWORD error = 0;
            commandOf[ch] =
                CommandFromValue(platform.profile.ReadString(iniPath, kControlSection, key, kMaxValueChars, error));
        }
        command.insert(command.end(), commandOf[ch]->begin(), commandOf[ch]->end());
    }
    TraceLog("GetCommandFromFile : The length to be returned : %d", static_cast<int>(command.size()));
    return done();
}

}  // namespace lt77
