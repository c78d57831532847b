#include "ui/page_context.h"

#include "common/printer_data_names.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/form_store.h"
#include "platform/printer_setup.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/spooler.h"
#include "platform/ui_language.h"
#include "ui/settings_store.h"

namespace lt77::ui {

UiSystem& SystemUi()
{
    static UiSystem system{SystemSpooler(),    SystemPrinterSetup(), SystemFormStore(),  SystemProfile(),
                           SystemCodePages(),  SystemFileSystem(),   SystemUiLanguage(), SystemShell(),
                           SystemUiLanguage().SystemMajorVersion()};
    return system;
}

DWORD ReloadSettings(PageContext& context)
{
    DWORD needed = 0;
    DWORD result = GetPrinterDataFromReg(context.Sys(), context.hPrinter, kMiscValue, nullptr, context.byteValue,
                                         &needed);
    // A shorter value would leave the rest of the bytes from an older
    // reading; it is treated as missing.
    if (result == 0 && needed != kSettingsCount) result = syserr::kInvalidData;
    context.dwMiscSize = needed;
    context.dwMiscReadResult = result;
    if (result != 0) GetBasicSettingPreference(context);
    return result;
}

DWORD WriteSettings(PageContext& context)
{
    return SetPrinterDataToReg(context.Sys(), context.hPrinter, kMiscValue, REG_BINARY_TYPE, context.byteValue,
                               &context);
}

}  // namespace lt77::ui
