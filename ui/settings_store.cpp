#include "ui/settings_store.h"

#include <algorithm>
#include <cstring>

#include "common/command_notation.h"
#include "common/driver_paths.h"
#include "common/installation_file.h"
#include "common/printer_data_names.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/spooler.h"
#include "ui/language_choice.h"

namespace lt77::ui {

DWORD GetPrinterDataFromReg(UiSystem& system, HANDLE printer, std::string_view value, DWORD* type,
                            std::span<uint8_t> buffer, DWORD* needed)
{
    PrinterDataValue read;
    DWORD result = system.spooler.GetData(printer, kPropertiesKey, value, static_cast<DWORD>(buffer.size()), read);
    if (result == syserr::kMoreData && needed != nullptr) {
        // The caller's buffer is too small; say how much the value takes.
        PrinterDataValue whole;
        if (system.spooler.GetData(printer, kPropertiesKey, value, 1u << 20, whole) == 0)
            *needed = static_cast<DWORD>(whole.bytes.size());
        return result;
    }
    if (result != 0) return result;
    std::copy(read.bytes.begin(), read.bytes.end(), buffer.begin());
    if (type != nullptr) *type = read.type;
    if (needed != nullptr) *needed = static_cast<DWORD>(read.bytes.size());
    return 0;
}

DWORD SetPrinterDataToReg(UiSystem& system, HANDLE printer, std::string_view value, DWORD type,
                          std::span<const uint8_t> data, const PageContext* context)
{
    DWORD result = system.spooler.SetData(printer, kPropertiesKey, value, type, data);
    if (result == 0 || context == nullptr) return result;
    // The sheet's handle may lack the rights to write; a handle of our own
    // opened with full access usually has them.
    DWORD openError = 0;
    auto fresh = system.spooler.OpenQueue(context->printerName, PRINTER_ALL_ACCESS_RIGHTS, openError);
    if (!fresh) return result;
    return system.spooler.SetData(fresh->Native(), kPropertiesKey, value, type, data);
}

BOOL SetPrinterInfo2(UiSystem& system, HANDLE printer, const PrinterLevel2& info, const PageContext* context)
{
    if (system.setup.SetLevel2(printer, info) == 0) return kBoolTrue;
    if (context == nullptr) return kBoolFalse;
    DWORD openError = 0;
    auto fresh = system.spooler.OpenQueue(context->printerName, PRINTER_ALL_ACCESS_RIGHTS, openError);
    if (!fresh) return kBoolFalse;
    return system.setup.SetLevel2(fresh->Native(), info) == 0 ? kBoolTrue : kBoolFalse;
}

std::array<uint8_t, kSettingsCount> UiDefaultSettings()
{
    std::array<uint8_t, kSettingsCount> v{};
    for (std::size_t i : {IDX_DRAWER1_AFTER_PULSE, IDX_DRAWER2_AFTER_PULSE, IDX_DRAWER1_BEFORE_PULSE,
                          IDX_DRAWER2_BEFORE_PULSE, IDX_BUZZER_START_VALUE, IDX_BUZZER_END_VALUE})
        v[i] = 25;
    v[IDX_CUT_MODE] = 1;
    v[IDX_JOURNAL_COPIES] = 1;
    v[IDX_STORED_IMAGE_FORM] = 1;
    v[IDX_BRIGHTNESS] = 10;
    v[IDX_COMPRESSION] = 1;
    return v;
}

BarcodeInfoBytes UiDefaultBarcodeInfo()
{
    BarcodeInfoBytes table{};
    for (std::size_t i = 0; i < kUiBarcodeEntries; ++i) {
        table[i * 5] = static_cast<uint8_t>(i);
        table[i * 5 + 1] = 3;
        table[i * 5 + 2] = 50;
    }
    return table;
}

CodeDataBytes UiDefaultCodeData()
{
    static constexpr uint8_t kTail[11] = {0, 3, 0, 3, 0, 0, 1, 3, 0, 0, 3};
    CodeDataBytes table{};
    for (std::size_t k = 0; k < kUi2dEntries; ++k) {
        table[k * 20] = static_cast<uint8_t>(k % 3);
        std::copy(std::begin(kTail), std::end(kTail), table.begin() + static_cast<std::ptrdiff_t>(k * 20 + 1));
    }
    return table;
}

InstallationFile::InstallationFile(UiSystem& system)
    : system_(system), path_(InstallationFilePath(system.files.WindowsFolder()))
{
    exists_ = system_.files.ReadWhole(path_).has_value();
}

std::optional<std::u16string> InstallationFile::Value(std::string_view key) const
{
    if (!exists_) return std::nullopt;
    DWORD error = 0;
    return ReadInstallationValue(system_.profile, path_, key, kInstallValueMaxChars, error);
}

std::optional<std::vector<uint8_t>> InstallationFile::Command(std::string_view key) const
{
    auto text = Value(key);
    if (!text) return std::nullopt;
    return DecodeCommandNotation(system_.codePages.FromWide(CP_SYSTEM_ANSI, *text));
}

namespace {

void OverlayPreferences(const InstallationFile& ini, std::span<uint8_t, kSettingsCount> bytes)
{
    if (!ini.Exists()) return;
    for (int n = 0; n < static_cast<int>(kSettingsCount); ++n)
        if (auto text = ini.Value(PreferenceKey(n)))
            bytes[static_cast<std::size_t>(n)] = static_cast<uint8_t>(DecimalTextToInt(*text) & 0xFF);
}

std::unique_ptr<QueueHandle> OpenFull(UiSystem& system, std::u16string_view printerName)
{
    DWORD error = 0;
    return system.spooler.OpenQueue(printerName, PRINTER_ALL_ACCESS_RIGHTS, error);
}

}  // namespace

void GetBasicSettingPreference(PageContext& context)
{
    context.byteValue = UiDefaultSettings();
    OverlayPreferences(InstallationFile(context.Sys()), context.byteValue);
}

BOOL SetBasicSettingPreferenceReg(UiSystem& system, std::u16string_view printerName)
{
    const InstallationFile ini(system);
    if (!ini.Exists()) return kBoolTrue;
    std::array<uint8_t, kSettingsCount> bytes{};
    OverlayPreferences(ini, bytes);
    bytes[IDX_UI_LANGUAGE] = LanguageIndexOf(GetUILanguage(system));
    auto printer = OpenFull(system, printerName);
    if (!printer) return kBoolFalse;
    SetPrinterDataToReg(system, printer->Native(), kMiscValue, REG_BINARY_TYPE, bytes, nullptr);
    static constexpr std::pair<const char*, const char*> kCommands[] = {
        {kStartDocumentCmdKey, kStartDocValue},
        {kStartPageCmdKey, kStartPageValue},
        {kEndPageCmdKey, kEndPageValue},
        {kEndDocumentCmdKey, kEndDocValue},
    };
    for (const auto& [key, value] : kCommands)
        if (auto decoded = ini.Command(key))
            SetPrinterDataToReg(system, printer->Native(), value, REG_BINARY_TYPE, *decoded, nullptr);
    return kBoolTrue;
}

BOOL SetBarcodePreferenceReg(UiSystem& system, std::u16string_view printerName)
{
    const InstallationFile ini(system);
    if (!ini.Exists()) return kBoolTrue;
    BarcodeInfoBytes info = UiDefaultBarcodeInfo();
    CodeDataBytes codes = UiDefaultCodeData();
    // Keys shorter than a whole entry in notation (5 bytes: 12 characters,
    // 20 bytes: 42) are typing slips; the default entry stays.
    const auto take = [&](const std::string& key, std::size_t minChars, uint8_t* entry, std::size_t size) {
        auto text = ini.Value(key);
        if (!text || text->size() < minChars) return;
        std::vector<uint8_t> decoded = DecodeCommandNotation(system.codePages.FromWide(CP_SYSTEM_ANSI, *text));
        decoded.resize(std::max(decoded.size(), size), 0);
        std::memcpy(entry, decoded.data(), size);
    };
    for (int i = 0; i < static_cast<int>(kUiBarcodeEntries); ++i)
        take(Barcode1dKey(i + 1), 12, &info[static_cast<std::size_t>(i) * 5], 5);
    for (int i = 0; i < static_cast<int>(kUi2dEntries); ++i)
        take(Barcode2dKey(i + 1), 42, &codes[static_cast<std::size_t>(i) * 20], 20);
    auto printer = OpenFull(system, printerName);
    if (!printer) return kBoolFalse;
    SetPrinterDataToReg(system, printer->Native(), kBarcodeInfoValue, REG_BINARY_TYPE, info, nullptr);
    SetPrinterDataToReg(system, printer->Native(), kCodeDataValue, REG_BINARY_TYPE, codes, nullptr);
    return kBoolTrue;
}

BOOL SetDriverBasicInfo(UiSystem& system, std::u16string_view printerName)
{
    auto printer = OpenFull(system, printerName);
    if (!printer) return kBoolFalse;
    PrinterLevel2 info;
    const bool read = system.setup.GetLevel2(printer->Native(), info) == 0;
    if (read) {
        info.printProcessor = kPrintProcessorName;
        info.attributes = kRawOnlyAttribute;
        info.devMode.reset();
        system.setup.SetLevel2(printer->Native(), info);
    }
    static constexpr std::pair<const char*, uint32_t> kVersions[] = {
        {"MajorVersion", 1}, {"MinorVersion", 0}, {"BuildVersion", 0}, {"ExtraVersion", 0}};
    for (const auto& [name, number] : kVersions) {
        const uint8_t bytes[4] = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                                  static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
        SetPrinterDataToReg(system, printer->Native(), name, REG_DWORD_TYPE, bytes, nullptr);
    }
    return read ? kBoolTrue : kBoolFalse;
}

BOOL SetRawDataPrintJob(UiSystem& system, std::u16string_view printerName, const PRINTER_EVENT_ATTRIBUTES_INFO* change)
{
    auto printer = OpenFull(system, printerName);
    if (!printer || change == nullptr) return kBoolFalse;
    if ((change->dwNewAttributes & kRawOnlyAttribute) != 0) return kBoolTrue;
    PrinterLevel2 info;
    if (system.setup.GetLevel2(printer->Native(), info) != 0) return kBoolFalse;
    info.attributes |= kRawOnlyAttribute;
    info.printProcessor = kPrintProcessorName;
    info.devMode.reset();
    return system.setup.SetLevel2(printer->Native(), info) == 0 ? kBoolTrue : kBoolFalse;
}

}  // namespace lt77::ui
