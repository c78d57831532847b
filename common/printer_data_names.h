// The printer data keys and value names that carry the driver's settings
// between the UI plug-in, the rendering plug-in and the port monitor.
#pragma once

namespace lt77 {

inline constexpr const char* kPropertiesKey = "PrinterDriverData\\Properties";
inline constexpr const char* kMiscValue = "MISC";               // the 44 settings bytes
inline constexpr const char* kBarcodeInfoValue = "BarcodeInfo"; // 1D barcode slots
inline constexpr const char* kCodeDataValue = "CodeData";       // 2D symbol slots
inline constexpr const char* kStartDocValue = "StartDoc";       // user command strings
inline constexpr const char* kStartPageValue = "StartPage";
inline constexpr const char* kEndPageValue = "EndPage";
inline constexpr const char* kEndDocValue = "EndDoc";
inline constexpr const char* kPagesValue = "PAGES";             // 16-bit page counter

// The queue's own name as the spooler publishes it.
inline constexpr const char* kDsSpoolerKey = "DsSpooler";
inline constexpr const char* kPrinterNameValue = "printerName";

// Text-key definitions, written by a setup program outside the package.
inline constexpr const char* kTextKeyKey = "TextKeyFunction";
inline constexpr const char* kNumTextKeyValue = "NumTextKey";

}  // namespace lt77
