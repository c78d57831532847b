// The paper as a picture file a person can look at: a 1-bit PNG at 203 dots
// per inch on Linux, a 1-bit BMP where libpng is not at hand (the Windows
// build).
#pragma once

#include <string>

#include "printer/paper.h"

namespace lt77::printer {

const char* PaperFileExtension();

// Returns an error text, empty on success; paper without rows is refused.
std::string WritePaperFile(const Paper& paper, const std::string& path);

}  // namespace lt77::printer
