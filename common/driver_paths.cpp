#include "common/driver_paths.h"

namespace lt77 {

std::string JoinPath(std::string_view folder, std::string_view name)
{
    std::string out(folder);
    while (!out.empty() && (out.back() == '\\' || out.back() == '/')) out.pop_back();
    while (!name.empty() && (name.front() == '\\' || name.front() == '/')) name.remove_prefix(1);
    out += '\\';
    out += name;
    return out;
}

std::string DriverDataFolder(std::string_view windowsFolder) { return JoinPath(windowsFolder, kDriverFolderName); }

std::string InstallationFilePath(std::string_view windowsFolder)
{
    return JoinPath(DriverDataFolder(windowsFolder), kInstallationFileName);
}

// The drive is the first two characters of the Windows folder ("C:"), as
// the trace has always taken it.
std::string TempFolder(std::string_view windowsFolder) { return std::string(windowsFolder.substr(0, 2)) + "\\temp"; }

std::string TraceFolder(std::string_view windowsFolder)
{
    return JoinPath(TempFolder(windowsFolder), kDriverFolderName);
}

}  // namespace lt77
