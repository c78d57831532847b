#include <spawn.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/utf.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/queue_store.h"

namespace lt77::posix {
namespace fs = std::filesystem;

// The host records every start so that tests and people can see what the
// driver asked for; a program is "found" when its file exists in the folder.
// A found file that may be executed (a script standing for the program, such
// as the one "lt77host install-preview" puts in place of JobPreview.exe) is
// started with the parameters as its one argument, in the working folder,
// and not waited for.
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
    const fs::path file = MapWindowsPath(JoinPath(workingFolder, program));
    if (::access(file.c_str(), X_OK) == 0) {
        const std::string path = file.string(), argument = Utf16ToUtf8(parameters);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, MapWindowsPath(workingFolder).c_str());
        char* argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>(argument.c_str()), nullptr};
        pid_t child = 0;
        const int failed = posix_spawn(&child, path.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        // The child is not reaped: the host process that printed the
        // document ends soon after, as the spooler's would not.
        if (failed != 0) {
            error = ErrorFromErrno(failed);
            return 2;
        }
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
