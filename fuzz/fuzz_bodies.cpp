#include "fuzz/fuzz_bodies.h"

#include <map>
#include <string>
#include <vector>

#include "common/ini_file.h"
#include "common/printer_data_names.h"
#include "host/memory_spooler.h"
#include "possdk/bitmap_file.h"
#include "printer/stream_renderer.h"
#include "render/barcodes.h"
#include "render/control_fonts.h"
#include "render/module_state.h"
#include "render/page_merge.h"
#include "render/settings_loader.h"
#include "render/text_capture.h"
#include "render/text_keys.h"

namespace lt77::fuzz {
namespace {

// Text drawing without fonts: a box as wide as the text, so the merge has
// real pixels to work with and the runs stay fast.
class BoxRasterizer final : public TextRasterizer {
public:
    std::optional<TextMask> Render(const FontDescription& font, std::u16string_view text, std::string&) override
    {
        TextMask mask;
        mask.height = static_cast<uint32_t>(std::min(64, std::abs(font.height) + 1));
        mask.width = static_cast<uint32_t>(std::min<std::size_t>(text.size() * 4, 600));
        mask.set.assign(static_cast<std::size_t>(mask.width) * mask.height, 1);
        return mask;
    }
};

// The control-code INI served from memory.
class MemoryProfile final : public Profile {
public:
    IniDocument document = IniDocument::FromText(u"");
    std::optional<std::u16string> ReadString(std::string_view, std::string_view section, std::string_view key,
                                             DWORD maxChars, DWORD& error) override
    {
        auto value = document.Value(Utf8ToUtf16(section), Utf8ToUtf16(key));
        if (!value) {
            error = syserr::kFileNotFound;
            return std::nullopt;
        }
        if (maxChars > 0 && value->size() > maxChars - 1) value->resize(maxChars - 1);
        return value;
    }
};

struct FuzzPlatform {
    BoxRasterizer text;
    host::MemorySpooler spooler;
    MemoryProfile profile;
    Platform platform{spooler,  SystemPlatform().files,  SystemPlatform().clock, SystemPlatform().shell,
                      profile,  SystemPlatform().codePages, SystemPlatform().engine, text};
    FuzzPlatform() { SetModulePlatformForTesting(&platform); }
};

FuzzPlatform& Fuzzing()
{
    static FuzzPlatform p;
    return p;
}

std::vector<std::string> Lines(const uint8_t* data, std::size_t size)
{
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            lines.emplace_back();
        else
            lines.back().push_back(static_cast<char>(data[i]));
    }
    return lines;
}

}  // namespace

void TextRecords(const uint8_t* data, std::size_t size)
{
    Fuzzing();
    OemPDEV pdev;
    pdev.m_UIInfo.byteValue[IDX_COMPRESSION] = 1;
    pdev.txtBuf.assign(data, data + size);
    CxImage image;
    if (!image.Create(64, 96, 1)) return;
    const DWORD last = DrawResizedText(pdev, image, 0.5f, 40);
    RePositionDevTxt_R180(pdev, last);
    CommandBuffer buffer;
    JobOutputs outputs(Fuzzing().platform);
    DEVOBJ devobj{};
    devobj.pdevOEM = &pdev;
    JobContext job{&devobj, pdev, nullptr, buffer, outputs};
    AddImageAndDevFontData(job, image, 0.5f);
}

void TextKeys(const uint8_t* data, std::size_t size)
{
    FuzzPlatform& f = Fuzzing();
    const auto lines = Lines(data, size);
    // Line 0: the device-font string; the others: definitions.
    f.spooler.data.clear();
    f.spooler.data[{kTextKeyKey, kNumTextKeyValue}] =
        PrinterDataValue{REG_BINARY_TYPE, {static_cast<uint8_t>(std::min<std::size_t>(lines.size() - 1, 40))}};
    for (std::size_t i = 1; i < lines.size() && i <= 40; ++i) {
        char name[24];
        std::snprintf(name, sizeof(name), "TextKey%02d", static_cast<int>(i - 1));
        f.spooler.data[{kTextKeyKey, name}] = PrinterDataValue{REG_SZ_TYPE, Utf16ToBytes(Utf8ToUtf16(lines[i]), true)};
        for (int field = 0; field < 4; ++field) GetTokenFromTextKeyData(lines[i], static_cast<TextKeyField>(field));
    }
    OemPDEV pdev;
    pdev.hPrinter = &f;  // any non-null handle: the memory spooler ignores it
    std::vector<uint8_t> text(lines[0].begin(), lines[0].end());
    if (text.size() > 4096) text.resize(4096);
    const auto definitions = ReadTextKeyDefinitions(pdev, CP_SYSTEM_ANSI);
    if (!definitions) return;
    SaveCouponImgName(pdev, *definitions, lines[0]);
    TextReplacementWithText(*definitions, text);
    StringDetails str;
    str.glyphs = static_cast<ULONG>(text.size());
    str.hasText = true;
    FontDetails font;
    font.familyName = u"FontA1x1";
    font.unitsPerEm = 2048;
    font.m22 = 24.0f / 2048.0f;
    AddTextKeyImgBufAndDevFontData(pdev, *definitions, str, font, "FontA1x1", text);
}

void ControlIni(const uint8_t* data, std::size_t size)
{
    FuzzPlatform& f = Fuzzing();
    // The last line is the string; everything before it the INI file.
    std::size_t split = size;
    while (split > 0 && data[split - 1] != '\n') --split;
    f.profile.document = IniDocument::FromBytes(std::span(data, split > 0 ? split - 1 : 0), [](std::string_view s) {
        return std::u16string(s.begin(), s.end());
    });
    OemPDEV pdev;
    const std::vector<uint8_t> text(data + split, data + size);
    GetCommandFromFile(pdev, text);
    GetFontControlCommand(pdev, text);
}

void StreamRenderer(const uint8_t* data, std::size_t size)
{
    // The fonts and the symbol library once; a printer of its own for each
    // input, so that the stored images one input defines do not reach the next.
    static std::string fontError;
    static const auto glyphs = printer::MakeSystemGlyphSource(fontError);
    static const auto symbols = printer::MakeSystemSymbolEncoder();
    printer::StreamRenderer renderer(*glyphs, *symbols, SystemCodePages());
    const printer::RenderedJob printed = renderer.Render(std::span(data, size));
    static_cast<void>(printed.log.Text());
}

void BitmapFile(const uint8_t* data, std::size_t size)
{
    // A buffer of exactly the file's size, so that a read past its end is one
    // the address sanitizer sees.
    const std::vector<uint8_t> file(data, data + size);
    const possdk::BitmapRead read = possdk::ReadBitmapFile(file);
    if (!read.view) return;
    const auto inside = [&](std::span<const uint8_t> part) {
        return part.data() >= file.data() && part.data() + part.size() <= file.data() + file.size();
    };
    if (!inside(read.view->info) || !inside(read.view->pixels) || read.view->heightPixels <= 0) __builtin_trap();
    // Every byte the drawing would read.
    unsigned sum = 0;
    for (const uint8_t b : read.view->info) sum += b;
    for (const uint8_t b : read.view->pixels) sum += b;
    static_cast<void>(sum);
}

void PrinterData(const uint8_t* data, std::size_t size)
{
    FuzzPlatform& f = Fuzzing();
    f.spooler.data.clear();
    // Each value: a length byte (times 3, so that values longer than their
    // buffers occur) and its bytes; a zero length leaves the value out.
    const char* const names[] = {kMiscValue, kBarcodeInfoValue, kCodeDataValue, kStartDocValue,
                                 kStartPageValue, kEndPageValue, kEndDocValue};
    std::size_t at = 0;
    for (const char* name : names) {
        if (at >= size) break;
        const std::size_t n = std::min<std::size_t>(std::size_t{data[at]} * 3, size - at - 1);
        ++at;
        if (n != 0 || name == kMiscValue)
            f.spooler.data[{kPropertiesKey, name}] = PrinterDataValue{REG_BINARY_TYPE, {data + at, data + at + n}};
        at += n;
    }
    OemPDEV pdev;
    pdev.hPrinter = &f;
    LoadSettingsValues(pdev, pdev.hPrinter);
    LoadBarcodeTablesAndCommands(pdev, pdev.hPrinter);
    const UIInfo& ui = pdev.m_UIInfo;
    for (const uint32_t* length : {&ui.dwStartDoc, &ui.dwStartPage, &ui.dwEndPage, &ui.dwEndDoc})
        if (*length > kUserCommandMax) __builtin_trap();
    const std::vector<uint8_t> rest(data + std::min(at, size), data + size);
    for (const auto& entry : BarcodeFlag) {
        if (entry.byCode == 0) continue;
        std::vector<uint8_t> text = rest;
        if (text.size() > 600) text.resize(600);
        if ((entry.byCode >= BARCODE_UPC_A && entry.byCode <= BARCODE_CODE128) || entry.byCode == BARCODE_USER_1D) {
            DWORD height = 0;
            Get1dCodeCommand(ui, entry.szFlag, text, 4096, entry.byCode, height, 576, 1.0f);
        } else if ((entry.byCode >= BARCODE_PDF417 && entry.byCode <= BARCODE_MAXICODE_MODE4) ||
                   entry.byCode == BARCODE_USER_2D) {
            Get2dCodeCommand(ui, entry.szFlag, text, 4096, entry.byCode, 576, 1.0f);
        }
    }
}

}  // namespace lt77::fuzz
