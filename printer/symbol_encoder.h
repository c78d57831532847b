// Barcodes and two-dimensional symbols as modules, encoded by a symbol
// library (zint on Linux) rather than by encoders of our own. The renderer
// turns the modules into dots with the sizes its commands set.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace lt77::printer {

enum class Symbology : uint8_t {
    UpcA, UpcE, Ean13, Ean8, Code39, Itf, Codabar, Code93, Code128,
    Pdf417, Pdf417Truncated, QrCode, MaxiCode, DataMatrix,
    DataBarOmni, DataBarTruncated, DataBarStacked, DataBarStackedOmni, DataBarLimited,
    DataBarExpanded, DataBarExpandedStacked,
    Gs1_128,
};

// The name a person knows the symbology by, for the job's log.
const char* SymbologyName(Symbology s);

struct SymbolRequest {
    Symbology symbology = Symbology::Code128;
    std::string data;
    // Composite symbols: `data` is the two-dimensional component, these the
    // linear one.
    bool composite = false;
    Symbology linear = Symbology::Ean13;
    std::string linearData;
    // PDF417: columns and rows (0: the library chooses), error-correction
    // level 0 ... 8 (-1: the library chooses). QR Code: level 0 L ... 3 H.
    int columns = 0;
    int rows = 0;
    int errorLevel = -1;
    // MaxiCode: mode 2 ... 6; modes 2 and 3 take `primary` (postal code,
    // country and service class).
    int maxiMode = 4;
    std::string primary;
};

struct EncodedSymbol {
    uint32_t columns = 0;
    uint32_t rows = 0;
    std::vector<uint8_t> modules;  // rows * columns, 1 dark
    // Per row, in modules; 0 for a row whose height the print command sets
    // (the bar height of a barcode, the row height of PDF417).
    std::vector<uint16_t> rowHeights;
    // MaxiCode's hexagons are drawn by the library at the printer's
    // resolution: `modules` are then dots, and rowHeights all 1.
    bool inDots = false;
    std::string humanReadable;  // the text printed with a barcode
};

class SymbolEncoder {
public:
    virtual ~SymbolEncoder() = default;
    // The symbol, or why the data cannot be encoded.
    virtual std::variant<EncodedSymbol, std::string> Encode(const SymbolRequest& request) = 0;
};

std::unique_ptr<SymbolEncoder> MakeSystemSymbolEncoder();

}  // namespace lt77::printer
