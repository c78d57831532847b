// The portable logic of the plug-in's pages and dialogs. A dialog procedure
// stays thin by using it this way:
//
//   WM_INITDIALOG   take the PageContext* from the PROPSHEETPAGEW's lParam
//                   (ContextOfPage) or the modal dialog's parameter, keep it
//                   with the window, read the localised list texts from the
//                   template's invisible statics into the page's ...Texts
//                   struct, call Fill...Page(context, texts) and copy the
//                   returned state into the controls: edit texts, check
//                   states, radio index, list items and selection, enabled
//                   flags, edit limits (the k...Chars constants).
//   EN_KILLFOCUS    put back the text Leave...(text) returns.
//   UDN_DELTAPOS    set the value Spin...(value, delta) returns (and refuse
//                   the control's own step).
//   BN_CLICKED,     update the state, call Update...Enables(state) and
//   CBN_SELCHANGE   enable the controls as it says; send PSM_CHANGED when
//                   ...MarksChanged(context, input, index) is true (the
//                   Barcode page's handlers say so by their contract).
//   PSN_APPLY       read every control into the state and call
//                   Apply...Page(state, context, SpoolerDeviceModeSetters()).
//
// Texts are UTF-16 (std::u16string); the Linux host passes English texts.
// Nothing here includes a Windows header or shows a window; questions the
// paper dialog asks go through PaperDialogPrompts.
#pragma once

#include "ui/barcode_page.h"
#include "ui/device_mode_setters.h"
#include "ui/device_pages.h"
#include "ui/dither_page.h"
#include "ui/document_page.h"
#include "ui/language_choice.h"
#include "ui/layout_page.h"
#include "ui/nv_image_page.h"
#include "ui/page_context.h"
#include "ui/paper_dialog.h"
#include "ui/property_sheets.h"
#include "ui/settings_store.h"
#include "ui/utility_page.h"
