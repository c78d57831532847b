// The UI plug-in object the driver core creates through the class factory.
#pragma once

#include <atomic>

#include "platform/oem/com_object.h"
#include "platform/oem/oem_ui.h"
#include "ui/page_context.h"

namespace lt77::ui {

inline constexpr DWORD kUiSignature = 0x4D534654;
inline constexpr DWORD kUiVersion = 1;
inline constexpr const char16_t* kColorProfileName = u"OEMPROFILE.icm";
inline constexpr ULONG kColorProfileBytes = 32;

// The module's object and lock counts (DllCanUnloadNow).
ModuleCounters& UiModule();

class UiPlugin final : public IPrintOemUI {
public:
    explicit UiPlugin(ModuleCounters& counters, UiSystem& system);
    explicit UiPlugin(ModuleCounters& counters);

    HRESULT QueryInterface(const GUID& riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, DWORD* pcbNeeded) override;
    HRESULT DevMode(DWORD dwMode, OEMDMPARAM* pOemDMParam) override;
    HRESULT PublishDriverInterface(IUnknown* pIUnknown) override;
    HRESULT CommonUIProp(DWORD dwMode, OEMCUIPPARAM* pOemCUIPParam) override;
    HRESULT DocumentPropertySheets(PROPSHEETUI_INFO* pPSUIInfo, LPARAM lParam) override;
    HRESULT DevicePropertySheets(PROPSHEETUI_INFO* pPSUIInfo, LPARAM lParam) override;
    HRESULT DevQueryPrintEx(OEMUIOBJ* poemuiobj, DEVQUERYPRINT_INFO* pDQPInfo, DEVMODEW* pPublicDM,
                            PVOID pOEMDM) override;
    HRESULT DeviceCapabilities(OEMUIOBJ* poemuiobj, HANDLE hPrinter, WCHAR* pDeviceName, WORD wCapability,
                               PVOID pOutput, DEVMODEW* pPublicDM, PVOID pOEMDM, DWORD dwOld,
                               DWORD* dwResult) override;
    HRESULT UpgradePrinter(DWORD dwLevel, BYTE* pDriverUpgradeInfo) override;
    HRESULT PrinterEvent(WCHAR* pPrinterName, INT iDriverEvent, DWORD dwFlags, LPARAM lParam) override;
    HRESULT DriverEvent(DWORD dwDriverEvent, DWORD dwLevel, BYTE* pDriverInfo, LPARAM lParam) override;
    HRESULT QueryColorProfile(HANDLE hPrinter, OEMUIOBJ* poemuiobj, DEVMODEW* pPublicDM, PVOID pOEMDM,
                              ULONG ulQueryMode, void* pvProfileData, ULONG* pcbProfileData,
                              FLONG* pflProfileData) override;
    HRESULT FontInstallerDlgProc(HWND hWnd, UINT usMsg, WPARAM wParam, LPARAM lParam) override;
    HRESULT UpdateExternalFonts(HANDLE hPrinter, HANDLE hHeap, WCHAR* pwstrCartridges) override;

private:
    ~UiPlugin();
    CountedObject counted_;
    UiSystem& system_;
    std::atomic<long> refs_{1};
    IPrintOemDriverUI* driverUi_ = nullptr;
};

}  // namespace lt77::ui
