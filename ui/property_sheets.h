// The document and device property sheets: the page context's life and the
// pages added through the core's add-page callback.
#pragma once

#include <span>

#include "platform/oem/oem_ui.h"
#include "ui/module_instance.h"
#include "ui/page_context.h"

namespace lt77::ui {

enum class PageId { Layout, DocumentSettings, NvImage, Barcode, Dithering, Utility, Language, Version };
inline constexpr int kPageCount = 8;

struct PageDescriptor {
    PageId id;
    const char16_t* templateName;  // the dialog template's resource name
};
// Layout, Document Settings, NV Image, Barcode, Dithering, Utility.
std::span<const PageDescriptor> DocumentSheetPages();
// Language, Version.
std::span<const PageDescriptor> DeviceSheetPages();

// The dialog procedures behind the templates, by PageId, and those of the
// modal dialogs the pages open. Supplied by the target's dialog code; on
// Linux they are null and the host's sheet only records the templates.
struct PageProcedures {
    DialogProcedure pages[kPageCount];
    DialogProcedure userDefinedPaper;  // "User Defined Paper Size"
    DialogProcedure barcode1d;         // "Barcode Setting"
    DialogProcedure barcode2d;         // "2D-Code Setting"
};
const PageProcedures& SheetPageProcedures();


// The sheet handlers behind DocumentPropertySheets and DevicePropertySheets.
// The result goes into info->Result; S_OK when it is non-zero, else E_FAIL.
// A block whose version is not 0x100 fails with ERROR_INVALID_PARAMETER.
HRESULT hrOEMDocumentPropertySheets(UiSystem& system, PROPSHEETUI_INFO* info, LPARAM lParam);
HRESULT hrOEMDevicePropertySheets(UiSystem& system, PROPSHEETUI_INFO* info, LPARAM lParam);

// The context a page's PROPSHEETPAGEW_V1.lParam carries.
inline PageContext* ContextOfPage(const PROPSHEETPAGEW_V1* page)
{
    return page == nullptr ? nullptr : reinterpret_cast<PageContext*>(page->lParam);
}

}  // namespace lt77::ui
