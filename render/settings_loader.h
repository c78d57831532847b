// Loading the settings record at enable, the core options the plug-in asks
// for, and writing printer data back.
#pragma once

#include <span>
#include <string_view>

#include "common/printer_data_names.h"
#include "platform/oem/com.h"
#include "platform/platform.h"
#include "render/device_record.h"

namespace lt77 {

// "MISC", with the defaults and the installation file when it is missing,
// then the trace of all 44 values.
void LoadSettingsValues(OemPDEV& pdev, HANDLE hPrinter);
// "BarcodeInfo", "CodeData" and the four user command strings.
void LoadBarcodeTablesAndCommands(OemPDEV& pdev, HANDLE hPrinter);

int IsReceiptPrintSelected(IPrintOemDriverUni* core, PDEVOBJ pdevobj);
bool IsLandscapeMode(IPrintOemDriverUni* core, PDEVOBJ pdevobj);

// 0 on success or when the queue cannot be opened; E_FAIL when the write fails.
HRESULT SetPrinterDataToReg(const OemPDEV& pdev, std::string_view valueName, DWORD type,
                            std::span<const uint8_t> data);

}  // namespace lt77
