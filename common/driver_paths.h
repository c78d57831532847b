// Where the package's files live on the Windows drive. Paths are Windows
// paths in UTF-8 on every target; the POSIX file system maps them below the
// test host's root.
#pragma once

#include <string>
#include <string_view>

namespace lt77 {

// The driver's folder name, under the Windows folder and under "\temp\",
// and the prefix of its trace files.
inline constexpr std::string_view kDriverFolderName = "LT-77";
inline constexpr std::string_view kInstallationFileName = "InstallConfig_LT77.INI";

// Joins Windows path parts with a single backslash.
std::string JoinPath(std::string_view folder, std::string_view name);

// "C:\Windows\LT-77" for the Windows folder "C:\Windows": journals, the
// preview copy, replacement images and the installation file.
std::string DriverDataFolder(std::string_view windowsFolder);
// The installation file in the driver data folder.
std::string InstallationFilePath(std::string_view windowsFolder);
// "C:\temp" on the Windows folder's drive.
std::string TempFolder(std::string_view windowsFolder);
// "C:\temp\LT-77": trace logs and diagnostic pictures.
std::string TraceFolder(std::string_view windowsFolder);

}  // namespace lt77
