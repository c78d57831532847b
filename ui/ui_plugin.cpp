#include "ui/ui_plugin.h"

#include <algorithm>

#include "platform/system_error.h"
#include "ui/property_sheets.h"
#include "ui/settings_store.h"

namespace lt77::ui {

ModuleCounters& UiModule()
{
    static ModuleCounters counters;
    return counters;
}

UiPlugin::UiPlugin(ModuleCounters& counters, UiSystem& system) : counted_(counters), system_(system) {}
UiPlugin::UiPlugin(ModuleCounters& counters) : UiPlugin(counters, SystemUi()) {}

UiPlugin::~UiPlugin()
{
    if (driverUi_ != nullptr) driverUi_->Release();
}

HRESULT UiPlugin::QueryInterface(const GUID& riid, void** ppv)
{
    if (ppv == nullptr) return hr::kPointer;
    if (riid == IID_IUnknown || riid == IID_IPrintOemUI) {
        *ppv = static_cast<IPrintOemUI*>(this);
        AddRef();
        return hr::kOk;
    }
    *ppv = nullptr;
    return hr::kNoInterface;
}

ULONG UiPlugin::AddRef() { return static_cast<ULONG>(++refs_); }

ULONG UiPlugin::Release()
{
    const long left = --refs_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT UiPlugin::GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, DWORD* pcbNeeded)
{
    if (pcbNeeded == nullptr || (dwMode != 1 && dwMode != 3 && dwMode != 4)) {
        SetLastSystemError(syserr::kInvalidParameter);
        return hr::kFail;
    }
    *pcbNeeded = 4;
    if (pBuffer == nullptr || cbSize < 4) {
        SetLastSystemError(syserr::kInsufficientBuffer);
        return hr::kFail;
    }
    if (dwMode == 4) {
        *pcbNeeded = 0;
        SetLastSystemError(syserr::kNotSupported);
        return hr::kFail;
    }
    const DWORD value = dwMode == 1 ? kUiSignature : kUiVersion;
    std::copy_n(reinterpret_cast<const uint8_t*>(&value), 4, static_cast<uint8_t*>(pBuffer));
    return hr::kOk;
}

HRESULT UiPlugin::DevMode(DWORD, OEMDMPARAM*) { return hr::kNotImpl; }

HRESULT UiPlugin::PublishDriverInterface(IUnknown* pIUnknown)
{
    if (driverUi_ == nullptr && pIUnknown != nullptr) {
        void* found = nullptr;
        if (pIUnknown->QueryInterface(IID_IPrintOemDriverUI, &found) == hr::kOk)
            driverUi_ = static_cast<IPrintOemDriverUI*>(found);
    }
    return driverUi_ != nullptr ? hr::kOk : hr::kFail;
}

HRESULT UiPlugin::CommonUIProp(DWORD dwMode, OEMCUIPPARAM* param)
{
    if (param == nullptr || (dwMode != OEMCUIP_DOCPROP && dwMode != OEMCUIP_PRNPROP)) {
        SetLastSystemError(syserr::kInvalidParameter);
        return hr::kFail;
    }
    // The core's own pages show nothing; the plug-in's pages replace them.
    if (param->pDrvOptItems != nullptr)
        for (DWORD i = 0; i < param->cDrvOptItems; ++i) param->pDrvOptItems[i].Flags |= OPTIF_HIDE;
    return hr::kOk;
}

HRESULT UiPlugin::DocumentPropertySheets(PROPSHEETUI_INFO* pPSUIInfo, LPARAM lParam)
{
    return Guarded(nullptr, "DocumentPropertySheets", hr::kFail,
                   [&] { return hrOEMDocumentPropertySheets(system_, pPSUIInfo, lParam); });
}

HRESULT UiPlugin::DevicePropertySheets(PROPSHEETUI_INFO* pPSUIInfo, LPARAM lParam)
{
    return Guarded(nullptr, "DevicePropertySheets", hr::kFail,
                   [&] { return hrOEMDevicePropertySheets(system_, pPSUIInfo, lParam); });
}

HRESULT UiPlugin::DevQueryPrintEx(OEMUIOBJ*, DEVQUERYPRINT_INFO*, DEVMODEW*, PVOID) { return hr::kNotImpl; }

HRESULT UiPlugin::DeviceCapabilities(OEMUIOBJ*, HANDLE, WCHAR*, WORD, PVOID, DEVMODEW*, PVOID, DWORD, DWORD*)
{
    return hr::kNotImpl;
}

HRESULT UiPlugin::UpgradePrinter(DWORD, BYTE*) { return hr::kNotImpl; }

HRESULT UiPlugin::PrinterEvent(WCHAR* pPrinterName, INT iDriverEvent, DWORD, LPARAM lParam)
{
    // The spooler looks only at the initialise event's result, and nothing
    // that fails here may stop an installation.
    GuardedVoid(nullptr, "PrinterEvent", [&] {
        if (pPrinterName == nullptr) return;
        std::u16string name;
        for (std::size_t i = 0; i < 260 && pPrinterName[i] != 0; ++i) name.push_back(pPrinterName[i]);
        if (iDriverEvent == PRINTER_EVENT_INITIALIZE) {
            SetDriverBasicInfo(system_, name);
            SetBasicSettingPreferenceReg(system_, name);
            SetBarcodePreferenceReg(system_, name);
        } else if (iDriverEvent == PRINTER_EVENT_ATTRIBUTES_CHANGED) {
            SetRawDataPrintJob(system_, name, reinterpret_cast<const PRINTER_EVENT_ATTRIBUTES_INFO*>(lParam));
        }
    });
    return hr::kOk;
}

HRESULT UiPlugin::DriverEvent(DWORD, DWORD, BYTE*, LPARAM) { return hr::kOk; }

HRESULT UiPlugin::QueryColorProfile(HANDLE, OEMUIOBJ*, DEVMODEW*, PVOID, ULONG ulQueryMode, void* pvProfileData,
                                    ULONG* pcbProfileData, FLONG* pflProfileData)
{
    if (ulQueryMode != QCP_DEVICEPROFILE || pcbProfileData == nullptr) return hr::kFail;
    const ULONG offered = *pcbProfileData;
    *pcbProfileData = kColorProfileBytes;
    if (pvProfileData == nullptr || offered < kColorProfileBytes) {
        SetLastSystemError(syserr::kInsufficientBuffer);
        return hr::kFail;
    }
    const std::u16string_view name = kColorProfileName;
    auto* out = static_cast<char16_t*>(pvProfileData);
    std::fill_n(out, kColorProfileBytes / 2, u'\0');
    std::copy(name.begin(), name.end(), out);
    if (pflProfileData != nullptr) *pflProfileData = QCP_PROFILEDISK;
    return hr::kOk;
}

HRESULT UiPlugin::FontInstallerDlgProc(HWND, UINT, WPARAM, LPARAM) { return hr::kNotImpl; }
HRESULT UiPlugin::UpdateExternalFonts(HANDLE, HANDLE, WCHAR*) { return hr::kNotImpl; }

}  // namespace lt77::ui
