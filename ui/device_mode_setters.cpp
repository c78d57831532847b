#include "ui/device_mode_setters.h"

#include <algorithm>
#include <functional>

#include "platform/form_store.h"
#include "platform/printer_setup.h"
#include "ui/layout_page.h"
#include "ui/settings_store.h"

namespace lt77::ui {
namespace {

// Fetches the default device mode and the level-2 information, lets `change`
// edit the device mode, and writes the record back only when `change` says
// it changed something.
BOOL ChangeDefaultDevMode(PageContext& context, const std::function<bool(DeviceModeFields&)>& change)
{
    UiSystem& system = context.Sys();
    DeviceModeFields devMode;
    if (system.setup.GetDefaultDevMode(context.hPrinter, context.printerName, devMode) != 0) return kBoolFalse;
    PrinterLevel2 info;
    if (system.setup.GetLevel2(context.hPrinter, info) != 0) return kBoolFalse;
    if (!change(devMode)) return kBoolTrue;
    info.devMode = std::move(devMode);
    return SetPrinterInfo2(system, context.hPrinter, info, &context);
}

BOOL SetField(PageContext& context, int16_t DeviceModeFields::*field, int16_t value)
{
    return ChangeDefaultDevMode(context, [&](DeviceModeFields& dm) {
        if (dm.*field == value) return false;
        dm.*field = value;
        return true;
    });
}

class SpoolerSetters final : public DeviceModeSetters {
public:
    BOOL SetCopyCount(PageContext& context, int copies) override
    {
        return SetField(context, &DeviceModeFields::copies, static_cast<int16_t>(copies & 0xFF));
    }
    BOOL SetOrientation(PageContext& context, int landscape) override
    {
        return SetField(context, &DeviceModeFields::orientation, landscape == 1 ? 2 : 1);
    }
    BOOL SetColorType(PageContext& context, int type) override
    {
        return SetField(context, &DeviceModeFields::color, type == 2 ? 2 : 1);
    }
    BOOL SetPaperType(PageContext& context, int type) override
    {
        const int16_t source = type == 0 ? 265 : type == 1 ? 266 : 15;
        return SetField(context, &DeviceModeFields::defaultSource, source);
    }
    BOOL SetPaperSize(PageContext& context, std::span<const std::u16string> paperItems, int index) override
    {
        std::optional<FormRecord> form;
        if (index >= 0 && static_cast<std::size_t>(index) < paperItems.size()) {
            const std::u16string name = paperItems[static_cast<std::size_t>(index)] + context.paperSuffix;
            std::vector<FormRecord> forms;
            if (context.Sys().forms.Enumerate(context.hPrinter, forms) == 0)
                for (const auto& f : forms)
                    if (f.name == name) form = f;
        }
        if (!form) {
            const auto it = std::find(paperItems.begin(), paperItems.end(), std::u16string(kDefaultPaperName));
            context.byteValue[IDX_PAPER_SIZE_INDEX] =
                it == paperItems.end() ? 0 : static_cast<uint8_t>(it - paperItems.begin());
            return kBoolFalse;
        }
        UiSystem& system = context.Sys();
        return ChangeDefaultDevMode(context, [&](DeviceModeFields& dm) {
            const std::u16string formName = form->name.substr(0, kFormNameMaxChars);
            const auto width = static_cast<int16_t>(form->widthUm / 100);
            const auto length = static_cast<int16_t>(form->lengthUm / 100);
            // A form of the same size as the old one is still another form:
            // its name must reach the device mode too.
            if (dm.formName == formName && dm.paperSize == 0 && dm.paperWidth == width && dm.paperLength == length)
                return false;
            dm.formName = formName;
            dm.paperSize = 0;
            dm.paperWidth = width;
            dm.paperLength = length;
            system.setup.MergeDevMode(context.hPrinter, context.printerName, dm);
            return true;
        });
    }
};

}  // namespace

DeviceModeSetters& SpoolerDeviceModeSetters()
{
    static SpoolerSetters setters;
    return setters;
}

}  // namespace lt77::ui
