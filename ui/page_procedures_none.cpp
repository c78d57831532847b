// Where no dialog code is built (the Linux host), the pages have no
// procedures: the host's sheet records the templates it is given.
#include "ui/property_sheets.h"

namespace lt77::ui {

const PageProcedures& SheetPageProcedures()
{
    static const PageProcedures none{};
    return none;
}

}  // namespace lt77::ui
