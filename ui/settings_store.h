// The UI's side of the settings store: printer data under
// "PrinterDriverData\Properties", the installation writers, the defaults, and
// the level-2 information. Spooler failures come back as system error codes
// (or FALSE); nothing here shows a message.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/oem/oem_ui.h"
#include "platform/printer_setup.h"
#include "ui/page_context.h"

namespace lt77::ui {

inline constexpr const char16_t* kPrintProcessorName = u"PRINT PROCESSOR LT-77";
inline constexpr DWORD kRawOnlyAttribute = 0x1000;
inline constexpr std::size_t kInstallValueMaxChars = 257;  // 256 characters and the terminator

// Reads a value; 0 on success, else the system error. A value longer than
// `buffer` fails with ERROR_MORE_DATA and `needed` says how long it is.
DWORD GetPrinterDataFromReg(UiSystem& system, HANDLE printer, std::string_view value, DWORD* type,
                            std::span<uint8_t> buffer, DWORD* needed);

// Writes a value. On failure with a context at hand, opens the printer again
// by the context's name with full access and retries once on that handle.
DWORD SetPrinterDataToReg(UiSystem& system, HANDLE printer, std::string_view value, DWORD type,
                          std::span<const uint8_t> data, const PageContext* context);

// Sets the level-2 information, with the same one retry. Non-zero on success.
BOOL SetPrinterInfo2(UiSystem& system, HANDLE printer, const PrinterLevel2& info, const PageContext* context);

// The UI's default settings bytes (pulses 25, cut mode 1, copies 1, form
// command 1, brightness 10, compression 1, everything else 0).
std::array<uint8_t, kSettingsCount> UiDefaultSettings();
// 1D entry i = {i, 3, 50, 0, 0}.
BarcodeInfoBytes UiDefaultBarcodeInfo();
// 2D entry i = {i mod 3, 0, 3, 0, 3, 0, 0, 1, 3, 0, 0, 3, 0 ...}.
CodeDataBytes UiDefaultCodeData();

// The defaults with each "PREFERENCE[n]" of the installation file laid over
// them (low 8 bits), into the context's settings bytes.
void GetBasicSettingPreference(PageContext& context);

// The installation file as the UI reads it: present only when it can be
// opened for reading; values are wide text of at most 256 characters.
class InstallationFile {
public:
    explicit InstallationFile(UiSystem& system);
    bool Exists() const { return exists_; }
    std::optional<std::u16string> Value(std::string_view key) const;
    // A key's text in the system's ANSI code page, decoded from command
    // notation (at most 256 bytes). Null when the key is absent.
    std::optional<std::vector<uint8_t>> Command(std::string_view key) const;

private:
    UiSystem& system_;
    std::string path_;
    bool exists_ = false;
};

// Installation (printer initialise event). Each returns FALSE only when the
// printer cannot be opened; a missing installation file returns TRUE with
// nothing written.
BOOL SetBasicSettingPreferenceReg(UiSystem& system, std::u16string_view printerName);
BOOL SetBarcodePreferenceReg(UiSystem& system, std::u16string_view printerName);
// Print processor, attributes exactly raw-only, version values 1.0.0.0.
// The result is that of the level-2 read.
BOOL SetDriverBasicInfo(UiSystem& system, std::u16string_view printerName);
// Attributes changed: adds raw-only when the new attributes lack it.
BOOL SetRawDataPrintJob(UiSystem& system, std::u16string_view printerName,
                        const PRINTER_EVENT_ATTRIBUTES_INFO* info);

}  // namespace lt77::ui
