#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "common/utf.h"
#include "platform/message_box.h"
#include "platform/posix/queue_store.h"

namespace lt77 {

namespace {

// No user sits at the test host: a box is a line on standard error and in
// host/message-boxes.log, one write per line, and returns as if OK was pressed.
class PosixMessageBoxes final : public MessageBoxes {
public:
    void Show(std::u16string_view text, std::u16string_view caption, DWORD style) override
    {
        const std::string line = MessageBoxLogLine(text, caption, style) + "\n";
        std::fputs(line.c_str(), stderr);
        const std::filesystem::path file = posix::HostRoot() / "host" / "message-boxes.log";
        std::error_code ec;
        std::filesystem::create_directories(file.parent_path(), ec);
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0) return;
        const ssize_t written = ::write(fd, line.data(), line.size());
        static_cast<void>(written);  // lines for people; a full disk loses one
        ::close(fd);
    }
};

}  // namespace

MessageBoxes& SystemMessageBoxes()
{
    static PosixMessageBoxes boxes;
    return boxes;
}

}  // namespace lt77
