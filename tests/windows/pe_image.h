// Reads the export and import tables of a 64-bit Windows image (PE32+) from
// its bytes, so tests can check what a built DLL offers and needs.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lt77::test_support {

inline constexpr uint16_t kMachineAmd64 = 0x8664;

struct PeImage {
    uint16_t machine = 0;
    std::vector<std::string> exportNames;
    // Imported library name (as written in the image) -> imported function
    // names; imports by ordinal appear as "#<ordinal>".
    std::map<std::string, std::vector<std::string>> imports;
};

// The image, or a text saying what is malformed.
std::variant<PeImage, std::string> ParsePeImage(std::span<const uint8_t> bytes);

// The image of the file at path, read once and kept; a test failure and an
// empty image when it cannot be read or parsed.
const PeImage& PeImageOf(const std::string& path);

// The imported libraries that are neither in allowed (compared without
// regard to case) nor API sets ("api-ms-win-..."): what a shipped DLL must
// not need. Names as written in the image.
std::vector<std::string> ForeignImports(const PeImage& image, std::initializer_list<std::string_view> allowed);

}  // namespace lt77::test_support
