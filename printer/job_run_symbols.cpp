// Barcodes (GS k) and two-dimensional symbols (GS ( k): the commands' data
// and sizes go to the symbol library, its modules come back as dots.
#include <algorithm>
#include <cstdio>
#include <optional>

#include "printer/job_run.h"

namespace lt77::printer {
namespace {

constexpr uint8_t CN_PDF417 = 0x30;
constexpr uint8_t CN_QRCODE = 0x31;
constexpr uint8_t CN_MAXICODE = 0x32;
constexpr uint8_t CN_GS1_DATABAR = 0x33;
constexpr uint8_t CN_COMPOSITE = 0x34;
constexpr uint8_t CN_DATAMATRIX = 0x3D;

constexpr uint32_t kSymbolErrorBoxDots = 96;
constexpr std::size_t kShownDataBytes = 48;
constexpr uint8_t kGroupSeparator = 0x1D;

// Data as the log shows it: printable characters, other bytes as <hex>.
std::string Shown(const std::string& data)
{
    std::string out = "\"";
    char hex[8];
    for (std::size_t i = 0; i < data.size() && i < kShownDataBytes; ++i) {
        const auto c = static_cast<uint8_t>(data[i]);
        if (c >= 0x20 && c < 0x7F && c != '"') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(hex, sizeof hex, "<%02X>", c);
            out += hex;
        }
    }
    out += data.size() > kShownDataBytes ? "\"..." : "\"";
    return out;
}

std::optional<Symbology> LinearSystem(uint8_t m)
{
    static constexpr Symbology kSystems[] = {Symbology::UpcA,   Symbology::UpcE, Symbology::Ean13,
                                             Symbology::Ean8,   Symbology::Code39, Symbology::Itf,
                                             Symbology::Codabar, Symbology::Code93, Symbology::Code128};
    if (m <= 6) return kSystems[m];
    if (m >= 65 && m <= 73) return kSystems[m - 65];
    return std::nullopt;
}

// Code128 data names its code set first ({A, {B or {C) and may switch with
// another; in set C each byte is a pair of digits. The library takes the
// characters themselves and picks the code sets again, which encodes the
// same data.
std::optional<std::string> Code128Characters(const std::string& data, std::string& error, bool& functionsLeftOut)
{
    std::string out;
    char set = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto c = static_cast<uint8_t>(data[i]);
        if (c == '{' && i + 1 < data.size()) {
            const char k = data[++i];
            if (k == 'A' || k == 'B' || k == 'C') {
                set = k;
            } else if (k == '{') {
                out += '{';
            } else if (k == 'S') {
                // A shift: the next character is of the other set, and
                // stands for itself all the same.
            } else if (k >= '1' && k <= '4') {
                functionsLeftOut = true;
            } else {
                error = "Code128 has no code {" + std::string(1, k);
                return std::nullopt;
            }
            continue;
        }
        if (set == 0) {
            error = "Code128 data must start with a code set ({A, {B or {C)";
            return std::nullopt;
        }
        if (set == 'C') {
            if (c > 99) {
                error = "Code128 code set C holds pairs of digits 0 ... 99 only";
                return std::nullopt;
            }
            out += static_cast<char>('0' + c / 10);
            out += static_cast<char>('0' + c % 10);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::optional<Symbology> DataBarType(uint8_t type)
{
    switch (type) {
    case 0x48: return Symbology::DataBarOmni;
    case 0x49: return Symbology::DataBarTruncated;
    case 0x4A: return Symbology::DataBarStacked;
    case 0x4B: return Symbology::DataBarStackedOmni;
    case 0x4C: return Symbology::DataBarLimited;
    case 0x4D: return Symbology::DataBarExpanded;
    case 0x4E: return Symbology::DataBarExpandedStacked;
    default: return std::nullopt;
    }
}

std::optional<Symbology> CompositeLinearType(uint8_t type)
{
    switch (type) {
    case 0x41: return Symbology::Ean8;
    case 0x42: return Symbology::Ean13;
    case 0x43: return Symbology::UpcA;
    case 0x44: case 0x45: return Symbology::UpcE;
    case 0x4D: return Symbology::Gs1_128;
    default: return DataBarType(static_cast<uint8_t>(type + 2));  // 0x46 ... 0x4C: the seven DataBar types
    }
}

}  // namespace

void JobRun::Barcode()
{
    if (!Need(3, "barcode")) return;
    const uint8_t m = At(2);
    std::string data;
    if (m <= 6) {
        // The older form: the data ends with a zero byte.
        std::size_t end = pos_ + 3;
        while (end < s_.size() && s_[end] != 0) ++end;
        if (end >= s_.size()) {
            Need(end - pos_ + 1, "barcode");
            return;
        }
        data.assign(s_.begin() + static_cast<std::ptrdiff_t>(pos_ + 3), s_.begin() + static_cast<std::ptrdiff_t>(end));
        pos_ = end + 1;
    } else if (m >= 65) {
        if (!Need(4, "barcode") || !Need(4 + static_cast<std::size_t>(At(3)), "barcode")) return;
        data.assign(s_.begin() + static_cast<std::ptrdiff_t>(pos_ + 4),
                    s_.begin() + static_cast<std::ptrdiff_t>(pos_ + 4 + At(3)));
        pos_ += 4 + static_cast<std::size_t>(At(3));
    } else {
        Unknown(3, "barcode system");
        return;
    }
    const auto system = LinearSystem(m);
    if (!system) {
        out_.log.Problem(commandStart_, "barcode system " + std::to_string(m) + " is not resident; nothing printed");
        return;
    }
    FlushLine();
    SymbolRequest request;
    request.symbology = *system;
    request.data = data;
    std::string error;
    if (*system == Symbology::Code39) {
        // The start and stop characters are the printer's to add.
        if (request.data.size() >= 2 && request.data.front() == '*' && request.data.back() == '*')
            request.data = request.data.substr(1, request.data.size() - 2);
    } else if (*system == Symbology::Itf && data.size() % 2 != 0) {
        error = "ITF takes an even number of digits";
    } else if (*system == Symbology::Code128) {
        bool functionsLeftOut = false;
        if (auto characters = Code128Characters(data, error, functionsLeftOut)) request.data = *characters;
        if (functionsLeftOut)
            out_.log.Problem(commandStart_, "Code128 function characters ({1 ... {4) are left out of the symbol");
    }
    const uint32_t moduleWidth = modes_.barWidth;
    if (error.empty()) {
        auto encoded = symbols_.Encode(request);
        if (auto* symbol = std::get_if<EncodedSymbol>(&encoded)) {
            DrawSymbol(*symbol, moduleWidth, modes_.barHeight, request);
            return;
        }
        error = std::get<std::string>(encoded);
    }
    out_.log.Problem(commandStart_, std::string(SymbologyName(*system)) + " " + Shown(data) + ": " + error +
                                        "; drawn as a marked box");
    ErrorBox(std::max<uint32_t>(kSymbolErrorBoxDots, static_cast<uint32_t>(data.size()) * 11 * moduleWidth),
             std::max<uint32_t>(modes_.barHeight, 24), SymbologyName(*system));
}

void JobRun::Symbol2d()
{
    const std::size_t total = 5 + Le16(3);
    if (!Need(total, "symbol command")) return;
    if (total < 7) {
        Unknown(total, "symbol command");
        return;
    }
    const std::span<const uint8_t> q = s_.subspan(pos_ + 5, total - 5);
    const uint8_t cn = q[0], fn = q[1];
    const std::span<const uint8_t> a = q.subspan(2);
    pos_ += total;
    SymbolModes& sm = modes_.symbols;
    auto setting = [&](uint8_t& field, uint32_t low, uint32_t high, uint8_t offset = 0) {
        if (!a.empty() && a[0] >= low + offset && a[0] <= high + offset) {
            field = static_cast<uint8_t>(a[0] - offset);
            return;
        }
        out_.log.Problem(commandStart_, "symbol setting " + std::to_string(fn) + " of family " +
                                            std::to_string(cn) + " out of range; ignored");
    };
    auto store = [&](std::string& into, std::size_t skip) {
        if (a.empty() || a[0] != 0x30 || a.size() < 1 + skip) {
            out_.log.Problem(commandStart_, "symbol data store without its data");
            return false;
        }
        into.assign(a.begin() + static_cast<std::ptrdiff_t>(1 + skip), a.end());
        return true;
    };
    auto unknown = [&](const char* family) {
        out_.log.Problem(commandStart_, std::string("unknown ") + family + " function " + std::to_string(fn));
    };
    if (fn == 0x51) {
        PrintSymbol(cn);
        return;
    }
    if (fn == 0x52) return;  // asks the printer for the symbol's size
    switch (cn) {
    case CN_PDF417:
        if (fn == 0x41) setting(sm.pdfColumns, 0, 30);
        else if (fn == 0x42) {
            if (!a.empty() && (a[0] == 0 || (a[0] >= 3 && a[0] <= 90))) sm.pdfRows = a[0];
            else setting(sm.pdfRows, 3, 90);
        } else if (fn == 0x43) setting(sm.pdfModuleWidth, 2, 8);
        else if (fn == 0x44) setting(sm.pdfRowHeight, 2, 8);
        else if (fn == 0x45 && a.size() >= 2)
            sm.pdfErrorLevel = a[0] == 0x30 && a[1] >= 0x30 && a[1] <= 0x38 ? a[1] - 0x30 : -1;
        else if (fn == 0x46 && !a.empty()) sm.pdfTruncated = a[0] & 1;
        else if (fn == 0x50) store(symbolData_[cn], 0);
        else unknown("PDF417");
        return;
    case CN_QRCODE:
        if (fn == 0x41) setting(sm.qrModel, 1, 3, 0x30);
        else if (fn == 0x43) setting(sm.qrModuleSize, 1, 16);
        else if (fn == 0x45) setting(sm.qrErrorLevel, 0, 3, 0x30);
        else if (fn == 0x50) store(symbolData_[cn], 0);
        else unknown("QR Code");
        return;
    case CN_MAXICODE:
        if (fn == 0x41) setting(sm.maxiMode, 2, 6, 0x30);
        else if (fn == 0x50) store(symbolData_[cn], 0);
        else unknown("MaxiCode");
        return;
    case CN_GS1_DATABAR:
        if (fn == 0x43) setting(sm.dataBarModuleWidth, 1, 8);
        else if (fn == 0x47) return;
        else if (fn == 0x50) store(symbolData_[cn], 0);
        else unknown("GS1 DataBar");
        return;
    case CN_COMPOSITE:
        if (fn == 0x43) setting(sm.compositeModuleWidth, 1, 8);
        else if (fn == 0x47 || fn == 0x48) return;
        else if (fn == 0x50 && a.size() >= 3 && a[1] == 0x30) {
            compositeLinearType_ = a[2];
            store(compositeLinear_, 2);
        } else if (fn == 0x50 && a.size() >= 3 && a[1] == 0x31) {
            store(composite2d_, 2);
        } else {
            unknown("composite symbol");
        }
        return;
    case CN_DATAMATRIX:
        if (fn == 0x43) setting(sm.matrixModuleSize, 1, 16);
        else if (fn == 0x42) return;
        else if (fn == 0x50) store(symbolData_[cn], 0);
        else unknown("DataMatrix");
        return;
    default:
        out_.log.Problem(commandStart_, "symbol family " + std::to_string(cn) + " is not resident");
    }
}

void JobRun::PrintSymbol(uint8_t cn)
{
    FlushLine();
    const SymbolModes& sm = modes_.symbols;
    SymbolRequest request;
    uint32_t moduleWidth = 1, rowHeight = 1;
    std::string error;
    const auto stored = symbolData_.find(cn);
    const bool haveData = cn == CN_COMPOSITE ? !compositeLinear_.empty() : stored != symbolData_.end();
    if (haveData && cn != CN_COMPOSITE) request.data = stored->second;
    switch (cn) {
    case CN_PDF417:
        request.symbology = sm.pdfTruncated ? Symbology::Pdf417Truncated : Symbology::Pdf417;
        request.columns = sm.pdfColumns;
        request.rows = sm.pdfRows;
        request.errorLevel = sm.pdfErrorLevel;
        moduleWidth = sm.pdfModuleWidth;
        rowHeight = sm.pdfRowHeight * sm.pdfModuleWidth;
        break;
    case CN_QRCODE:
        request.symbology = Symbology::QrCode;
        request.errorLevel = sm.qrErrorLevel;
        moduleWidth = rowHeight = sm.qrModuleSize;
        if (sm.qrModel != 2) error = sm.qrModel == 1 ? "QR Code model 1 is not drawn by the symbol library"
                                                      : "Micro QR Code is not drawn by the symbol library";
        break;
    case CN_MAXICODE:
        request.symbology = Symbology::MaxiCode;
        request.maxiMode = sm.maxiMode;
        if (sm.maxiMode == 2 || sm.maxiMode == 3) {
            // The primary message leads: postal code, country code and
            // service class, each ended by GS.
            std::string rest = request.data;
            for (int field = 0; field < 3; ++field) {
                const std::size_t gs = rest.find(static_cast<char>(kGroupSeparator));
                if (gs == std::string::npos) {
                    error = "MaxiCode mode " + std::to_string(sm.maxiMode) +
                            " takes the postal code, country and service class first, each ended by GS";
                    break;
                }
                request.primary += rest.substr(0, gs);
                rest = rest.substr(gs + 1);
            }
            request.data = rest;
        }
        break;
    case CN_GS1_DATABAR:
        moduleWidth = rowHeight = sm.dataBarModuleWidth;
        if (haveData) {
            const auto type = request.data.empty() ? std::nullopt : DataBarType(static_cast<uint8_t>(request.data[0]));
            if (type) {
                request.symbology = *type;
                request.data = request.data.substr(1);
            } else {
                error = "GS1 DataBar type not known";
            }
        }
        break;
    case CN_COMPOSITE:
        moduleWidth = rowHeight = sm.compositeModuleWidth;
        request.composite = true;
        request.data = composite2d_;
        request.linearData = compositeLinear_;
        if (const auto type = CompositeLinearType(compositeLinearType_)) {
            request.linear = *type;
            request.symbology = *type;
        } else {
            error = "composite linear type not known";
        }
        break;
    case CN_DATAMATRIX:
        request.symbology = Symbology::DataMatrix;
        moduleWidth = rowHeight = sm.matrixModuleSize;
        break;
    default:
        out_.log.Problem(commandStart_, "symbol family " + std::to_string(cn) + " is not resident");
        return;
    }
    const char* name = cn == CN_GS1_DATABAR ? "GS1 DataBar" : cn == CN_COMPOSITE ? "composite symbol"
                                                                                 : SymbologyName(request.symbology);
    if (!haveData) {
        out_.log.Problem(commandStart_, std::string(name) + " printed with no data stored; nothing printed");
        return;
    }
    if (error.empty()) {
        auto encoded = symbols_.Encode(request);
        if (auto* symbol = std::get_if<EncodedSymbol>(&encoded)) {
            DrawSymbol(*symbol, moduleWidth, rowHeight, request);
            return;
        }
        error = std::get<std::string>(encoded);
    }
    out_.log.Problem(commandStart_, std::string(name) + " " + Shown(request.data) + ": " + error +
                                        "; drawn as a marked box");
    ErrorBox(kSymbolErrorBoxDots, kSymbolErrorBoxDots, name);
}

void JobRun::DrawSymbol(const EncodedSymbol& symbol, uint32_t moduleWidth, uint32_t commandRowHeight,
                        const SymbolRequest& request)
{
    const uint32_t mw = symbol.inDots ? 1 : moduleWidth;
    const uint64_t width = uint64_t{symbol.columns} * mw;
    std::vector<uint32_t> heights(symbol.rows);
    uint64_t height = 0;
    for (uint32_t r = 0; r < symbol.rows; ++r) {
        const uint16_t h = r < symbol.rowHeights.size() ? symbol.rowHeights[r] : 1;
        heights[r] = symbol.inDots ? 1 : (h == 0 ? commandRowHeight : h * moduleWidth);
        height += heights[r];
    }
    const bool linear = !request.composite && request.symbology <= Symbology::Code128;
    const bool hriAbove = linear && (modes_.hriPosition & 1) && !symbol.humanReadable.empty();
    const bool hriBelow = linear && (modes_.hriPosition & 2) && !symbol.humanReadable.empty();
    const uint32_t hriWidth = modes_.hriFont ? 9 : 12, hriHeight = modes_.hriFont ? 17 : 24;
    const char* name = SymbologyName(request.symbology);
    if (width > kPaperDots || AlignedX(static_cast<uint32_t>(width)) + width > kPaperDots) {
        out_.log.Problem(commandStart_, std::string(name) + " " + Shown(request.data) + " is " +
                                            std::to_string(width) + " dots wide, wider than the paper from x " +
                                            std::to_string(AlignedX(0)) + "; drawn as a marked box");
        ErrorBox(kSymbolErrorBoxDots, static_cast<uint32_t>(std::clamp<uint64_t>(height, 24, 480)), name);
        return;
    }
    const uint32_t left = AlignedX(static_cast<uint32_t>(width));
    const uint64_t total = height + (hriAbove ? hriHeight : 0) + (hriBelow ? hriHeight : 0);
    if (!Reach(static_cast<uint32_t>(std::min<uint64_t>(y_ + total, kMaxPaperRows + 1)))) return;
    auto hri = [&](uint32_t top) {
        const std::string& text = symbol.humanReadable;
        const uint32_t textWidth = static_cast<uint32_t>(text.size()) * hriWidth;
        uint32_t x = textWidth < width ? left + static_cast<uint32_t>(width - textWidth) / 2 : left;
        for (char ch : text) {
            const GlyphMask& g = glyphs_.Glyph(static_cast<unsigned char>(ch), static_cast<uint16_t>(hriWidth),
                                               static_cast<uint16_t>(hriHeight), false);
            for (uint32_t j = 0; j < g.height; ++j)
                for (uint32_t i = 0; i < g.width; ++i)
                    if (g.At(i, j) && x + i < kPaperDots) out_.paper.Set(x + i, top + j);
            x += hriWidth;
        }
    };
    uint32_t row = y_;
    if (hriAbove) {
        hri(row);
        row += hriHeight;
    }
    const uint32_t barsTop = row;
    for (uint32_t r = 0; r < symbol.rows; ++r) {
        const uint8_t* modules = symbol.modules.data() + static_cast<std::size_t>(r) * symbol.columns;
        // Runs of dark modules, one rectangle each.
        for (uint32_t c = 0; c < symbol.columns;) {
            if (!modules[c]) {
                ++c;
                continue;
            }
            uint32_t end = c;
            while (end < symbol.columns && modules[end]) ++end;
            out_.paper.Fill(left + c * mw, row, (end - c) * mw, heights[r]);
            c = end;
        }
        row += heights[r];
    }
    if (hriBelow) {
        hri(row);
        row += hriHeight;
    }
    y_ = row;
    // The next line starts at the left margin again.
    x_ = 0;
    const std::string& shown = request.composite ? request.linearData : request.data;
    out_.log.Event(commandStart_, std::string(name) + " " + Shown(shown) +
                                      ", " + std::to_string(width) + " x " + std::to_string(height) + " dots at (" +
                                      std::to_string(left) + ", " + std::to_string(barsTop) + ")");
}

void JobRun::ErrorBox(uint32_t width, uint32_t height, const std::string& label)
{
    Placeholder(width, height, label);
}

}  // namespace lt77::printer
