// Builds without the symbol library (the Windows cross build): every symbol
// is reported as not drawable, and the renderer draws its marked box.
#include "printer/symbol_encoder.h"

namespace lt77::printer {
namespace {

class NoSymbols final : public SymbolEncoder {
public:
    std::variant<EncodedSymbol, std::string> Encode(const SymbolRequest&) override
    {
        return std::string("this build has no symbol library");
    }
};

}  // namespace

std::unique_ptr<SymbolEncoder> MakeSystemSymbolEncoder() { return std::make_unique<NoSymbols>(); }

}  // namespace lt77::printer
