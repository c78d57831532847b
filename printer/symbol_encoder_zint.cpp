// Symbols encoded by zint: its module matrix and row heights, or for
// MaxiCode its drawing of hexagons at the printer's resolution.
#include <zint.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "printer/symbol_encoder.h"

namespace lt77::printer {
namespace {

// MaxiCode is about 28 mm across whatever its data; zint's drawing at scale
// 1 is 299 dots wide, and 225 dots make 28 mm at 203 dots per inch.
constexpr float kMaxiCodeScale = 225.0f / 299.0f;
// GS1 DataBar Truncated is the omnidirectional symbol 13 modules tall.
constexpr float kDataBarTruncatedHeight = 13.0f;

struct SymbolDeleter {
    void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};

bool AllDigits(const std::string& s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsLinear(Symbology s) { return s <= Symbology::Code128; }

bool IsGs1(Symbology s)
{
    return s == Symbology::DataBarExpanded || s == Symbology::DataBarExpandedStacked || s == Symbology::Gs1_128;
}

// The zint symbology, or an error text.
std::variant<int, std::string> ZintSymbology(Symbology s, const std::string& data)
{
    switch (s) {
    case Symbology::UpcA: return BARCODE_UPCA;
    case Symbology::UpcE: return BARCODE_UPCE;
    case Symbology::Ean13:
        if (data.size() == 12) return BARCODE_EANX;
        if (data.size() == 13) return BARCODE_EANX_CHK;
        return std::string("JAN13 (EAN) takes 12 or 13 digits");
    case Symbology::Ean8:
        if (data.size() == 7) return BARCODE_EANX;
        if (data.size() == 8) return BARCODE_EANX_CHK;
        return std::string("JAN8 (EAN) takes 7 or 8 digits");
    case Symbology::Code39: return BARCODE_CODE39;
    case Symbology::Itf: return BARCODE_C25INTER;
    case Symbology::Codabar: return BARCODE_CODABAR;
    case Symbology::Code93: return BARCODE_CODE93;
    case Symbology::Code128: return BARCODE_CODE128;
    case Symbology::Pdf417: return BARCODE_PDF417;
    case Symbology::Pdf417Truncated: return BARCODE_PDF417COMP;
    case Symbology::QrCode: return BARCODE_QRCODE;
    case Symbology::MaxiCode: return BARCODE_MAXICODE;
    case Symbology::DataMatrix: return BARCODE_DATAMATRIX;
    case Symbology::DataBarOmni:
    case Symbology::DataBarTruncated: return BARCODE_DBAR_OMN;
    case Symbology::DataBarStacked: return BARCODE_DBAR_STK;
    case Symbology::DataBarStackedOmni: return BARCODE_DBAR_OMNSTK;
    case Symbology::DataBarLimited: return BARCODE_DBAR_LTD;
    case Symbology::DataBarExpanded: return BARCODE_DBAR_EXP;
    case Symbology::DataBarExpandedStacked: return BARCODE_DBAR_EXPSTK;
    case Symbology::Gs1_128: return BARCODE_GS1_128;
    }
    return std::string("no such symbology");
}

std::variant<int, std::string> ZintComposite(Symbology linear)
{
    switch (linear) {
    case Symbology::Ean8:
    case Symbology::Ean13: return BARCODE_EANX_CC;
    case Symbology::UpcA: return BARCODE_UPCA_CC;
    case Symbology::UpcE: return BARCODE_UPCE_CC;
    case Symbology::DataBarOmni:
    case Symbology::DataBarTruncated: return BARCODE_DBAR_OMN_CC;
    case Symbology::DataBarStacked: return BARCODE_DBAR_STK_CC;
    case Symbology::DataBarStackedOmni: return BARCODE_DBAR_OMNSTK_CC;
    case Symbology::DataBarLimited: return BARCODE_DBAR_LTD_CC;
    case Symbology::DataBarExpanded: return BARCODE_DBAR_EXP_CC;
    case Symbology::DataBarExpandedStacked: return BARCODE_DBAR_EXPSTK_CC;
    case Symbology::Gs1_128: return BARCODE_GS1_128_CC;
    default: return std::string("no composite symbol has this linear component");
    }
}

int Gs1Mode(const std::string& data) { return GS1_MODE | (data.find('(') != std::string::npos ? GS1PARENS_MODE : 0); }

std::string ZintError(const zint_symbol& s)
{
    std::string text = s.errtxt;
    // "Error 276: Invalid check digit ..." reads better without the number.
    if (const auto colon = text.find(": "); text.rfind("Error ", 0) == 0 && colon != std::string::npos)
        text = text.substr(colon + 2);
    return "the symbol library refused the data: " + text;
}

class ZintSymbols final : public SymbolEncoder {
public:
    std::variant<EncodedSymbol, std::string> Encode(const SymbolRequest& r) override
    {
        if ((r.symbology <= Symbology::Ean8) && !AllDigits(r.composite ? r.linearData : r.data))
            return std::string(SymbologyName(r.symbology)) + " takes digits only";
        const auto chosen = r.composite ? ZintComposite(r.linear) : ZintSymbology(r.symbology, r.data);
        if (const auto* error = std::get_if<std::string>(&chosen)) return *error;
        std::unique_ptr<zint_symbol, SymbolDeleter> s(ZBarcode_Create());
        if (!s) return std::string("out of memory");
        s->symbology = std::get<int>(chosen);
        s->input_mode = DATA_MODE;
        switch (r.symbology) {
        case Symbology::Pdf417:
        case Symbology::Pdf417Truncated:
            s->option_1 = r.errorLevel;
            s->option_2 = r.columns;
            s->option_3 = r.rows;
            break;
        case Symbology::QrCode: s->option_1 = std::clamp(r.errorLevel, 0, 3) + 1; break;
        case Symbology::DataMatrix: s->option_3 = DM_SQUARE; break;
        case Symbology::MaxiCode:
            s->option_1 = r.maxiMode;
            if (r.primary.size() >= sizeof s->primary) return std::string("MaxiCode primary message too long");
            std::strcpy(s->primary, r.primary.c_str());
            break;
        case Symbology::DataBarTruncated: s->height = kDataBarTruncatedHeight; break;
        default: break;
        }
        if (r.symbology >= Symbology::DataBarOmni || r.composite) {
            s->output_options |= COMPLIANT_HEIGHT;
            if (r.symbology == Symbology::DataBarTruncated) s->output_options &= ~COMPLIANT_HEIGHT;
        }
        if (IsGs1(r.symbology)) s->input_mode = Gs1Mode(r.data);
        if (r.composite) {
            if (r.data.empty()) return std::string("a composite symbol needs its two-dimensional component");
            if (r.linearData.size() >= sizeof s->primary) return std::string("linear component too long");
            std::strcpy(s->primary, r.linearData.c_str());
            s->input_mode = Gs1Mode(r.data);
        }
        if (r.data.empty()) return std::string("no data");
        const auto* bytes = reinterpret_cast<const unsigned char*>(r.data.data());
        const int length = static_cast<int>(r.data.size());
        if (r.symbology == Symbology::MaxiCode && !r.composite) {
            s->scale = kMaxiCodeScale;
            if (ZBarcode_Encode_and_Buffer(s.get(), bytes, length, 0) >= ZINT_ERROR) return ZintError(*s);
            return FromBitmap(*s);
        }
        if (ZBarcode_Encode(s.get(), bytes, length) >= ZINT_ERROR) return ZintError(*s);
        return FromModules(*s, r);
    }

private:
    static EncodedSymbol FromModules(const zint_symbol& s, const SymbolRequest& r)
    {
        EncodedSymbol out;
        out.columns = static_cast<uint32_t>(s.width);
        out.rows = static_cast<uint32_t>(s.rows);
        out.modules.resize(static_cast<std::size_t>(out.columns) * out.rows);
        for (uint32_t y = 0; y < out.rows; ++y)
            for (uint32_t x = 0; x < out.columns; ++x)
                out.modules[static_cast<std::size_t>(y) * out.columns + x] = (s.encoded_data[y][x >> 3] >> (x & 7)) & 1;
        out.humanReadable = reinterpret_cast<const char*>(s.text);
        const bool commandHeight = (IsLinear(r.symbology) && !r.composite) || r.symbology == Symbology::Pdf417 ||
                                   r.symbology == Symbology::Pdf417Truncated;
        // Rows zint leaves at 0 share what the symbol's height leaves over.
        float fixed = 0;
        int open = 0;
        for (uint32_t y = 0; y < out.rows; ++y) {
            fixed += s.row_height[y];
            open += s.row_height[y] == 0 ? 1 : 0;
        }
        const float shared = open > 0 ? std::max(1.0f, (s.height - fixed) / static_cast<float>(open)) : 0;
        for (uint32_t y = 0; y < out.rows; ++y) {
            const float h = s.row_height[y] == 0 ? shared : s.row_height[y];
            out.rowHeights.push_back(commandHeight ? 0 : static_cast<uint16_t>(std::max(1L, std::lround(h))));
        }
        return out;
    }

    static EncodedSymbol FromBitmap(const zint_symbol& s)
    {
        EncodedSymbol out;
        out.inDots = true;
        out.columns = static_cast<uint32_t>(s.bitmap_width);
        out.rows = static_cast<uint32_t>(s.bitmap_height);
        out.modules.resize(static_cast<std::size_t>(out.columns) * out.rows);
        for (std::size_t i = 0; i < out.modules.size(); ++i) out.modules[i] = s.bitmap[i * 3] < 128 ? 1 : 0;
        out.rowHeights.assign(out.rows, 1);
        return out;
    }
};

}  // namespace

std::unique_ptr<SymbolEncoder> MakeSystemSymbolEncoder() { return std::make_unique<ZintSymbols>(); }

}  // namespace lt77::printer
