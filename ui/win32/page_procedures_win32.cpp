// The table through which the sheet handlers give each page its procedure.
#include "ui/property_sheets.h"
#include "ui/win32/dialog_procedures.h"

namespace lt77::ui {
namespace {

// The sheet's records declare the procedure with the plug-in's own window
// type; the calling convention of x64 is the same for both.
template <class Procedure>
DialogProcedure AsPageProcedure(Procedure procedure)
{
    return reinterpret_cast<DialogProcedure>(procedure);
}

}  // namespace

const PageProcedures& SheetPageProcedures()
{
    using namespace win32;
    static const PageProcedures procedures{
        {
            AsPageProcedure(DlgLayoutProc),
            AsPageProcedure(DlgDocSettingsProc),
            AsPageProcedure(DlgNVImageProc),
            AsPageProcedure(DlgBarcodeSettingsProc),
            AsPageProcedure(DlgDitherProc),
            AsPageProcedure(DlgUtilityProc),
            AsPageProcedure(DlgLanguageProc),
            AsPageProcedure(DlgAboutProc),
        },
        AsPageProcedure(DlgUserDefinedPaper),
        AsPageProcedure(Dlg1dCodePropertyProc),
        AsPageProcedure(Dlg2dCodePropertyProc),
    };
    return procedures;
}

}  // namespace lt77::ui
