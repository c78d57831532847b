#pragma once

#include "platform/oem/com.h"
#include "render/device_record.h"

namespace lt77 {

// Creates and fills the device record of a device context, which keeps the
// platform for its work; null when no record could be allocated.
OemPDEV* OEMEnablePDEV(Platform& platform, PDEVOBJ pdevobj, const WCHAR* pPrinterName, ULONG cjGdiInfo,
                       const GDIINFO_HEAD* pGdiInfo, ULONG cjDevInfo, DEVINFO* pDevInfo,
                       const DRVENABLEDATA* pded);

void OEMDisablePDEV(PDEVOBJ pdevobj);

// The hook table handed to the core, kHookCount entries.
const DRVFN* HookTable();

}  // namespace lt77
