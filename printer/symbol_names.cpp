#include "printer/symbol_encoder.h"

namespace lt77::printer {

const char* SymbologyName(Symbology s)
{
    switch (s) {
    case Symbology::UpcA: return "UPC-A";
    case Symbology::UpcE: return "UPC-E";
    case Symbology::Ean13: return "JAN13 (EAN)";
    case Symbology::Ean8: return "JAN8 (EAN)";
    case Symbology::Code39: return "Code39";
    case Symbology::Itf: return "ITF";
    case Symbology::Codabar: return "Codabar";
    case Symbology::Code93: return "Code93";
    case Symbology::Code128: return "Code128";
    case Symbology::Pdf417: return "PDF417";
    case Symbology::Pdf417Truncated: return "truncated PDF417";
    case Symbology::QrCode: return "QR Code";
    case Symbology::MaxiCode: return "MaxiCode";
    case Symbology::DataMatrix: return "DataMatrix";
    case Symbology::DataBarOmni: return "GS1 DataBar Omnidirectional";
    case Symbology::DataBarTruncated: return "GS1 DataBar Truncated";
    case Symbology::DataBarStacked: return "GS1 DataBar Stacked";
    case Symbology::DataBarStackedOmni: return "GS1 DataBar Stacked Omnidirectional";
    case Symbology::DataBarLimited: return "GS1 DataBar Limited";
    case Symbology::DataBarExpanded: return "GS1 DataBar Expanded";
    case Symbology::DataBarExpandedStacked: return "GS1 DataBar Expanded Stacked";
    case Symbology::Gs1_128: return "GS1-128";
    }
    return "symbol";
}

}  // namespace lt77::printer
