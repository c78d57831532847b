#include "ui/utility_page.h"

#include "common/driver_paths.h"
#include "platform/files.h"
#include "platform/shell.h"

namespace lt77::ui {

UtilityState FillUtilityPage(PageContext& context)
{
    ReloadSettings(context);
    UtilityState s;
    s.journal = context.byteValue[IDX_JOURNAL_ON] != 0;
    s.textKey = context.byteValue[IDX_TEXT_KEY_ON] != 0;
    s.preview = context.byteValue[IDX_PREVIEW_ON] != 0;
    UpdateUtilityEnables(s);
    return s;
}

void UpdateUtilityEnables(UtilityState& s)
{
    s.journalViewerEnabled = s.journal;
    s.textKeyButtonEnabled = s.textKey;
}

void ApplyUtilityPage(const UtilityState& s, PageContext& context)
{
    context.byteValue[IDX_TEXT_KEY_ON] = s.textKey ? 1 : 0;
    context.byteValue[IDX_PREVIEW_ON] = s.preview ? 1 : 0;
    context.byteValue[IDX_JOURNAL_ON] = s.journal ? 1 : 0;
    WriteSettings(context);
}

ProgramStart UtilityProgramFor(UtilityButton button, const PageContext& context)
{
    ProgramStart start;
    start.folder = DriverDataFolder(context.Sys().files.WindowsFolder());
    const bool elevate = context.Sys().osMajorVersion >= 6;
    switch (button) {
    case UtilityButton::PosUtility:
        start.file = "Rezezar OVO Doverev";
        start.parameters = context.printerName + u",";
        break;
    case UtilityButton::JournalViewer:
        start.file = "JnlViewer";
        start.parameters = context.printerName;
        break;
    case UtilityButton::ControlCodeEditor:
    case UtilityButton::TextKeySetup:
        start.file = button == UtilityButton::ControlCodeEditor ? "ZozaRurodirA" : "TextKeyFunction";
        start.elevated = elevate;
        start.parameters = elevate ? context.printerName + u"," : context.printerName;
        break;
    }
    return start;
}

intptr_t StartPlainProgram(const ProgramStart& start, PageContext& context)
{
    DWORD error = 0;
    return context.Sys().shell.Open(start.file, start.parameters, start.folder, error);
}

}  // namespace lt77::ui
