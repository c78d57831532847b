// Printer data values as text a person can read and type: "binary: 1B 40",
// "sz: text" (UTF-8) or "dword: 7". The test host's store and command line use it.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "platform/spooler.h"

namespace lt77 {

std::string EncodeTypedValue(const PrinterDataValue& value);
// The value, or an error text saying what is wrong with the input.
std::variant<PrinterDataValue, std::string> DecodeTypedValue(std::string_view text);

}  // namespace lt77
