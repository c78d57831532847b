#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/debug_output.h"
#include "platform/posix/queue_store.h"

namespace lt77 {

void WriteDebugOutput(std::string_view line)
{
    const std::filesystem::path file = posix::HostRoot() / "host" / "debug-output.log";
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    // One write per line, so that the lines of several processes never mix.
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    text.push_back('\n');
    const ssize_t written = ::write(fd, text.data(), text.size());
    static_cast<void>(written);  // lines for people; a full disk loses one
    ::close(fd);
}

}  // namespace lt77
