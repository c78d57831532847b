// Reads the export and import tables of a 64-bit Windows image (PE32+) from
// its bytes, so tests can check what a built DLL offers and needs.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
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

}  // namespace lt77::test_support
