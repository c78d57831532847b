// The printer's level-2 information and its default device mode, as the UI
// plug-in changes them: the print processor, the attributes, and the few
// device-mode fields its pages set (copies, orientation, colour, default
// source, form). `native` keeps the platform's own record so that writing it
// back leaves every other field as the spooler had it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/oem/abi_types.h"

namespace lt77 {

inline constexpr DWORD PRINTER_ATTRIBUTE_RAW_ONLY_FLAG = 0x1000;

// The device-mode fields the pages change. Paper width and length are in
// tenths of a millimetre, as the device mode holds them.
struct DeviceModeFields {
    int16_t copies = 1;
    int16_t orientation = 1;     // 1 portrait, 2 landscape
    int16_t color = 1;           // 1 monochrome, 2 colour
    int16_t defaultSource = 15;  // 265 receipt, 266 ticket, 15 automatic
    int16_t paperSize = 0;
    int16_t paperWidth = 0;
    int16_t paperLength = 0;
    std::u16string formName;     // at most 31 characters are kept
    std::shared_ptr<void> native;
};

struct PrinterLevel2 {
    std::u16string printProcessor;
    DWORD attributes = 0;
    // Present: the printer's default device mode is written with the record
    // (the security descriptor is never written back).
    std::optional<DeviceModeFields> devMode;
    std::shared_ptr<void> native;
};

class PrinterSetup {
public:
    virtual ~PrinterSetup() = default;
    // Each returns 0 or the system error.
    virtual DWORD GetLevel2(HANDLE printer, PrinterLevel2& out) = 0;
    virtual DWORD SetLevel2(HANDLE printer, const PrinterLevel2& info) = 0;
    // The printer's default device mode (document properties, output only).
    virtual DWORD GetDefaultDevMode(HANDLE printer, std::u16string_view printerName, DeviceModeFields& out) = 0;
    // Lets the driver merge changed fields into a full device mode
    // (document properties with input and output buffer).
    virtual DWORD MergeDevMode(HANDLE printer, std::u16string_view printerName, DeviceModeFields& inOut) = 0;
};

PrinterSetup& SystemPrinterSetup();

}  // namespace lt77
