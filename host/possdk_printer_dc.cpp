// The printer device contexts of an application library on Linux: the host
// plays the graphics engine and the driver core. Creating one loads the
// rendering plug-in and enables a device context for the queue as the core
// does; fonts, text metrics, text output, bitmaps stretched onto the page
// and the document and page brackets reach the plug-in through its hooks,
// callbacks and bands; the plug-in's stream is spooled to the queue as a job
// (spool/<id>.prn, marked spooled at the end of the document) that the
// host's spooler sends through the port monitor.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "common/ascii_case.h"
#include "common/command_callback_ids.h"
#include "common/utf.h"
#include "host/device_context.h"
#include "host/page_canvas.h"
#include "host/plugin_host.h"
#include "host/queue_admin.h"
#include "host/text_output.h"
#include "platform/platform.h"
#include "platform/print_documents.h"
#include "platform/printer_dc.h"
#include "platform/spooler.h"
#include "platform/system_error.h"

namespace lt77 {
namespace {

using host::DeviceContext;
using host::LoadedPlugin;
using host::PageCanvas;

constexpr int kDotsPerInch = 203;
constexpr int32_t kPageWidthDots = 576;
constexpr int32_t kPageRows = 2376;  // 297 mm of roll paper
constexpr int32_t kBandRows = 64;
constexpr int32_t kDeviceCellDots = 24;
constexpr DWORD kErrorModNotFound = 126;
constexpr DWORD kErrorGenFailure = 31;

// The fonts the printer's description offers as device fonts besides the
// resident ones: barcode and two-dimensional code fonts, control-code fonts.
constexpr const char16_t* kCodeFontNames[] = {
    u"UPC-A", u"UPC-E", u"JAN13(EAN)", u"JAN13 (EAN)", u"JAN8(EAN)", u"JAN8 (EAN)", u"Code39", u"ITF",
    u"Codabar", u"Code93", u"Code128", u"Barcode1", u"Barcode2", u"Barcode3", u"Barcode4", u"Barcode5",
    u"Barcode6", u"Barcode7", u"Barcode8", u"Barcode9", u"PDF417", u"QR Code", u"MAXI Code",
    u"MAXI Code[Mode2]", u"MAXI Code[Mode3]", u"MAXI Code[Mode4]", u"DATAMATRIX Code", u"DATAMATRIX",
    u"2D-Code1", u"2D-Code2", u"2D-Code3", u"2D-Code4", u"2D-Code5", u"2D-Code6", u"2D-Code7", u"2D-Code8",
    u"FontControl", u"Control", u"ZozaRurodirA"};

bool IsDeviceFont(std::u16string_view face)
{
    for (const char16_t* name : kCodeFontNames)
        if (EqualsNoCase(face, std::u16string_view(name))) return true;
    static const std::vector<std::u16string> resident = [] {
        std::vector<std::u16string> names;
        for (const auto& n : host::ResidentFontNames()) names.push_back(Utf8ToUtf16(n));
        return names;
    }();
    return std::any_of(resident.begin(), resident.end(), [&](const std::u16string& n) { return EqualsNoCase(face, n); });
}

// A resident font's cell: 24 dots times the vertical magnification its name
// carries; code fonts have one 24-dot line.
int32_t DeviceCellHeight(std::u16string_view face)
{
    const std::string name = Utf16ToUtf8(face);
    std::size_t at = std::string::npos;
    if (name.rfind("Korean", 0) == 0) at = 8;
    else if (name.rfind("Chinese", 0) == 0) at = 14;
    else if (name.rfind("Japanese", 0) == 0) at = 10;
    else if (name.rfind("Font", 0) == 0 && name.size() > 4 && name[4] != 'C' && name[4] != 'c')
        at = name.size() > 6 && (name[6] == 'x' || name[6] == 'X') ? 7 : 6;
    if (at < name.size() && name[at] >= '1' && name[at] <= '8') return kDeviceCellDots * (name[at] - '0');
    return kDeviceCellDots;
}

struct LogicalFont {
    FontDescription description;
    bool device = false;
};

uint32_t ReadU32(std::span<const uint8_t> b, std::size_t at)
{
    uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

int BitsOfMask(uint32_t mask, int& shift)
{
    shift = 0;
    if (mask == 0) return 0;
    while ((mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    int bits = 0;
    while (mask & 1) {
        mask >>= 1;
        ++bits;
    }
    return bits;
}

uint8_t Channel(uint32_t pixel, uint32_t mask)
{
    int shift = 0;
    const int bits = BitsOfMask(mask, shift);
    if (bits == 0) return 0;
    const uint32_t value = (pixel & mask) >> shift;
    return static_cast<uint8_t>(value * 255 / ((1u << bits) - 1));
}

// A device-independent bitmap as grey levels, row after row from the top;
// empty when its bytes do not hold what its header says.
std::vector<uint8_t> GreyLevels(const DeviceBitmap& bmp, int32_t& width, int32_t& height)
{
    if (bmp.info.size() < 40) return {};
    const uint32_t headerSize = ReadU32(bmp.info, 0);
    int32_t w = 0, h = 0;
    std::memcpy(&w, bmp.info.data() + 4, 4);
    std::memcpy(&h, bmp.info.data() + 8, 4);
    uint16_t bits = 0;
    std::memcpy(&bits, bmp.info.data() + 14, 2);
    const uint32_t compression = ReadU32(bmp.info, 16);
    if (w <= 0 || h == 0 || headerSize < 40 || headerSize > bmp.info.size()) return {};
    const bool topDown = h < 0;
    const int32_t rows = topDown ? -h : h;
    const uint64_t stride = ((uint64_t(w) * bits + 31) / 32) * 4;
    if (stride * uint64_t(rows) > bmp.pixels.size()) return {};
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (bits == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    std::size_t tableAt = headerSize;
    if (compression == 3) {
        constexpr std::size_t at = 40;  // the masks follow the first 40 bytes of any header
        if (bmp.info.size() < at + 12) return {};
        for (int i = 0; i < 3; ++i) masks[i] = ReadU32(bmp.info, at + 4 * static_cast<std::size_t>(i));
        if (headerSize == 40) tableAt += 12;
    }
    const std::size_t tableEntries = tableAt < bmp.info.size() ? (bmp.info.size() - tableAt) / 4 : 0;
    const auto grey = [](uint32_t r, uint32_t g, uint32_t b) {
        return static_cast<uint8_t>((299 * r + 587 * g + 114 * b) / 1000);
    };
    std::vector<uint8_t> levels(static_cast<std::size_t>(w) * static_cast<std::size_t>(rows), 255);
    for (int32_t y = 0; y < rows; ++y) {
        const int32_t source = topDown ? y : rows - 1 - y;
        const uint8_t* row = bmp.pixels.data() + stride * static_cast<uint64_t>(source);
        for (int32_t x = 0; x < w; ++x) {
            uint8_t level = 255;
            if (bits <= 8) {
                const uint64_t bit = uint64_t(x) * bits;
                const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                if (index < tableEntries) {
                    const uint8_t* q = bmp.info.data() + tableAt + 4 * index;
                    level = grey(q[2], q[1], q[0]);
                }
            } else if (bits == 24) {
                const uint8_t* p = row + 3 * static_cast<std::size_t>(x);
                level = grey(p[2], p[1], p[0]);
            } else {
                uint32_t pixel = 0;
                std::memcpy(&pixel, row + static_cast<std::size_t>(x) * (bits / 8), bits / 8);
                level = grey(Channel(pixel, masks[0]), Channel(pixel, masks[1]), Channel(pixel, masks[2]));
            }
            levels[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] = level;
        }
    }
    width = w;
    height = rows;
    return levels;
}

class HostPrinterDC final : public PrinterDC {
public:
    HostPrinterDC(std::string queue, std::unique_ptr<LoadedPlugin> plugin) : queue_(std::move(queue)), plugin_(std::move(plugin))
    {
        if (auto bin = host::QueueSetting(queue_, "InputBin")) core_.options["InputBin"] = *bin;
        if (auto orientation = host::QueueSetting(queue_, "Orientation")) core_.options["Orientation"] = *orientation;
        host::DeviceSetup setup;
        setup.queue = queue_;
        setup.bitsPerPixel = 8;
        dc_ = std::make_unique<DeviceContext>(plugin_->Plugin(), core_, setup);
        FontDescription system;
        system.height = -kDeviceCellDots;
        system.faceName = u"Arial";
        stockFont_ = std::make_unique<LogicalFont>(LogicalFont{system, false});
        selected_ = stockFont_.get();
    }

    ~HostPrinterDC() override
    {
        // A device context deleted in the middle of a document ends it, as
        // closing a printer handle ends an open document.
        if (inDocument_) EndDocument();
        if (enabled_) {
            dc_->DisablePDEV();
            plugin_->Plugin()->DisableDriver();
        }
        dc_.reset();
    }

    bool Enable()
    {
        if (dc_->PublishAndEnableDriver() != hr::kOk || dc_->EnablePDEV() != hr::kOk) return false;
        enabled_ = true;
        return true;
    }

    int StartDocument(std::u16string_view documentName) override
    {
        if (inDocument_) return -1;
        DWORD error = 0;
        queueHandle_ = SystemSpooler().OpenQueue(Utf8ToUtf16(queue_), PRINTER_READ_USE_RIGHTS, error);
        if (!queueHandle_) return -1;
        DWORD jobId = 0;
        if (SystemPrintDocuments().StartDoc(queueHandle_->Native(), DocInfo1{std::u16string(documentName), u"", u"RAW"},
                                            jobId) != 0) {
            queueHandle_.reset();
            return -1;
        }
        core_.spooled.clear();
        core_.taken = 0;
        core_.spoolFile = host::SpoolPath(queue_, jobId);
        inDocument_ = true;
        dc_->StartDoc(documentName, jobId);
        dc_->Command(KLW_STARTDOC);
        return static_cast<int>(jobId);
    }

    int EndDocument() override
    {
        if (!inDocument_) return -1;
        if (canvas_) EndPage();
        dc_->Command(KLW_ENDDOC);
        dc_->EndDoc();
        inDocument_ = false;
        const DWORD error = SystemPrintDocuments().EndDoc(queueHandle_->Native());
        queueHandle_.reset();
        return error == 0 ? 1 : -1;
    }

    int StartPage() override
    {
        if (!inDocument_ || canvas_) return -1;
        SystemPrintDocuments().StartPage(queueHandle_->Native());
        dc_->Command(KLW_STARTPAGE);
        canvas_ = std::make_unique<PageCanvas>(kPageWidthDots, kPageRows, 8);
        return 1;
    }

    int EndPage() override
    {
        if (!canvas_) return -1;
        const bool sent = canvas_->SendBands(*dc_, kBandRows);
        canvas_.reset();
        dc_->Command(KLW_ENDPAGE);
        SystemPrintDocuments().EndPage(queueHandle_->Native());
        return sent ? 1 : -1;
    }

    int DeviceCaps(int index) override { return index == LOGPIXELSY_INDEX ? kDotsPerInch : 0; }

    FontHandle MakeFont(const FontDescription& font) override
    {
        auto made = std::make_unique<LogicalFont>(LogicalFont{font, IsDeviceFont(font.faceName)});
        FontHandle handle = made.get();
        fonts_.push_back(std::move(made));
        return handle;
    }

    FontHandle SelectFont(FontHandle font) override
    {
        LogicalFont* chosen = Find(font);
        if (chosen == nullptr) return nullptr;
        LogicalFont* previous = selected_;
        selected_ = chosen;
        return previous;
    }

    bool DeleteFont(FontHandle font) override
    {
        // The selected font stays until another is selected, as the engine keeps it.
        if (font == selected_ || font == stockFont_.get()) return false;
        const auto it = std::find_if(fonts_.begin(), fonts_.end(), [&](const auto& f) { return f.get() == font; });
        if (it == fonts_.end()) return false;
        fonts_.erase(it);
        return true;
    }

    bool TextHeight(int32_t& tmHeight) override
    {
        if (selected_->device) {
            tmHeight = DeviceCellHeight(selected_->description.faceName);
            return true;
        }
        std::string error;
        const auto mask = SystemPlatform().text.Render(TrueTypeOf(*selected_), u" ", error);
        if (!mask) return false;
        tmHeight = static_cast<int32_t>(mask->height);
        return true;
    }

    bool WriteText(int32_t x, int32_t y, std::u16string_view text) override
    {
        if (!canvas_) return false;
        if (text.empty()) return true;
        const FontDescription& d = selected_->description;
        host::TextFont font;
        font.family = d.faceName;
        font.device = selected_->device;
        font.heightDots = selected_->device ? DeviceCellHeight(d.faceName) : std::abs(d.height);
        font.weight = static_cast<uint16_t>(d.weight);
        font.italic = d.italic;
        font.underline = d.underline;
        font.strikeOut = d.strikeOut;
        font.charSet = d.charSet;
        font.pitchAndFamily = d.pitchAndFamily;
        const int turns = selected_->device ? 0 : QuarterTurns(d.escapement);
        if (turns == 0) {
            host::OutputText(*dc_, *canvas_, x, y, text, font);
            return true;
        }
        // The plug-in sees the string; what it leaves to the core is drawn
        // turned about the reference point.
        PageCanvas scratch(1, 1, 8);
        if (host::OutputText(*dc_, scratch, x, y, text, font)) return true;
        std::string error;
        const auto mask = SystemPlatform().text.Render(TrueTypeOf(*selected_), text, error);
        if (!mask) return false;
        for (uint32_t j = 0; j < mask->height; ++j)
            for (uint32_t i = 0; i < mask->width; ++i) {
                if (!mask->At(i, j)) continue;
                const auto ii = static_cast<int32_t>(i), jj = static_cast<int32_t>(j);
                int32_t px = x + ii, py = y + jj;
                if (turns == 1) px = x - jj, py = y + ii;
                else if (turns == 2) px = x - ii, py = y - jj;
                else if (turns == 3) px = x + jj, py = y - ii;
                canvas_->FillRect(px, py, px + 1, py + 1, 0);
            }
        return true;
    }

    int SetStretchMode(int mode) override
    {
        const int previous = stretchMode_;
        stretchMode_ = mode;
        return previous;
    }

    int StretchBitmap(const StretchRect& dest, const StretchRect& source, const DeviceBitmap& bitmap, DWORD,
                      DWORD) override
    {
        if (!canvas_ || dest.width <= 0 || dest.height <= 0) return 0;
        int32_t w = 0, h = 0;
        const std::vector<uint8_t> levels = GreyLevels(bitmap, w, h);
        if (levels.empty() || source.x < 0 || source.y < 0 || source.width <= 0 || source.height <= 0 ||
            source.x + source.width > w || source.y + source.height > h)
            return 0;
        // Each destination dot takes the source pixel it falls on (COLORONCOLOR).
        std::vector<uint8_t> scaled(static_cast<std::size_t>(dest.width) * static_cast<std::size_t>(dest.height));
        for (int32_t y = 0; y < dest.height; ++y)
            for (int32_t x = 0; x < dest.width; ++x) {
                const int64_t sx = source.x + int64_t(x) * source.width / dest.width;
                const int64_t sy = source.y + int64_t(y) * source.height / dest.height;
                scaled[static_cast<std::size_t>(y) * static_cast<std::size_t>(dest.width) + static_cast<std::size_t>(x)] =
                    levels[static_cast<std::size_t>(sy) * static_cast<std::size_t>(w) + static_cast<std::size_t>(sx)];
            }
        canvas_->DrawPicture(*dc_, dest.x, dest.y, dest.width, dest.height, scaled);
        return source.height;
    }

private:
    static int QuarterTurns(int32_t escapement)
    {
        switch (escapement) {
        case -900: return 1;
        case -1800: return 2;
        case -2700: return 3;
        default: return 0;
        }
    }

    static FontDescription TrueTypeOf(const LogicalFont& font)
    {
        FontDescription d = font.description;
        d.escapement = 0;
        d.orientation = 0;
        return d;
    }

    LogicalFont* Find(FontHandle font)
    {
        if (font == stockFont_.get()) return stockFont_.get();
        for (const auto& f : fonts_)
            if (f.get() == font) return f.get();
        return nullptr;
    }

    std::string queue_;
    std::unique_ptr<LoadedPlugin> plugin_;
    host::HostCore core_;
    std::unique_ptr<DeviceContext> dc_;
    bool enabled_ = false;
    bool inDocument_ = false;
    std::unique_ptr<QueueHandle> queueHandle_;
    std::unique_ptr<PageCanvas> canvas_;
    std::unique_ptr<LogicalFont> stockFont_;
    std::vector<std::unique_ptr<LogicalFont>> fonts_;
    LogicalFont* selected_ = nullptr;
    int stretchMode_ = 1;
};

class HostPrinterDevices final : public PrinterDevices {
public:
    std::unique_ptr<PrinterDC> CreatePrinterDC(std::u16string_view deviceName, DWORD& error) override
    {
        error = 0;
        DWORD openError = 0;
        if (!SystemSpooler().OpenQueue(deviceName, PRINTER_READ_USE_RIGHTS, openError)) {
            error = openError != 0 ? openError : syserr::kInvalidPrinterName;
            return nullptr;
        }
        std::string loadError;
        auto plugin = LoadedPlugin::Load(host::DefaultPluginPath(), loadError);
        if (!plugin) {
            error = kErrorModNotFound;
            return nullptr;
        }
        auto dc = std::make_unique<HostPrinterDC>(Utf16ToUtf8(deviceName), std::move(plugin));
        if (!dc->Enable()) {
            error = kErrorGenFailure;
            return nullptr;
        }
        return dc;
    }
};

}  // namespace

PrinterDevices& SystemPrinterDevices()
{
    static HostPrinterDevices devices;
    return devices;
}

}  // namespace lt77
