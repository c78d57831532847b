// The driver core's UI plug-in interface (IPrintOemUI), its parameter blocks
// and the common property-sheet records, declared in slot and field order.
// The system's headers for the cross compiler lack them; the layouts are the
// x86_64 ones and are checked below (and against the system's own property
// sheet headers in the Windows build).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/oem/abi_types.h"
#include "platform/oem/com.h"
#include "platform/oem/ddi.h"

namespace lt77 {

using UINT = uint32_t;
using LPARAM = intptr_t;
using WPARAM = uintptr_t;
using LONG_PTR = intptr_t;
using INT_PTR = intptr_t;
using LRESULT = intptr_t;
using HWND = void*;
using HINSTANCE = void*;

// The dialog procedure of a page (DLGPROC).
using DialogProcedure = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// OPTITEM: one option item of the core's own pages. Only Flags is used.
struct OPTITEM {
    WORD cbSize;
    BYTE Level;
    BYTE DlgPageIdx;
    DWORD Flags;
    ULONG_PTR UserData;
    WCHAR* pName;
    LONG_PTR Sel;  // Sel or pSel
    PVOID pExtChkBox;
    PVOID pOptType;
    DWORD HelpIndex;
    BYTE DMPubID;
    BYTE UserItemID;
    WORD wReserved;
    PVOID pOIExt;
    ULONG_PTR dwReserved[3];
};
static_assert(offsetof(OPTITEM, Flags) == 4);
static_assert(offsetof(OPTITEM, HelpIndex) == 48);
static_assert(sizeof(OPTITEM) == 88);
inline constexpr DWORD OPTIF_HIDE = 0x2;

struct OEMUIOBJ {
    DWORD cbSize;
    PVOID pOemUIProcs;
};
static_assert(sizeof(OEMUIOBJ) == 16);

struct OEMCUIPPARAM {
    DWORD cbSize;
    OEMUIOBJ* poemuiobj;
    HANDLE hPrinter;
    WCHAR* pPrinterName;
    HANDLE hModule;
    HANDLE hOEMHeap;
    DEVMODEW* pPublicDM;
    PVOID pOEMDM;
    DWORD dwFlags;
    OPTITEM* pDrvOptItems;
    DWORD cDrvOptItems;
    OPTITEM* pOEMOptItems;
    DWORD cOEMOptItems;
    PVOID pOEMUserData;
    PVOID OEMCUIPCallback;
};
static_assert(offsetof(OEMCUIPPARAM, pDrvOptItems) == 72);
static_assert(offsetof(OEMCUIPPARAM, cDrvOptItems) == 80);
static_assert(offsetof(OEMCUIPPARAM, OEMCUIPCallback) == 112);
static_assert(sizeof(OEMCUIPPARAM) == 120);

struct OEMUIPSPARAM {
    DWORD cbSize;
    OEMUIOBJ* poemuiobj;
    HANDLE hPrinter;
    WCHAR* pPrinterName;
    HANDLE hModule;
    HANDLE hOEMHeap;
    DEVMODEW* pPublicDM;
    PVOID pOEMDM;
    PVOID pOEMUserData;
    DWORD dwFlags;
    PVOID pOemEntry;
};
static_assert(offsetof(OEMUIPSPARAM, hPrinter) == 16);
static_assert(offsetof(OEMUIPSPARAM, pPrinterName) == 24);
static_assert(offsetof(OEMUIPSPARAM, hOEMHeap) == 40);
static_assert(offsetof(OEMUIPSPARAM, dwFlags) == 72);
static_assert(sizeof(OEMUIPSPARAM) == 88);

// The add-page callback of the common property sheet (PFNCOMPROPSHEET).
using ComPropSheetFn = LONG_PTR (*)(HANDLE hComPropSheet, UINT function, LPARAM lParam1, LPARAM lParam2);

struct PROPSHEETUI_INFO {
    WORD cbSize;
    WORD Version;
    WORD Flags;
    WORD Reason;
    HANDLE hComPropSheet;
    ComPropSheetFn pfnComPropSheet;
    LPARAM lParamInit;  // an OEMUIPSPARAM*
    ULONG_PTR UserData;
    ULONG_PTR Result;
};
static_assert(offsetof(PROPSHEETUI_INFO, hComPropSheet) == 8);
static_assert(offsetof(PROPSHEETUI_INFO, lParamInit) == 24);
static_assert(offsetof(PROPSHEETUI_INFO, Result) == 40);
static_assert(sizeof(PROPSHEETUI_INFO) == 48);

struct PROPSHEETUI_INFO_HEADER {
    WORD cbSize;
    WORD Flags;
    WCHAR* pTitle;
    HWND hWndParent;
    HINSTANCE hInst;
    ULONG_PTR IconID;  // hIcon or IconID
};
static_assert(offsetof(PROPSHEETUI_INFO_HEADER, pTitle) == 8);
static_assert(sizeof(PROPSHEETUI_INFO_HEADER) == 40);

struct SETRESULT_INFO {
    WORD cbSize;
    WORD wReserved;
    HANDLE hSetResult;
    LRESULT Result;
};
static_assert(offsetof(SETRESULT_INFO, Result) == 16);
static_assert(sizeof(SETRESULT_INFO) == 24);

// PROPSHEETPAGEW in its first version, which every property sheet accepts.
struct PROPSHEETPAGEW_V1 {
    DWORD dwSize;
    DWORD dwFlags;
    HINSTANCE hInstance;
    const WCHAR* pszTemplate;  // or a resource pointer
    PVOID hIcon;
    const WCHAR* pszTitle;
    DialogProcedure pfnDlgProc;
    LPARAM lParam;
    PVOID pfnCallback;
    UINT* pcRefParent;
};
static_assert(offsetof(PROPSHEETPAGEW_V1, pszTemplate) == 16);
static_assert(offsetof(PROPSHEETPAGEW_V1, pfnDlgProc) == 40);
static_assert(offsetof(PROPSHEETPAGEW_V1, lParam) == 48);
static_assert(sizeof(PROPSHEETPAGEW_V1) == 72);

struct PRINTER_EVENT_ATTRIBUTES_INFO {
    DWORD cbSize;
    DWORD dwOldAttributes;
    DWORD dwNewAttributes;
};
static_assert(sizeof(PRINTER_EVENT_ATTRIBUTES_INFO) == 12);

struct DEVQUERYPRINT_INFO {
    WORD cbSize;
    WORD Level;
    HANDLE hPrinter;
    DEVMODEW* pDevMode;
    WCHAR* pszErrorStr;
    DWORD cchErrorStr;
    DWORD cchNeeded;
};
static_assert(sizeof(DEVQUERYPRINT_INFO) == 40);

// The core's services to a UI plug-in (IPrintOemDriverUI).
struct IPrintOemDriverUI : IUnknown {
    virtual HRESULT DrvGetDriverSetting(PVOID pci, const char* feature, PVOID pOutput, DWORD cbSize,
                                        DWORD* pcbNeeded, DWORD* pdwOptionsReturned) = 0;
    virtual HRESULT DrvUpgradeRegistrySetting(HANDLE hPrinter, const char* pFeature, const char* pOption) = 0;
    virtual HRESULT DrvUpdateUISetting(PVOID pci, PVOID pOptItem, DWORD dwPreviousSelection, DWORD dwMode) = 0;
};

// IPrintOemUI: IPrintOemCommon slots 3-4, then the UI slots.
struct IPrintOemUI : IUnknown {
    virtual HRESULT GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, DWORD* pcbNeeded) = 0;
    virtual HRESULT DevMode(DWORD dwMode, OEMDMPARAM* pOemDMParam) = 0;
    virtual HRESULT PublishDriverInterface(IUnknown* pIUnknown) = 0;
    virtual HRESULT CommonUIProp(DWORD dwMode, OEMCUIPPARAM* pOemCUIPParam) = 0;
    virtual HRESULT DocumentPropertySheets(PROPSHEETUI_INFO* pPSUIInfo, LPARAM lParam) = 0;
    virtual HRESULT DevicePropertySheets(PROPSHEETUI_INFO* pPSUIInfo, LPARAM lParam) = 0;
    virtual HRESULT DevQueryPrintEx(OEMUIOBJ* poemuiobj, DEVQUERYPRINT_INFO* pDQPInfo, DEVMODEW* pPublicDM,
                                    PVOID pOEMDM) = 0;
    virtual HRESULT DeviceCapabilities(OEMUIOBJ* poemuiobj, HANDLE hPrinter, WCHAR* pDeviceName, WORD wCapability,
                                       PVOID pOutput, DEVMODEW* pPublicDM, PVOID pOEMDM, DWORD dwOld,
                                       DWORD* dwResult) = 0;
    virtual HRESULT UpgradePrinter(DWORD dwLevel, BYTE* pDriverUpgradeInfo) = 0;
    virtual HRESULT PrinterEvent(WCHAR* pPrinterName, INT iDriverEvent, DWORD dwFlags, LPARAM lParam) = 0;
    virtual HRESULT DriverEvent(DWORD dwDriverEvent, DWORD dwLevel, BYTE* pDriverInfo, LPARAM lParam) = 0;
    virtual HRESULT QueryColorProfile(HANDLE hPrinter, OEMUIOBJ* poemuiobj, DEVMODEW* pPublicDM, PVOID pOEMDM,
                                      ULONG ulQueryMode, void* pvProfileData, ULONG* pcbProfileData,
                                      FLONG* pflProfileData) = 0;
    virtual HRESULT FontInstallerDlgProc(HWND hWnd, UINT usMsg, WPARAM wParam, LPARAM lParam) = 0;
    virtual HRESULT UpdateExternalFonts(HANDLE hPrinter, HANDLE hHeap, WCHAR* pwstrCartridges) = 0;
};

inline constexpr GUID CLSID_OEMUI = {
    0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
inline constexpr GUID IID_IPrintOemUI = {
    0xC6A7A9D0, 0x774C, 0x11D1, {0x94, 0x7F, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};
inline constexpr GUID IID_IPrintOemDriverUI = {
    0x92B05D50, 0x78BC, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};

inline constexpr DWORD OEMCUIP_DOCPROP = 1;
inline constexpr DWORD OEMCUIP_PRNPROP = 2;

inline constexpr INT PRINTER_EVENT_INITIALIZE = 3;
inline constexpr INT PRINTER_EVENT_ATTRIBUTES_CHANGED = 7;

inline constexpr ULONG QCP_DEVICEPROFILE = 0;
inline constexpr FLONG QCP_PROFILEDISK = 2;

inline constexpr WORD PROPSHEETUI_INFO_VERSION = 0x0100;
inline constexpr WORD PROPSHEETUI_REASON_INIT = 0;
inline constexpr WORD PROPSHEETUI_REASON_GET_INFO_HEADER = 1;
inline constexpr WORD PROPSHEETUI_REASON_DESTROY = 2;
inline constexpr WORD PROPSHEETUI_REASON_SET_RESULT = 3;
inline constexpr WORD PROPSHEETUI_REASON_GET_ICON = 4;

inline constexpr UINT CPSFUNC_ADD_PROPSHEETPAGEW = 1;

}  // namespace lt77
