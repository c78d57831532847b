// The printer's default device mode as the pages change it. Each setter
// fetches the default device mode and the level-2 information, changes one
// field and writes the level-2 information back only when the value
// differs. Each returns non-zero on success.
#pragma once

#include <span>
#include <string>

#include "ui/page_context.h"

namespace lt77::ui {

class DeviceModeSetters {
public:
    virtual ~DeviceModeSetters() = default;
    virtual BOOL SetCopyCount(PageContext& context, int copies) = 0;       // copies & 0xFF
    virtual BOOL SetOrientation(PageContext& context, int landscape) = 0;  // 1: landscape, else portrait
    virtual BOOL SetColorType(PageContext& context, int type) = 0;         // 2: colour, else monochrome
    virtual BOOL SetPaperType(PageContext& context, int type) = 0;         // 0 receipt, 1 ticket, else automatic
    // The form named by item `index` of the page's paper list + "[LT77]".
    // When no such form exists, byteValue[32] becomes the index of
    // "80 x 3276 mm" in the list (0 when absent) and the result is FALSE.
    virtual BOOL SetPaperSize(PageContext& context, std::span<const std::u16string> paperItems, int index) = 0;
};

// The setters over the context's system (spooler, printer setup, forms).
DeviceModeSetters& SpoolerDeviceModeSetters();

}  // namespace lt77::ui
