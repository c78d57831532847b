// The UI plug-in's jobs from the command line:
//
//   install-printer QUEUE [INI]        the printer-initialise event of uilt77, loaded through its
//                                      exports as the spooler loads it; INI is copied first to the
//                                      installation file's place
//   set-printer QUEUE KEY=VALUE ...    settings changed through the pages' logic (their ranges,
//                                      clamps and Apply order), as a user of the sheet would
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lt77::host {

bool IsUiCommand(const std::string& command);
// `args` is the whole command line after the program name. Returns the exit code.
int RunUiCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kUiUsage;

// The installation event of the plug-in on a queue, with `iniPath` (when not
// empty) copied first to the installation file's place. One line to `out`.
int InstallPrinter(const std::string& queue, const std::string& iniPath, std::ostream& out, std::ostream& err);
// The sample installation file of the source tree.
std::string SampleInstallationFile();

// The UI plug-in built next to the host: $LT77_UI_PLUGIN, else the build's.
std::string DefaultUiPluginPath();

}  // namespace lt77::host
