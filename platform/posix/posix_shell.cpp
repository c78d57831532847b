#include <filesystem>
#include <fstream>

#include "common/utf.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/queue_store.h"

namespace lt77::posix {
namespace fs = std::filesystem;

// The host records every start so that tests and people can see what the
// driver asked for; a program is "found" when its file exists in the folder.
intptr_t PosixShell::Open(std::string_view program, std::u16string_view parameters,
                          std::string_view workingFolder, DWORD& error)
{
    const fs::path log = HostRoot() / "host" / "shell-starts.log";
    std::error_code ec;
    fs::create_directories(log.parent_path(), ec);
    const bool found = fs::is_regular_file(MapWindowsPath(JoinPath(workingFolder, program)), ec);
    {
        std::ofstream out(log, std::ios::app | std::ios::binary);
        out << "program=" << program << "\tparameters=" << Utf16ToUtf8(parameters)
            << "\tfolder=" << workingFolder << "\tfound=" << (found ? "yes" : "no") << '\n';
    }
    if (!found) {
        error = syserr::kFileNotFound;
        return 2;  // SE_ERR_FNF
    }
    error = 0;
    return 42;
}

}  // namespace lt77::posix

namespace lt77 {

Shell& SystemShell()
{
    static posix::PosixShell shell;
    return shell;
}

}  // namespace lt77
