// The Utility page (template "Utility"): journal, text keys, preview, and
// the buttons that start the operator programs.
#pragma once

#include <string>

#include "ui/page_context.h"

namespace lt77::ui {

struct UtilityState {
    bool journal = false;
    bool textKey = false;
    bool preview = false;
    bool journalViewerEnabled = false;  // follows journal
    bool textKeyButtonEnabled = false;  // follows textKey
};

UtilityState FillUtilityPage(PageContext& context);
void UpdateUtilityEnables(UtilityState& state);
// Every check box marks the page changed.
void ApplyUtilityPage(const UtilityState& state, PageContext& context);

enum class UtilityButton { PosUtility, ControlCodeEditor, JournalViewer, TextKeySetup };

// How a button starts its program: file, parameters, working folder (the
// driver's data folder), and whether with the verb "runas".
struct ProgramStart {
    std::string file;
    std::u16string parameters;
    std::string folder;
    bool elevated = false;
};
ProgramStart UtilityProgramFor(UtilityButton button, const PageContext& context);

// Starts a plain program through the system's shell; an elevated start is
// the dialog procedure's (ShellExecuteEx with "runas"). Returns the shell's
// result (above 32: started).
intptr_t StartPlainProgram(const ProgramStart& start, PageContext& context);

}  // namespace lt77::ui
