#include "ui/property_sheets.h"

#include <new>

#include "common/utf.h"
#include "platform/system_error.h"
#include "ui/language_choice.h"
#include "ui/settings_store.h"

namespace lt77::ui {
namespace {

constexpr PageDescriptor kDocumentPages[] = {
    {PageId::Layout, u"Layout"},   {PageId::DocumentSettings, u"Document Settings"}, {PageId::NvImage, u"NV Image"},
    {PageId::Barcode, u"Barcode"}, {PageId::Dithering, u"Dithering"},                {PageId::Utility, u"Utility"},
};
constexpr PageDescriptor kDevicePages[] = {{PageId::Language, u"Language"}, {PageId::Version, u"Version"}};

char16_t g_sheetTitle[] = u"OEM UI Page";
HINSTANCE g_instance = nullptr;

std::u16string BoundedName(const WCHAR* name)
{
    std::u16string out;
    if (name == nullptr) return out;
    for (std::size_t i = 0; i < 260 && name[i] != 0; ++i) out.push_back(name[i]);
    return out;
}

// Reason 0: the context, the language, the pages. Returns the last
// add-page result (0 when the context could not be made).
LONG_PTR InitialiseSheet(UiSystem& system, PROPSHEETUI_INFO& info, bool documentSheet)
{
    const auto* params = reinterpret_cast<const OEMUIPSPARAM*>(info.lParamInit);
    if (params == nullptr || info.pfnComPropSheet == nullptr) return 0;
    auto* context = new (std::nothrow) PageContext();
    if (context == nullptr) return 0;
    if (documentSheet) {
        context->pCodeData.reset(new (std::nothrow) CodeDataBytes{});
        context->pBarcodeInfo.reset(new (std::nothrow) BarcodeInfoBytes{});
        if (!context->pCodeData || !context->pBarcodeInfo) {
            delete context;
            return 0;
        }
    }
    context->system = &system;
    context->uiLanguage = GetUILanguage(system);
    context->printerName = BoundedName(params->pPrinterName);
    context->hPrinter = params->hPrinter;
    context->hHeap = params->hOEMHeap;
    info.UserData = reinterpret_cast<ULONG_PTR>(context);

    if (ReloadSettings(*context) != 0) {
        context->byteValue[IDX_UI_LANGUAGE] = LanguageIndexOf(context->uiLanguage);
        WriteSettings(*context);
    }
    if (auto choice = LanguageSwitchFor(context->byteValue[IDX_UI_LANGUAGE], context->uiLanguage))
        SwitchLanguage(system, choice->primary, choice->sub);

    const auto pages = documentSheet ? DocumentSheetPages() : DeviceSheetPages();
    const PageProcedures& procedures = SheetPageProcedures();
    LONG_PTR result = 0;
    for (const auto& page : pages) {
        PROPSHEETPAGEW_V1 record{};
        record.dwSize = sizeof record;
        record.hInstance = UiModuleInstance();
        record.pszTemplate = page.templateName;
        record.pfnDlgProc = procedures.pages[static_cast<int>(page.id)];
        record.lParam = reinterpret_cast<LPARAM>(context);
        result = info.pfnComPropSheet(info.hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW,
                                      reinterpret_cast<LPARAM>(&record), 0);
        if (result <= 0) break;
    }
    return result;
}

HRESULT PropertySheets(UiSystem& system, PROPSHEETUI_INFO* info, LPARAM lParam, bool documentSheet)
{
    if (info == nullptr || info->Version != PROPSHEETUI_INFO_VERSION) {
        SetLastSystemError(syserr::kInvalidParameter);
        return hr::kFail;
    }
    LONG_PTR result = 0;
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT:
        result = InitialiseSheet(system, *info, documentSheet);
        break;
    case PROPSHEETUI_REASON_GET_INFO_HEADER:
        if (auto* header = reinterpret_cast<PROPSHEETUI_INFO_HEADER*>(lParam)) header->pTitle = g_sheetTitle;
        result = 1;
        break;
    case PROPSHEETUI_REASON_DESTROY:
        delete reinterpret_cast<PageContext*>(info->UserData);
        info->UserData = 0;
        result = 1;
        break;
    case PROPSHEETUI_REASON_SET_RESULT:
        if (const auto* set = reinterpret_cast<const SETRESULT_INFO*>(lParam)) result = set->Result;
        break;
    case PROPSHEETUI_REASON_GET_ICON:
    default:
        result = 0;
        break;
    }
    info->Result = static_cast<ULONG_PTR>(result);
    return result != 0 ? hr::kOk : hr::kFail;
}

}  // namespace

std::span<const PageDescriptor> DocumentSheetPages() { return kDocumentPages; }
std::span<const PageDescriptor> DeviceSheetPages() { return kDevicePages; }

void* UiModuleInstance() { return g_instance; }
void SetUiModuleInstance(void* instance) { g_instance = instance; }

HRESULT hrOEMDocumentPropertySheets(UiSystem& system, PROPSHEETUI_INFO* info, LPARAM lParam)
{
    return PropertySheets(system, info, lParam, true);
}

HRESULT hrOEMDevicePropertySheets(UiSystem& system, PROPSHEETUI_INFO* info, LPARAM lParam)
{
    return PropertySheets(system, info, lParam, false);
}

}  // namespace lt77::ui
