#include "render/text_keys.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "common/ascii_case.h"
#include "common/utf.h"
#include "render/device_font.h"
#include "render/module_state.h"
#include "render/text_capture.h"
#include "render/trace.h"

namespace lt77 {
namespace {

constexpr std::string_view kNull = "_NULL_";
// A captured record holds at most 0xFFFF bytes of text, the line's own
// commands included; replacements stop before the text outgrows it (one
// definition replacing a marker by a longer text that holds the marker would
// otherwise double the text with every later such definition).
constexpr std::size_t kMaxReplacedText = 0xFFF0;
constexpr unsigned kUtf8CodePage = 65001;

// The number of definitions: the first byte of the value (as text when the
// utility wrote it as a string).
int DefinitionCount(const OemPDEV& pdev)
{
    const auto value = GetPrinterDataFromReg(pdev, kNumTextKeyValue, kUtf8CodePage);
    if (!value || value->empty()) return -1;
    return static_cast<uint8_t>((*value)[0]);
}

std::optional<TextKeyDefinition> ReadDefinition(const OemPDEV& pdev, int index, unsigned textCodePage)
{
    char name[24];
    std::snprintf(name, sizeof(name), "TextKey%02d", index);
    const auto utf8 = GetPrinterDataFromReg(pdev, name, kUtf8CodePage);
    if (!utf8) {
        TraceLog("SaveCouponImgName : GetPrinterDataFromReg returned NULL. (%s)", name);
        return std::nullopt;
    }
    TextKeyDefinition d;
    d.key = GetTokenFromTextKeyData(*utf8, TEXT_KEY).value_or("");
    d.image = GetTokenFromTextKeyData(*utf8, REPLACE_IMAGE).value_or("");
    d.coupon = GetTokenFromTextKeyData(*utf8, COUPON_IMAGE).value_or("");
    if (const auto inPage = GetPrinterDataFromReg(pdev, name, textCodePage))
        d.alternate = GetTokenFromTextKeyData(*inPage, ALTERNATE_TEXT).value_or("");
    // UTF-8 holds every UTF-16 character, so these lose nothing.
    d.wideKey = Utf8ToUtf16(d.key);
    d.wideAlternate = Utf8ToUtf16(GetTokenFromTextKeyData(*utf8, ALTERNATE_TEXT).value_or(""));
    return d;
}

bool SameUnit(uint8_t text, char marker) { return static_cast<uint8_t>(marker) == text; }
bool SameUnit(char16_t text, char16_t marker) { return text == marker; }

template <typename Text, typename Marker>
bool MatchesAt(const Text& text, std::size_t p, const Marker& marker)
{
    return p + marker.size() <= text.size() &&
           std::equal(marker.begin(), marker.end(), text.begin() + static_cast<std::ptrdiff_t>(p),
                      [](auto m, auto t) { return SameUnit(t, m); });
}

// One pass per definition: the scan resumes right after each inserted text,
// so what was inserted is never searched again. Only the byte form traces:
// the UTF-16 form repeats the string's replacements for its redrawn line.
template <typename Text, typename Marker>
void ReplaceMarkers(Text& text, const Marker& key, const Marker& alternate, std::size_t maxUnits, bool traced)
{
    const std::size_t k = key.size();
    Text replaced;
    replaced.reserve(text.size());
    std::size_t p = 0;
    bool full = false;
    while (p + k <= text.size()) {
        if (full || !MatchesAt(text, p, key)) {
            replaced.push_back(text[p++]);
            continue;
        }
        if (replaced.size() + alternate.size() + (text.size() - p - k) > maxUnits) {
            if (traced)
                TraceLog("TextReplacementWithText : the text would exceed %u bytes; no more replacements.",
                         static_cast<unsigned>(maxUnits));
            full = true;
            continue;
        }
        if (traced) TraceLog("TextReplacementWithText : dwStartIndex : %u", static_cast<unsigned>(replaced.size()));
        replaced.insert(replaced.end(), alternate.begin(), alternate.end());
        p += k;
    }
    replaced.insert(replaced.end(), text.begin() + static_cast<std::ptrdiff_t>(p), text.end());
    text = std::move(replaced);
}

}  // namespace

bool IsPlainImageName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find("..") != std::string_view::npos) return false;
    if (name.find_first_of("\\/:*?\"<>|") != std::string_view::npos) return false;
    // Windows opens a device for these whatever the folder or extension
    // ("con.bin" is the console), and ignores spaces before the extension.
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (EqualsNoCase(stem, device)) return false;
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9' &&
        (EqualsNoCase(stem.substr(0, 3), "COM") || EqualsNoCase(stem.substr(0, 3), "LPT")))
        return false;
    return true;
}

std::optional<std::string> GetPrinterDataFromReg(const OemPDEV& pdev, std::string_view valueName, unsigned codePage)
{
    if (pdev.hPrinter == nullptr) {
        TraceLog("GetPrinterDataFromReg : pdevobj->hPrinter is NULL.");
        return std::nullopt;
    }
    PrinterDataValue value;
    const DWORD error = PlatformOf(pdev).spooler.GetData(pdev.hPrinter, kTextKeyKey, valueName, 0x10000, value);
    if (error != 0) {
        TraceLog("GetPrinterDataFromReg : GetPrinterDataEx failed. (%d)", static_cast<int>(error));
        return std::nullopt;
    }
    if (value.bytes.size() <= 1) return std::string(value.bytes.begin(), value.bytes.end());
    const std::u16string wide = Utf16FromBytes(value.bytes);
    return codePage == kUtf8CodePage ? Utf16ToUtf8(wide) : PlatformOf(pdev).codePages.FromWide(codePage, wide);
}

std::optional<std::vector<TextKeyDefinition>> ReadTextKeyDefinitions(const OemPDEV& pdev, unsigned textCodePage)
{
    const int count = DefinitionCount(pdev);
    if (count < 0) return std::nullopt;
    std::vector<TextKeyDefinition> definitions;
    for (int i = 0; i < count; ++i)
        if (auto d = ReadDefinition(pdev, i, textCodePage)) definitions.push_back(std::move(*d));
    return definitions;
}

std::optional<std::string> GetTokenFromTextKeyData(std::string_view definition, TextKeyField field)
{
    static const char* const kFieldNames[] = {"TEXT_KEY", "REPLACE_IMAGE", "ALTERNATE_TEXT", "COUPON_IMAGE"};
    TraceLog("GetTokenFromTextKeyData : %s", kFieldNames[field]);
    std::vector<std::string_view> tokens;
    std::size_t p = 0;
    while (p < definition.size() && tokens.size() < 4) {
        while (p < definition.size() && definition[p] == '\t') ++p;  // consecutive TABs are one separator
        if (p >= definition.size()) break;
        std::size_t end = definition.find('\t', p);
        if (end == std::string_view::npos) end = definition.size();
        tokens.push_back(definition.substr(p, end - p));
        const std::string shown(tokens.back());
        TraceLog("GetTokenFromTextKeyData : TOKEN-%d : %s, %d", static_cast<int>(tokens.size()), shown.c_str(),
                 static_cast<int>(shown.size()));
        p = end;
    }
    if (tokens.empty()) {
        TraceLog("GetTokenFromTextKeyData :  FIRST TOKEN-1 is NULL");
        return std::nullopt;
    }
    if (static_cast<std::size_t>(field) >= tokens.size()) return std::nullopt;
    const std::string_view token = tokens[field];
    if (token.substr(0, kNull.size()) == kNull || token.empty()) return std::nullopt;
    return std::string(token);
}

bool CheckCouponNameAlreadyExist(const OemPDEV& pdev, std::string_view name)
{
    if (pdev.couponImgNames.empty()) {
        TraceLog("CheckCouponNameAlreadyExist : pOemPDEV->dwCouponImgNameLength == 0");
        return false;
    }
    return std::find(pdev.couponImgNames.begin(), pdev.couponImgNames.end(), name) != pdev.couponImgNames.end();
}

bool SaveCouponImgName(OemPDEV& pdev, const std::vector<TextKeyDefinition>& definitions, std::string_view text)
{
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    for (const auto& d : definitions) {
        if (d.key.empty() || d.coupon.empty()) continue;
        for (std::size_t p = 0; p + d.key.size() <= bytes.size(); ++p) {
            if (!MatchesAt(bytes, p, d.key)) continue;
            if (pdev.couponImgNames.empty()) {
                TraceLog("SaveCouponImgName : adding a coupon name without checking at first time.");
                pdev.couponImgNames.push_back(d.coupon);
            } else if (CheckCouponNameAlreadyExist(pdev, d.coupon)) {
                TraceLog("SaveCouponImgName : The coupon name, '%s' already exist.", d.coupon.c_str());
                break;
            } else {
                pdev.couponImgNames.push_back(d.coupon);
            }
        }
    }
    return true;
}

bool TextReplacementWithText(const std::vector<TextKeyDefinition>& definitions, std::vector<uint8_t>& text)
{
    if (definitions.empty()) return false;
    for (const auto& d : definitions)
        if (!d.key.empty() && !d.alternate.empty()) ReplaceMarkers(text, d.key, d.alternate, kMaxReplacedText, true);
    return true;
}

bool TextReplacementWithText(const std::vector<TextKeyDefinition>& definitions, std::u16string& text)
{
    if (definitions.empty()) return false;
    for (const auto& d : definitions)
        if (!d.wideKey.empty() && !d.wideAlternate.empty())
            ReplaceMarkers(text, d.wideKey, d.wideAlternate, kMaxUtf16SlotUnits, false);
    return true;
}

std::vector<uint8_t> GetTextKeyImgBufFromFile(FileSystem& files, std::string_view imageName)
{
    if (!IsPlainImageName(imageName)) {
        TraceLog("GetTextKeyImgBufFromFile : CreateFile returned NULL. (%d)", static_cast<int>(syserr::kInvalidParameter));
        return {};
    }
    const std::string path = JoinPath(DriverDataFolder(files.WindowsFolder()), std::string(imageName) + ".bin");
    auto bytes = files.ReadWhole(path);
    if (!bytes) {
        TraceLog("GetTextKeyImgBufFromFile : CreateFile returned NULL. (%d)", static_cast<int>(syserr::kFileNotFound));
        return {};
    }
    return std::move(*bytes);
}

std::size_t AddTextKeyImgBufAndDevFontData(OemPDEV& pdev, const std::vector<TextKeyDefinition>& allDefinitions,
                                           const StringDetails& str, const FontDetails& font,
                                           std::string_view familyName, const std::vector<uint8_t>& text)
{
    if (text.empty()) {
        TraceLog("AddTextKeyImgBufAndDevFontData : szAnsiText is NULL.");
        return 0;
    }
    std::vector<TextKeyDefinition> definitions;
    for (const auto& d : allDefinitions)
        if (!d.key.empty() && !d.image.empty()) definitions.push_back(d);

    const int32_t height = GetFontHeight(&font);
    const auto x = static_cast<uint32_t>(std::clamp<LONG>(str.background.left, 0, 0xFFFF));
    std::size_t total = 0;
    std::size_t p = 0;
    // Each definition's next occurrence, searched again only once the scan
    // has passed it, so a long line with many markers stays linear.
    constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);
    std::vector<std::size_t> nextAt(definitions.size(), kUnknown);
    std::map<std::string, std::vector<uint8_t>> images;
    while (p < text.size()) {
        const TextKeyDefinition* found = nullptr;
        std::size_t at = text.size();
        for (std::size_t i = 0; i < definitions.size(); ++i) {
            const TextKeyDefinition& d = definitions[i];
            if (nextAt[i] == kUnknown || (nextAt[i] < p && nextAt[i] != text.size())) {
                const auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(p), text.end(), d.key.begin(),
                                            d.key.end(), [](uint8_t t, char m) { return t == static_cast<uint8_t>(m); });
                nextAt[i] = static_cast<std::size_t>(it - text.begin());
            }
            if (nextAt[i] < text.size()) {
                found = &d;
                at = nextAt[i];
                TraceLog("AddTextKeyImgBufAndDevFontData : '%s' exists in the string.", d.key.c_str());
                break;
            }
        }
        if (at > p) {
            std::vector<uint8_t> segment(text.begin() + static_cast<std::ptrdiff_t>(p),
                                         text.begin() + static_cast<std::ptrdiff_t>(at));
            const auto command = GetDevFontCommand(familyName, segment, x, height);
            if (!command.empty() && AddFontDataToBuf(pdev, FTYPE_DEVICE_FONT, height, command, segment, str, font))
                total += command.size();
        }
        if (found == nullptr) break;
        auto cached = images.find(found->image);
        if (cached == images.end()) cached = images.emplace(found->image, GetTextKeyImgBufFromFile(PlatformOf(pdev).files, found->image)).first;
        const auto& image = cached->second;
        if (!image.empty() && AddFontDataToBuf(pdev, FTYPE_DEVICE_FONT, height, image, {}, str, font))
            total += image.size();
        p = at + found->key.size();
    }
    return total;
}

bool SendCouponImageData(JobContext& job)
{
    TraceLog("SendCouponImageData : START");
    if (job.pdev.couponImgNames.empty()) {
        TraceLog("SendCouponImageData : END");
        return true;
    }
    const std::vector<std::string> names = std::move(job.pdev.couponImgNames);
    job.pdev.couponImgNames.clear();
    std::vector<uint8_t> block;
    for (const auto& name : names) {
        TraceLog("SendCouponImageData : szToken : %s", name.c_str());
        const auto image = GetTextKeyImgBufFromFile(PlatformOf(job.pdev).files, name);
        block.insert(block.end(), image.begin(), image.end());
    }
    bool ok = true;
    if (!block.empty()) {
        TraceLog("SendCouponImageData : dwCouponImgBufSize : %u", static_cast<unsigned>(block.size()));
        // Resumed like the page buffer: a short write must not lose the rest.
        const std::size_t taken = WriteToSpooler(job.core, job.pdevobj, block, kSpoolChunkBytes);
        TraceLog("SendCouponImageData : dwResult : %u", static_cast<unsigned>(taken));
        if (job.outputs.IsOpen()) job.outputs.WritePrintDataToFile(block);
        ok = taken == block.size();
    }
    TraceLog("SendCouponImageData : END");
    return ok;
}

}  // namespace lt77
