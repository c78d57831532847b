#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "platform/posix/posix_error.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/queue_store.h"

namespace lt77::posix {
namespace fs = std::filesystem;
namespace {

class PosixFile final : public File {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override { ::close(fd_); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    DWORD Write(std::span<const uint8_t> bytes) override
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                if (n < 0) SetLastErrorFromErrno();
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        return static_cast<DWORD>(done);
    }
    std::optional<DWORD> Read(std::span<uint8_t> out) override
    {
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::read(fd_, out.data() + done, out.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                SetLastErrorFromErrno();
                return std::nullopt;
            }
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        return static_cast<DWORD>(done);
    }
    std::optional<uint64_t> SeekToEnd() override
    {
        const off_t pos = ::lseek(fd_, 0, SEEK_END);
        if (pos < 0) return std::nullopt;
        return static_cast<uint64_t>(pos);
    }
    bool SeekToStart() override { return ::lseek(fd_, 0, SEEK_SET) == 0; }

private:
    int fd_;
};

}  // namespace

std::string PosixFileSystem::WindowsFolder() { return "C:\\Windows"; }

// The 64-bit Windows layout, mapped below the host root like every "C:\" path.
std::string PosixFileSystem::PrintProcessorFolder() { return "C:\\Windows\\System32\\spool\\prtprocs\\x64"; }

std::unique_ptr<File> PosixFileSystem::OpenOrCreate(std::string_view path, bool& existed,
                                                    DWORD& error)
{
    const fs::path p = MapWindowsPath(path);
    std::error_code ec;
    existed = fs::exists(p, ec);
    const int fd = ::open(p.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = SetLastErrorFromErrno();
        return nullptr;
    }
    // Not shared: a second opener fails as it would on Windows.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = SetLastErrorFromErrno();
        ::close(fd);
        return nullptr;
    }
    error = 0;
    return std::make_unique<PosixFile>(fd);
}

std::unique_ptr<File> PosixFileSystem::OpenForAppend(std::string_view path, DWORD& error)
{
    const fs::path p = MapWindowsPath(path);
    const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = SetLastErrorFromErrno();
        return nullptr;
    }
    ::lseek(fd, 0, SEEK_END);
    error = 0;
    return std::make_unique<PosixFile>(fd);
}

std::optional<std::vector<uint8_t>> PosixFileSystem::ReadWhole(std::string_view path)
{
    std::ifstream in(MapWindowsPath(path), std::ios::binary);
    if (!in) {
        SetLastErrorFromErrno();
        return std::nullopt;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool PosixFileSystem::MakeFolder(std::string_view path)
{
    const fs::path p = MapWindowsPath(path);
    std::error_code ec;
    if (fs::is_directory(p, ec)) return true;
    // Like the system call, only the last component is created; the POSIX
    // drive root itself is made on demand.
    if (p.parent_path() == HostRoot() / "drive_c") fs::create_directories(p.parent_path(), ec);
    if (fs::create_directory(p, ec)) return true;
    const std::error_code created = ec;
    if (fs::is_directory(p, ec)) return true;
    // A missing parent is a missing path to the system's call, not a missing file.
    SetLastSystemError(created.value() == ENOENT ? syserr::kPathNotFound : ErrorFromErrno(created.value()));
    return false;
}

bool PosixFileSystem::RemoveFile(std::string_view path)
{
    std::error_code ec;
    const fs::path p = MapWindowsPath(path);
    if (!fs::is_regular_file(p, ec)) {
        SetLastSystemError(ec ? ErrorFromErrno(ec.value()) : syserr::kFileNotFound);
        return false;
    }
    if (fs::remove(p, ec)) return true;
    SetLastSystemError(ErrorFromErrno(ec.value()));
    return false;
}

bool PosixFileSystem::CopyOver(std::string_view from, std::string_view to, DWORD& error)
{
    std::error_code ec;
    fs::copy_file(MapWindowsPath(from), MapWindowsPath(to), fs::copy_options::overwrite_existing, ec);
    error = ec ? ErrorFromErrno(ec.value()) : 0;
    if (ec) SetLastSystemError(error);
    return !ec;
}

bool PosixFileSystem::Exists(std::string_view path)
{
    std::error_code ec;
    return fs::exists(MapWindowsPath(path), ec);
}

std::vector<FileEntry> PosixFileSystem::ListFolder(std::string_view folder)
{
    // readdir rather than std::filesystem's iterator: the library's
    // iterator allocates inside functions it declares noexcept, so running
    // out of memory there ends the process instead of failing this call.
    std::vector<FileEntry> entries;
    const std::string path = MapWindowsPath(folder).string();
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return entries;
    struct Closer {
        DIR* dir;
        ~Closer() { ::closedir(dir); }
    } closer{dir};
    while (const dirent* d = ::readdir(dir)) {
        const std::string name = d->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (::stat((path + "/" + name).c_str(), &st) != 0) continue;
        FileEntry e;
        e.name = name;
        e.isFolder = S_ISDIR(st.st_mode);
        e.size = e.isFolder ? 0 : static_cast<uint64_t>(st.st_size);
        e.lastWrite = ToLocalTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec / 1000000);
        entries.push_back(std::move(e));
    }
    return entries;
}

}  // namespace lt77::posix

namespace lt77 {

FileSystem& SystemFileSystem()
{
    static posix::PosixFileSystem files;
    return files;
}

}  // namespace lt77
