// Our declarations of the UI plug-in's records (platform/oem/oem_ui.h)
// against the system's property-sheet headers, field by field. Compiled for
// Windows only; it produces no code.
#include <cstddef>

#include "platform/oem/oem_ui.h"

// The system headers define these names as macros: our values first.
namespace {
constexpr auto kOurHide = lt77::OPTIF_HIDE;
constexpr auto kOurAddPage = lt77::CPSFUNC_ADD_PROPSHEETPAGEW;
constexpr auto kOurInfoVersion = lt77::PROPSHEETUI_INFO_VERSION;
constexpr auto kOurReasonInit = lt77::PROPSHEETUI_REASON_INIT;
constexpr auto kOurReasonHeader = lt77::PROPSHEETUI_REASON_GET_INFO_HEADER;
constexpr auto kOurReasonDestroy = lt77::PROPSHEETUI_REASON_DESTROY;
constexpr auto kOurReasonSetResult = lt77::PROPSHEETUI_REASON_SET_RESULT;
constexpr auto kOurReasonIcon = lt77::PROPSHEETUI_REASON_GET_ICON;
constexpr auto kOurEventInitialize = lt77::PRINTER_EVENT_INITIALIZE;
constexpr auto kOurEventAttributes = lt77::PRINTER_EVENT_ATTRIBUTES_CHANGED;
}  // namespace

#include <windows.h>
#include <prsht.h>
#include <compstui.h>
#include <winddiui.h>

#define LT77_SAME_LAYOUT(ours, theirs) static_assert(sizeof(lt77::ours) == sizeof(::theirs), #ours)
#define LT77_SAME_OFFSET(ours, theirs, field) \
    static_assert(offsetof(lt77::ours, field) == offsetof(::theirs, field), #ours "." #field)

LT77_SAME_LAYOUT(OPTITEM, OPTITEM);
LT77_SAME_OFFSET(OPTITEM, OPTITEM, Flags);
LT77_SAME_OFFSET(OPTITEM, OPTITEM, pOptType);
LT77_SAME_OFFSET(OPTITEM, OPTITEM, HelpIndex);
LT77_SAME_OFFSET(OPTITEM, OPTITEM, pOIExt);
LT77_SAME_LAYOUT(PROPSHEETUI_INFO, PROPSHEETUI_INFO);
LT77_SAME_OFFSET(PROPSHEETUI_INFO, PROPSHEETUI_INFO, Reason);
LT77_SAME_OFFSET(PROPSHEETUI_INFO, PROPSHEETUI_INFO, hComPropSheet);
LT77_SAME_OFFSET(PROPSHEETUI_INFO, PROPSHEETUI_INFO, pfnComPropSheet);
LT77_SAME_OFFSET(PROPSHEETUI_INFO, PROPSHEETUI_INFO, lParamInit);
LT77_SAME_OFFSET(PROPSHEETUI_INFO, PROPSHEETUI_INFO, UserData);
LT77_SAME_OFFSET(PROPSHEETUI_INFO, PROPSHEETUI_INFO, Result);
LT77_SAME_LAYOUT(PROPSHEETUI_INFO_HEADER, PROPSHEETUI_INFO_HEADER);
LT77_SAME_OFFSET(PROPSHEETUI_INFO_HEADER, PROPSHEETUI_INFO_HEADER, pTitle);
LT77_SAME_OFFSET(PROPSHEETUI_INFO_HEADER, PROPSHEETUI_INFO_HEADER, hInst);
LT77_SAME_LAYOUT(SETRESULT_INFO, SETRESULT_INFO);
LT77_SAME_OFFSET(SETRESULT_INFO, SETRESULT_INFO, Result);
static_assert(sizeof(lt77::PROPSHEETPAGEW_V1) == offsetof(::PROPSHEETPAGEW, pcRefParent) + sizeof(void*));
static_assert(offsetof(lt77::PROPSHEETPAGEW_V1, pszTemplate) == offsetof(::PROPSHEETPAGEW, pszTemplate));
static_assert(offsetof(lt77::PROPSHEETPAGEW_V1, pfnDlgProc) == offsetof(::PROPSHEETPAGEW, pfnDlgProc));
static_assert(offsetof(lt77::PROPSHEETPAGEW_V1, lParam) == offsetof(::PROPSHEETPAGEW, lParam));

static_assert(kOurHide == OPTIF_HIDE);
static_assert(kOurAddPage == CPSFUNC_ADD_PROPSHEETPAGEW);
static_assert(kOurInfoVersion == PROPSHEETUI_INFO_VERSION);
static_assert(kOurReasonInit == PROPSHEETUI_REASON_INIT);
static_assert(kOurReasonHeader == PROPSHEETUI_REASON_GET_INFO_HEADER);
static_assert(kOurReasonDestroy == PROPSHEETUI_REASON_DESTROY);
static_assert(kOurReasonSetResult == PROPSHEETUI_REASON_SET_RESULT);
static_assert(kOurReasonIcon == PROPSHEETUI_REASON_GET_ICON);
static_assert(kOurEventInitialize == PRINTER_EVENT_INITIALIZE);
static_assert(kOurEventAttributes == PRINTER_EVENT_ATTRIBUTES_CHANGED);
