// Our own declarations of the driver-core and engine records (platform/oem)
// against the system's, field by field. Compiled for Windows only, where
// mingw-w64 has the system headers; it produces no code.
#include <cstddef>

#include "platform/engine.h"
#include "platform/monitor/monitor_abi.h"
#include "platform/oem/ddi.h"
#include "platform/oem/drv_hooks.h"
#include "platform/serial_port.h"
#include "platform/win32/engine_functions.h"

// The system headers define these names as macros, so our values are taken
// before they are included.
namespace {
constexpr auto kOurStypeBitmap = lt77::STYPE_BITMAP;
constexpr auto kOurStypeDevice = lt77::STYPE_DEVICE;
constexpr auto kOurStypeDevBitmap = lt77::STYPE_DEVBITMAP;
constexpr auto kOurBmf1Bpp = lt77::BMF_1BPP;
constexpr auto kOurBmf8Bpp = lt77::BMF_8BPP;
constexpr auto kOurBmf24Bpp = lt77::BMF_24BPP;
constexpr auto kOurPortrait = lt77::DMORIENT_PORTRAIT;
constexpr auto kOurLandscape = lt77::DMORIENT_LANDSCAPE;
#define LT77_OUR_INDEX(name) constexpr auto kOurIndex##name = lt77::INDEX_Drv##name;
LT77_DRV_HOOKED_FUNCTIONS(LT77_OUR_INDEX)
#undef LT77_OUR_INDEX
namespace mon = lt77::mon;
constexpr auto kOurPortOffline = mon::PORT_STATUS_OFFLINE;
constexpr auto kOurPortPaperOut = mon::PORT_STATUS_PAPER_OUT;
constexpr auto kOurPortDoorOpen = mon::PORT_STATUS_DOOR_OPEN;
constexpr auto kOurPortUserIntervention = mon::PORT_STATUS_USER_INTERVENTION;
constexpr auto kOurPortTypeError = mon::PORT_STATUS_TYPE_ERROR;
constexpr auto kOurPortTypeWarning = mon::PORT_STATUS_TYPE_WARNING;
constexpr auto kOurPortTypeInfo = mon::PORT_STATUS_TYPE_INFO;
constexpr auto kOurJobControlDelete = mon::JOB_CONTROL_DELETE;
constexpr auto kOurJobControlLastPageEjected = mon::JOB_CONTROL_LAST_PAGE_EJECTED;
constexpr auto kOurJobStatusError = mon::JOB_STATUS_ERROR;
constexpr auto kOurJobStatusDeleting = mon::JOB_STATUS_DELETING;
constexpr auto kOurJobStatusRestart = mon::JOB_STATUS_RESTART;
constexpr auto kOurAttributeWorkOffline = mon::PRINTER_ATTRIBUTE_WORK_OFFLINE;
constexpr auto kOurAttributeEnableBidi = mon::PRINTER_ATTRIBUTE_ENABLE_BIDI;
constexpr auto kOurAttributeRawOnly = mon::PRINTER_ATTRIBUTE_RAW_ONLY;
constexpr auto kOurPrinterAccessUse = mon::PRINTER_ACCESS_USE_RIGHTS;
constexpr auto kOurParQueryInformation = mon::IOCTL_PAR_QUERY_INFORMATION;
constexpr auto kOurParQueryDeviceId = mon::IOCTL_PAR_QUERY_DEVICE_ID;
constexpr auto kOurParallelOffLine = mon::PARALLEL_OFF_LINE;
constexpr auto kOurParallelPowerOff = mon::PARALLEL_POWER_OFF;
constexpr auto kOurCtsOn = lt77::MS_CTS_ON;
}  // namespace

#include <windows.h>
#include <winddi.h>
#include <winspool.h>
#include <winsplp.h>
#include <winioctl.h>
#include <ntddpar.h>

#define LT77_SAME_SIZE(ours, theirs) \
    static_assert(sizeof(lt77::ours) == sizeof(::theirs), #ours " differs in size from the system's " #theirs)
#define LT77_SAME_OFFSET(ours, theirs, field)                              \
    static_assert(offsetof(lt77::ours, field) == offsetof(::theirs, field), \
                  #ours "::" #field " is not where the system's " #theirs " has it")

LT77_SAME_SIZE(POINTL, POINTL);
LT77_SAME_OFFSET(POINTL, POINTL, y);
LT77_SAME_SIZE(SIZEL, SIZEL);
LT77_SAME_SIZE(RECTL, RECTL);
LT77_SAME_OFFSET(RECTL, RECTL, top);
LT77_SAME_OFFSET(RECTL, RECTL, right);
LT77_SAME_OFFSET(RECTL, RECTL, bottom);

LT77_SAME_SIZE(DEVMODEW, DEVMODEW);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmSpecVersion);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmSize);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmDriverExtra);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmFields);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmOrientation);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmPaperSize);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmPaperLength);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmPaperWidth);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmScale);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmCopies);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmDefaultSource);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmPrintQuality);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmColor);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmDuplex);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmYResolution);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmTTOption);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmCollate);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmFormName);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmLogPixels);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmBitsPerPel);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmPelsWidth);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmPelsHeight);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmNup);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmDisplayFrequency);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmICMMethod);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmMediaType);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmDitherType);
LT77_SAME_OFFSET(DEVMODEW, DEVMODEW, dmPanningHeight);

LT77_SAME_SIZE(LOGFONTW, LOGFONTW);
LT77_SAME_OFFSET(LOGFONTW, LOGFONTW, lfWeight);
LT77_SAME_OFFSET(LOGFONTW, LOGFONTW, lfItalic);
LT77_SAME_OFFSET(LOGFONTW, LOGFONTW, lfCharSet);
LT77_SAME_OFFSET(LOGFONTW, LOGFONTW, lfPitchAndFamily);
LT77_SAME_OFFSET(LOGFONTW, LOGFONTW, lfFaceName);

LT77_SAME_SIZE(BITMAPINFOHEADER, BITMAPINFOHEADER);
LT77_SAME_OFFSET(BITMAPINFOHEADER, BITMAPINFOHEADER, biWidth);
LT77_SAME_OFFSET(BITMAPINFOHEADER, BITMAPINFOHEADER, biHeight);
LT77_SAME_OFFSET(BITMAPINFOHEADER, BITMAPINFOHEADER, biPlanes);
LT77_SAME_OFFSET(BITMAPINFOHEADER, BITMAPINFOHEADER, biBitCount);
LT77_SAME_OFFSET(BITMAPINFOHEADER, BITMAPINFOHEADER, biCompression);
LT77_SAME_OFFSET(BITMAPINFOHEADER, BITMAPINFOHEADER, biSizeImage);
LT77_SAME_OFFSET(BITMAPINFOHEADER, BITMAPINFOHEADER, biXPelsPerMeter);
LT77_SAME_OFFSET(BITMAPINFOHEADER, BITMAPINFOHEADER, biClrUsed);
LT77_SAME_OFFSET(BITMAPINFOHEADER, BITMAPINFOHEADER, biClrImportant);

LT77_SAME_SIZE(DRVFN, DRVFN);
LT77_SAME_OFFSET(DRVFN, DRVFN, iFunc);
LT77_SAME_OFFSET(DRVFN, DRVFN, pfn);
LT77_SAME_SIZE(DRVENABLEDATA, DRVENABLEDATA);
LT77_SAME_OFFSET(DRVENABLEDATA, DRVENABLEDATA, c);
LT77_SAME_OFFSET(DRVENABLEDATA, DRVENABLEDATA, pdrvfn);

LT77_SAME_SIZE(DEVINFO, DEVINFO);
LT77_SAME_OFFSET(DEVINFO, DEVINFO, lfDefaultFont);
LT77_SAME_OFFSET(DEVINFO, DEVINFO, lfAnsiVarFont);
LT77_SAME_OFFSET(DEVINFO, DEVINFO, lfAnsiFixFont);
LT77_SAME_OFFSET(DEVINFO, DEVINFO, cFonts);
LT77_SAME_OFFSET(DEVINFO, DEVINFO, iDitherFormat);
LT77_SAME_OFFSET(DEVINFO, DEVINFO, cxDither);
LT77_SAME_OFFSET(DEVINFO, DEVINFO, cyDither);
LT77_SAME_OFFSET(DEVINFO, DEVINFO, hpalDefault);
LT77_SAME_OFFSET(DEVINFO, DEVINFO, flGraphicsCaps2);

LT77_SAME_SIZE(SURFOBJ, SURFOBJ);
LT77_SAME_OFFSET(SURFOBJ, SURFOBJ, hsurf);
LT77_SAME_OFFSET(SURFOBJ, SURFOBJ, dhpdev);
LT77_SAME_OFFSET(SURFOBJ, SURFOBJ, hdev);
LT77_SAME_OFFSET(SURFOBJ, SURFOBJ, sizlBitmap);
LT77_SAME_OFFSET(SURFOBJ, SURFOBJ, cjBits);
LT77_SAME_OFFSET(SURFOBJ, SURFOBJ, pvBits);
LT77_SAME_OFFSET(SURFOBJ, SURFOBJ, pvScan0);
LT77_SAME_OFFSET(SURFOBJ, SURFOBJ, lDelta);
LT77_SAME_OFFSET(SURFOBJ, SURFOBJ, iUniq);
LT77_SAME_OFFSET(SURFOBJ, SURFOBJ, iBitmapFormat);
LT77_SAME_OFFSET(SURFOBJ, SURFOBJ, iType);
LT77_SAME_OFFSET(SURFOBJ, SURFOBJ, fjBitmap);

LT77_SAME_SIZE(PaletteEntry, PALETTEENTRY);
static_assert(offsetof(lt77::PaletteEntry, red) == offsetof(::PALETTEENTRY, peRed));
static_assert(offsetof(lt77::PaletteEntry, green) == offsetof(::PALETTEENTRY, peGreen));
static_assert(offsetof(lt77::PaletteEntry, blue) == offsetof(::PALETTEENTRY, peBlue));
static_assert(offsetof(lt77::PaletteEntry, flags) == offsetof(::PALETTEENTRY, peFlags));

// The plug-in reads only the head of GDIINFO; its fields must sit where the
// full record has them.
LT77_SAME_OFFSET(GDIINFO_HEAD, GDIINFO, ulTechnology);
LT77_SAME_OFFSET(GDIINFO_HEAD, GDIINFO, ulHorzRes);
LT77_SAME_OFFSET(GDIINFO_HEAD, GDIINFO, ulVertRes);
LT77_SAME_OFFSET(GDIINFO_HEAD, GDIINFO, cBitsPixel);
static_assert(sizeof(lt77::GDIINFO_HEAD) <= sizeof(::GDIINFO));

// Engine constants our code spells itself.
#define LT77_SAME_VALUE(ours, theirs) static_assert(ours == theirs, #theirs ": our value differs from the system's")
LT77_SAME_VALUE(kOurStypeBitmap, STYPE_BITMAP);
LT77_SAME_VALUE(kOurStypeDevice, STYPE_DEVICE);
LT77_SAME_VALUE(kOurStypeDevBitmap, STYPE_DEVBITMAP);
LT77_SAME_VALUE(kOurBmf1Bpp, BMF_1BPP);
LT77_SAME_VALUE(kOurBmf8Bpp, BMF_8BPP);
LT77_SAME_VALUE(kOurBmf24Bpp, BMF_24BPP);
LT77_SAME_VALUE(kOurPortrait, DMORIENT_PORTRAIT);
LT77_SAME_VALUE(kOurLandscape, DMORIENT_LANDSCAPE);
// Every hooked function under the index the engine calls it by.
#define LT77_SAME_INDEX(name) LT77_SAME_VALUE(kOurIndex##name, INDEX_Drv##name);
LT77_DRV_HOOKED_FUNCTIONS(LT77_SAME_INDEX)
#undef LT77_SAME_INDEX
LT77_SAME_VALUE(lt77::win32::ENG_PAL_INDEXED, PAL_INDEXED);
LT77_SAME_VALUE(lt77::win32::ENG_PAL_BGR, PAL_BGR);

// The monitor's records. MONITOR2 is checked field by field rather than by
// size: mingw's table goes on past ours with the entries of later systems.
LT77_SAME_SIZE(mon::COMMTIMEOUTS, COMMTIMEOUTS);
LT77_SAME_OFFSET(mon::COMMTIMEOUTS, COMMTIMEOUTS, ReadTotalTimeoutMultiplier);
LT77_SAME_OFFSET(mon::COMMTIMEOUTS, COMMTIMEOUTS, ReadTotalTimeoutConstant);
LT77_SAME_OFFSET(mon::COMMTIMEOUTS, COMMTIMEOUTS, WriteTotalTimeoutMultiplier);
LT77_SAME_OFFSET(mon::COMMTIMEOUTS, COMMTIMEOUTS, WriteTotalTimeoutConstant);

LT77_SAME_SIZE(mon::FILETIME, FILETIME);
LT77_SAME_OFFSET(mon::FILETIME, FILETIME, dwHighDateTime);

LT77_SAME_SIZE(mon::MONITORREG, MONITORREG);
LT77_SAME_OFFSET(mon::MONITORREG, MONITORREG, fpCreateKey);
LT77_SAME_OFFSET(mon::MONITORREG, MONITORREG, fpOpenKey);
LT77_SAME_OFFSET(mon::MONITORREG, MONITORREG, fpCloseKey);
LT77_SAME_OFFSET(mon::MONITORREG, MONITORREG, fpDeleteKey);
LT77_SAME_OFFSET(mon::MONITORREG, MONITORREG, fpEnumKey);
LT77_SAME_OFFSET(mon::MONITORREG, MONITORREG, fpQueryInfoKey);
LT77_SAME_OFFSET(mon::MONITORREG, MONITORREG, fpSetValue);
LT77_SAME_OFFSET(mon::MONITORREG, MONITORREG, fpDeleteValue);
LT77_SAME_OFFSET(mon::MONITORREG, MONITORREG, fpEnumValue);
LT77_SAME_OFFSET(mon::MONITORREG, MONITORREG, fpQueryValue);

LT77_SAME_SIZE(mon::MONITORINIT, MONITORINIT);
LT77_SAME_OFFSET(mon::MONITORINIT, MONITORINIT, hSpooler);
LT77_SAME_OFFSET(mon::MONITORINIT, MONITORINIT, hckRegistryRoot);
LT77_SAME_OFFSET(mon::MONITORINIT, MONITORINIT, pMonitorReg);
LT77_SAME_OFFSET(mon::MONITORINIT, MONITORINIT, bLocal);
LT77_SAME_OFFSET(mon::MONITORINIT, MONITORINIT, pszServerName);

LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnEnumPorts);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnOpenPort);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnOpenPortEx);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnStartDocPort);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnWritePort);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnReadPort);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnEndDocPort);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnClosePort);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnAddPort);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnAddPortEx);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnConfigurePort);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnDeletePort);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnGetPrinterDataFromPort);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnSetPortTimeOuts);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnXcvOpenPort);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnXcvDataPort);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnXcvClosePort);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnShutdown);
LT77_SAME_OFFSET(mon::MONITOR2, MONITOR2, pfnSendRecvBidiDataFromPort);
static_assert(sizeof(lt77::mon::MONITOR2) == offsetof(::MONITOR2, pfnSendRecvBidiDataFromPort) + sizeof(void*),
              "MONITOR2 must end with the bidirectional entry");

LT77_SAME_SIZE(mon::PORT_INFO_3W, PORT_INFO_3W);
LT77_SAME_OFFSET(mon::PORT_INFO_3W, PORT_INFO_3W, pszStatus);
LT77_SAME_OFFSET(mon::PORT_INFO_3W, PORT_INFO_3W, dwSeverity);

LT77_SAME_SIZE(mon::DOC_INFO_1W, DOC_INFO_1W);
LT77_SAME_OFFSET(mon::DOC_INFO_1W, DOC_INFO_1W, pOutputFile);
LT77_SAME_OFFSET(mon::DOC_INFO_1W, DOC_INFO_1W, pDatatype);

LT77_SAME_VALUE(kOurPortOffline, PORT_STATUS_OFFLINE);
LT77_SAME_VALUE(kOurPortPaperOut, PORT_STATUS_PAPER_OUT);
LT77_SAME_VALUE(kOurPortDoorOpen, PORT_STATUS_DOOR_OPEN);
LT77_SAME_VALUE(kOurPortUserIntervention, PORT_STATUS_USER_INTERVENTION);
LT77_SAME_VALUE(kOurPortTypeError, PORT_STATUS_TYPE_ERROR);
LT77_SAME_VALUE(kOurPortTypeWarning, PORT_STATUS_TYPE_WARNING);
LT77_SAME_VALUE(kOurPortTypeInfo, PORT_STATUS_TYPE_INFO);
LT77_SAME_VALUE(kOurJobControlDelete, JOB_CONTROL_DELETE);
LT77_SAME_VALUE(kOurJobControlLastPageEjected, JOB_CONTROL_LAST_PAGE_EJECTED);
LT77_SAME_VALUE(kOurJobStatusError, JOB_STATUS_ERROR);
LT77_SAME_VALUE(kOurJobStatusDeleting, JOB_STATUS_DELETING);
LT77_SAME_VALUE(kOurJobStatusRestart, JOB_STATUS_RESTART);
LT77_SAME_VALUE(kOurAttributeWorkOffline, PRINTER_ATTRIBUTE_WORK_OFFLINE);
LT77_SAME_VALUE(kOurAttributeEnableBidi, PRINTER_ATTRIBUTE_ENABLE_BIDI);
LT77_SAME_VALUE(kOurAttributeRawOnly, PRINTER_ATTRIBUTE_RAW_ONLY);
LT77_SAME_VALUE(kOurPrinterAccessUse, PRINTER_ACCESS_USE);
LT77_SAME_VALUE(kOurParQueryInformation, IOCTL_PAR_QUERY_INFORMATION);
LT77_SAME_VALUE(kOurParQueryDeviceId, IOCTL_PAR_QUERY_DEVICE_ID);
LT77_SAME_VALUE(kOurParallelOffLine, PARALLEL_OFF_LINE);
LT77_SAME_VALUE(kOurParallelPowerOff, PARALLEL_POWER_OFF);
LT77_SAME_VALUE(kOurCtsOn, MS_CTS_ON);
