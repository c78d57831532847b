// Text keys: markers in device-font text that the operator defined in the
// queue's printer data. A marker can be replaced by alternate text, printed
// as a stored image, or collect a coupon image printed once at the end of
// the document.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/printer_data_names.h"
#include "platform/engine.h"
#include "render/job_commands.h"

namespace lt77 {

enum TextKeyField { TEXT_KEY = 0, REPLACE_IMAGE = 1, ALTERNATE_TEXT = 2, COUPON_IMAGE = 3 };

// A printer data value of the text-key key: UTF-16 text converted to the
// code page (raw bytes for a value of one byte). Null when it cannot be read.
std::optional<std::string> GetPrinterDataFromReg(const OemPDEV& pdev, std::string_view valueName, unsigned codePage);

// One field of a definition ("key<TAB>image<TAB>text<TAB>coupon"); null when
// the field is missing or "_NULL_".
std::optional<std::string> GetTokenFromTextKeyData(std::string_view definition, TextKeyField field);

// One definition: the marker and what it brings; empty fields are empty.
struct TextKeyDefinition {
    std::string key, image, coupon;
    std::string alternate;  // in the code page of the string it applies to
    // The marker and alternate text in UTF-16, for lines redrawn into the
    // page image, where a code page would turn what it lacks into "?".
    std::u16string wideKey, wideAlternate;
};

// The queue's definitions, read once for a captured string; null without
// "NumTextKey". Alternate texts are converted to `textCodePage`.
std::optional<std::vector<TextKeyDefinition>> ReadTextKeyDefinitions(const OemPDEV& pdev, unsigned textCodePage);

// Collects the coupon names of the markers found in the text; always true.
bool SaveCouponImgName(OemPDEV& pdev, const std::vector<TextKeyDefinition>& definitions, std::string_view text);
bool CheckCouponNameAlreadyExist(const OemPDEV& pdev, std::string_view name);

// Replaces markers by their alternate texts; false without definitions.
bool TextReplacementWithText(const std::vector<TextKeyDefinition>& definitions, std::vector<uint8_t>& text);
// The same for the UTF-16 text of a line redrawn into the page image; stops
// before the text outgrows a record.
bool TextReplacementWithText(const std::vector<TextKeyDefinition>& definitions, std::u16string& text);

// Records the text as device-font segments with marker images between
// them; the number of command bytes recorded, 0 when the caller records the
// string itself.
std::size_t AddTextKeyImgBufAndDevFontData(OemPDEV& pdev, const std::vector<TextKeyDefinition>& definitions,
                                           const StringDetails& str, const FontDetails& font,
                                           std::string_view familyName, const std::vector<uint8_t>& text);

// True when an image or coupon name can become a file of the driver's folder:
// no path separators, wildcards or "..", and no reserved device name (CON,
// PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension, any case).
bool IsPlainImageName(std::string_view name);

// The bytes of <Windows>\LT-77\<name>.bin; empty on failure. Names refused
// by IsPlainImageName are not opened.
std::vector<uint8_t> GetTextKeyImgBufFromFile(FileSystem& files, std::string_view imageName);

// Writes the coupon images collected during the document (spooler and
// journal) and forgets them.
bool SendCouponImageData(JobContext& job);

}  // namespace lt77
