// The state one opened property sheet shares between its pages, and the
// system services the page logic reaches through it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/settings.h"
#include "platform/oem/abi_types.h"

namespace lt77 {
class Spooler;
class PrinterSetup;
class FormStore;
class Profile;
class CodePages;
class FileSystem;
class UiLanguage;
class Shell;
}  // namespace lt77

namespace lt77::ui {

inline constexpr std::size_t kCommandBufferSize = 256;
inline constexpr std::size_t kUiBarcodeInfoSize = 45;  // nine 1D entries of 5 bytes
inline constexpr std::size_t kUiBarcodeEntries = 9;
inline constexpr std::size_t kUiCodeDataSize = 160;     // eight 2D entries of 20 bytes
inline constexpr std::size_t kUi2dEntries = 8;
inline constexpr const char16_t* kPaperSuffix = u"[LT77]";

// What the UI logic takes from the system. Tests build one over their own
// stores; the plug-in uses SystemUi().
struct UiSystem {
    Spooler& spooler;
    PrinterSetup& setup;
    FormStore& forms;
    Profile& profile;
    CodePages& codePages;
    FileSystem& files;
    UiLanguage& language;
    Shell& shell;
    // The system's major version number (6 and above: elevated starts and
    // the thread UI-language calls).
    DWORD osMajorVersion = 6;
};

UiSystem& SystemUi();

using BarcodeInfoBytes = std::array<uint8_t, kUiBarcodeInfoSize>;
using CodeDataBytes = std::array<uint8_t, kUiCodeDataSize>;

// One per opened sheet, from initialisation to the destroy reason.
struct PageContext {
    std::array<uint8_t, kSettingsCount> byteValue{};
    std::array<uint8_t, kCommandBufferSize> byStartDoc{}, byStartPage{}, byEndPage{}, byEndDoc{};
    DWORD dwMiscSize = 0;
    DWORD dwStartDoc = 0, dwStartPage = 0, dwEndPage = 0, dwEndDoc = 0;
    // 0 when "MISC" was read at the last page opening, else the system
    // error: the defaults are in use.
    DWORD dwMiscReadResult = 0;

    // Barcode page: the selected fonts and the types shown for them, held
    // apart from the entries until another font is chosen or on Apply.
    int iCur2dFont = 0, iCur2dType = 0, iCur1dFont = 0, iCur1dType = 0;
    std::unique_ptr<CodeDataBytes> pCodeData;        // document sheet only
    std::unique_ptr<BarcodeInfoBytes> pBarcodeInfo;  // document sheet only

    std::u16string paperSuffix = kPaperSuffix;
    std::u16string printerName;
    HANDLE hPrinter = nullptr;
    HANDLE hHeap = nullptr;
    // The system UI language captured when the sheet was initialised.
    WORD uiLanguage = 0;
    UiSystem* system = nullptr;

    UiSystem& Sys() const { return *system; }
};

// Page opening: reads "MISC" into the context again; when that fails the
// defaults (with the installation file's overlay) are filled in, not written.
// Returns the read's result, also kept in dwMiscReadResult.
DWORD ReloadSettings(PageContext& context);

// Writes the context's 44 settings bytes as "MISC" (retried once on a fresh
// handle). Returns 0 or the system error.
DWORD WriteSettings(PageContext& context);

}  // namespace lt77::ui
