// The preview program's, the journal viewer's and the control-code editor's
// jobs from the Linux command line, through the same models the Windows
// programs use (preview/, journal/, fcaeditor/):
//
//   preview-job QUEUE [--png OUT] [--print]    the preview copy shown (or printed at once) and printed
//   journal-list QUEUE [--from Y-M-D --to Y-M-D]
//   journal-show QUEUE INDEX OUT [--from .. --to ..]   an entry of that list as a picture
//   journal-print QUEUE INDEX [--from .. --to ..]      and re-printed
//   control-codes QUEUE                        the control-code table, a row a line
//   edit-control-code QUEUE CHAR DIGITS|--delete   one row edited and the table written
//   install-preview                            a JobPreview.exe the Linux host's shell runs
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lt77::host {

bool IsViewerCommand(const std::string& command);

// `args` is the whole command line after the program name; "--root" has
// been taken care of. Returns the exit code.
int RunViewerCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kViewerUsage;

}  // namespace lt77::host
