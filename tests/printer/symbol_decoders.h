// Independent decoders from the system, for tests that read the paper back:
// zbar for the one-dimensional codes, QR Code and GS1 DataBar, libdmtx for
// DataMatrix, ZXing for PDF417 and MaxiCode.
#pragma once

#include <string>
#include <vector>

#include "common/raster_decoder.h"

namespace lt77::printer::testing {

enum class Decoder { Zbar, Dmtx, Zxing };

struct DecodedSymbol {
    std::string symbology;  // as the decoder names it
    std::string data;
};

// Every symbol the decoder finds in the picture (0 black, 255 white).
std::vector<DecodedSymbol> Decode(Decoder decoder, const RasterPicture& picture);

}  // namespace lt77::printer::testing
