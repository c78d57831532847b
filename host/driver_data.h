// The operator's and installer's data that the driver reads besides its
// settings: text-key definitions, barcode slots, the control-code table and
// the image files of text keys and coupons.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/raster_decoder.h"

namespace lt77::host {

// Writes definition TextKey<index> ("marker<TAB>image<TAB>text<TAB>coupon",
// empty fields as "_NULL_") and raises NumTextKey to cover it.
std::optional<std::string> SetTextKey(std::string_view queue, int index, std::string_view marker,
                                      std::string_view image, std::string_view alternate, std::string_view coupon);

// One 5-byte slot (1 ... 9) of "BarcodeInfo" or one 20-byte slot (1 ... 8)
// of "CodeData"; the other slots keep their values or defaults.
std::optional<std::string> SetBarcodeSlot(std::string_view queue, bool twoDimensional, int slot,
                                          const std::vector<uint8_t>& bytes);

// One line of the control-code table: character -> command bytes.
std::optional<std::string> SetControlCode(char character, const std::vector<uint8_t>& bytes);

// Installs "<name>.bin" in the driver's data folder.
std::optional<std::string> InstallImageFile(std::string_view name, const std::vector<uint8_t>& bytes);

// Ready printer data for a picture: a plain raster command (dark levels print).
std::vector<uint8_t> RasterCommandFor(const RasterPicture& picture);

}  // namespace lt77::host
