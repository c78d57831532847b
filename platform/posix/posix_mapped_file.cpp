#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/utf.h"
#include "platform/mapped_file.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/queue_store.h"

namespace lt77 {
namespace {

class PosixMappedFile final : public MappedFile {
public:
    PosixMappedFile(void* address, std::size_t size) : address_(address), size_(size) {}
    ~PosixMappedFile() override { ::munmap(address_, size_); }
    std::span<const uint8_t> Bytes() const override { return {static_cast<const uint8_t*>(address_), size_}; }

private:
    void* address_;
    std::size_t size_;
};

std::string HostPath(std::u16string_view path)
{
    const std::string text = Utf16ToUtf8(path);
    if (text.size() >= 2 && text[1] == ':') return posix::MapWindowsPath(text).string();
    return text;
}

}  // namespace

MapResult MapFileForReading(std::u16string_view path)
{
    MapResult result;
    const int fd = ::open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.openError = posix::SetLastErrorFromErrno();
        return result;
    }
    result.opened = true;
    struct stat st {};
    // A folder opens for reading on POSIX but is no file to map.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        void* address = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (address != MAP_FAILED) result.file = std::make_unique<PosixMappedFile>(address, static_cast<std::size_t>(st.st_size));
    }
    ::close(fd);
    return result;
}

}  // namespace lt77
