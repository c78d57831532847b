#include "render/settings_loader.h"

#include <algorithm>
#include <cstring>

#include "common/installation_file.h"
#include "common/printer_data_names.h"

#include "render/core_services.h"
#include "render/module_state.h"
#include "render/trace.h"

namespace lt77 {
namespace {

struct UserCommandSlot {
    const char* valueName;
    uint8_t* bytes;
    uint32_t* length;
};

}  // namespace

void LoadSettingsValues(OemPDEV& pdev, HANDLE hPrinter)
{
    Platform& platform = PlatformOf(pdev);
    UIInfo& ui = pdev.m_UIInfo;
    PrinterDataValue misc;
    const DWORD error = platform.spooler.GetData(hPrinter, kPropertiesKey, kMiscValue, kSettingsCount, misc);
    if (error == 0) {
        // A value may be empty: nothing to copy, and no buffer to copy from.
        std::copy(misc.bytes.begin(), misc.bytes.end(), ui.byteValue);
        ui.dwMiscSize = static_cast<uint32_t>(misc.bytes.size());
        // A short value would leave the rest as zeros, which switches off
        // compression and darkens the page; the missing settings take their
        // defaults instead.
        if (misc.bytes.size() < kSettingsCount) {
            TraceLog("OEMEnablePDEV : MISC holds %u bytes; the others take their defaults.",
                     static_cast<unsigned>(misc.bytes.size()));
            const auto& defaults = DefaultSettings();
            for (std::size_t i = misc.bytes.size(); i < kSettingsCount; ++i) ui.byteValue[i] = defaults[i];
        }
    } else {
        TraceLog("OEMEnablePDEV : failed to get data from the windows registry. (MISC)");
        ui.dwMiscSize = 0;
        const auto& defaults = DefaultSettings();
        std::memcpy(ui.byteValue, defaults.data(), kSettingsCount);
        const std::string iniPath = InstallationFilePath(platform.files.WindowsFolder());
        if (platform.files.Exists(iniPath)) {
            for (int n = 0; n < static_cast<int>(kSettingsCount); ++n) {
                DWORD iniError = 0;
                const auto text = ReadInstallationValue(platform.profile, iniPath, PreferenceKey(n), 255, iniError);
                if (text) {
                    ui.byteValue[n] = static_cast<uint8_t>(DecimalTextToInt(*text) & 0xFF);
                    TraceLog("OEMEnablePDEV : m_UIInfo->byteValue[%d] = %d", n, ui.byteValue[n]);
                } else {
                    TraceLog("OEMEnablePDEV : PREFERENCE[%d], GetPrivateProfileString failed with %d", n,
                             static_cast<int>(iniError));
                }
            }
        }
    }
    for (int i = 0; i < static_cast<int>(kSettingsCount); ++i)
        TraceLog("OEMEnablePDEV : m_UIInfo->byteValue[%d] : %x", i, ui.byteValue[i]);
}

void LoadBarcodeTablesAndCommands(OemPDEV& pdev, HANDLE hPrinter)
{
    Spooler& spooler = PlatformOf(pdev).spooler;
    UIInfo& ui = pdev.m_UIInfo;
    PrinterDataValue value;
    if (spooler.GetData(hPrinter, kPropertiesKey, kBarcodeInfoValue, kBarcodeInfoSize, value) == 0) {
        std::memset(ui.BarcodeInfo, 0, kBarcodeInfoSize);
        std::copy(value.bytes.begin(), value.bytes.end(), ui.BarcodeInfo);
    } else {
        const auto table = DefaultBarcodeInfo();
        std::memcpy(ui.BarcodeInfo, table.data(), table.size());
        TraceLog("OEMEnablePDEV : failed to get data from the windows registry. (BarcodeInfo)");
    }
    value = {};
    if (spooler.GetData(hPrinter, kPropertiesKey, kCodeDataValue, kCodeDataSize, value) == 0) {
        std::memset(ui.CodeData, 0, kCodeDataSize);
        std::copy(value.bytes.begin(), value.bytes.end(), ui.CodeData);
    } else {
        const auto table = DefaultCodeData();
        std::memcpy(ui.CodeData, table.data(), table.size());
        TraceLog("OEMEnablePDEV : failed to get data from the windows registry. (CodeData)");
    }

    const UserCommandSlot slots[] = {
        {kStartDocValue, ui.byStartDoc, &ui.dwStartDoc},
        {kStartPageValue, ui.byStartPage, &ui.dwStartPage},
        {kEndPageValue, ui.byEndPage, &ui.dwEndPage},
        {kEndDocValue, ui.byEndDoc, &ui.dwEndDoc},
    };
    for (const auto& slot : slots) {
        value = {};
        if (spooler.GetData(hPrinter, kPropertiesKey, slot.valueName, kUserCommandMax, value) == 0) {
            std::copy(value.bytes.begin(), value.bytes.end(), slot.bytes);
            *slot.length = static_cast<uint32_t>(value.bytes.size());
        } else {
            *slot.length = 0;
            TraceLog("OEMEnablePDEV : failed to get data from the windows registry. (%s)", slot.valueName);
        }
    }
}

namespace {

bool AskOption(IPrintOemDriverUni* core, PDEVOBJ pdevobj, const char* feature, const char* prefix,
               std::string& answer)
{
    const DriverSettingAnswer a = GetDriverSetting(core, pdevobj, feature);
    if (!a.ok) {
        TraceLog("%s : DrvGetDriverSetting failed with (%d)", prefix, static_cast<int>(a.error));
        TraceLog("%s : dwNeeded = %d", prefix, static_cast<int>(a.needed));
        TraceLog("%s : dwOptionsReturned = %d", prefix, static_cast<int>(a.optionsReturned));
        return false;
    }
    TraceLog("%s : szDrvSetting = %s", prefix, a.text.c_str());
    answer = a.text;
    return true;
}

}  // namespace

int IsReceiptPrintSelected(IPrintOemDriverUni* core, PDEVOBJ pdevobj)
{
    std::string answer;
    if (!AskOption(core, pdevobj, "InputBin", "IsReceiptPrintSelected", answer)) return 0;
    if (answer.find("Option1") != std::string::npos) {
        TraceLog("IsReceiptPrintSelected : Option1 / RECEIPT");
        return 1;
    }
    if (answer.find("Option2") != std::string::npos) TraceLog("IsReceiptPrintSelected : Option2 / TICKET");
    return 0;
}

bool IsLandscapeMode(IPrintOemDriverUni* core, PDEVOBJ pdevobj)
{
    std::string answer;
    if (!AskOption(core, pdevobj, "Orientation", "IsLandscapeMode", answer)) return false;
    if (answer.find("LANDSCAPE_CC270") != std::string::npos) {
        TraceLog("IsLandscapeMode : LANDSCAPE_CC270");
        return true;
    }
    return false;
}

HRESULT SetPrinterDataToReg(const OemPDEV& pdev, std::string_view valueName, DWORD type,
                            std::span<const uint8_t> data)
{
    Spooler& spooler = PlatformOf(pdev).spooler;
    DWORD error = 0;
    auto queue = spooler.OpenQueue(pdev.szPrinterName, PRINTER_ALL_ACCESS_RIGHTS, error);
    if (!queue) {
        TraceLog("SetPrinterDataToReg : OpenPrinter failed with = %d", static_cast<int>(error));
        queue = spooler.OpenQueue(pdev.szPrinterName, PRINTER_READ_USE_RIGHTS, error);
        if (!queue) {
            TraceLog("SetPrinterDataToReg : OpenPrinter failed with = %d", static_cast<int>(error));
            return hr::kOk;
        }
    }
    const DWORD result = spooler.SetData(queue->Native(), kPropertiesKey, valueName, type, data);
    if (result != 0) {
        TraceLog("SetPrinterDataToReg : SetPrinterDataEx failed. with %d", static_cast<int>(result));
        return hr::kFail;
    }
    return hr::kOk;
}

}  // namespace lt77
