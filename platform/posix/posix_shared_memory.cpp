#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>

#include "common/utf.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/posix_monitor.h"
#include "platform/posix/queue_store.h"
#include "platform/shared_memory.h"

namespace lt77::posix {
namespace {

// FNV-1a: enough to tell the roots of test runs on one machine apart.
uint32_t HashOf(std::string_view text)
{
    uint32_t hash = 2166136261u;
    for (const char c : text) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 16777619u;
    }
    return hash;
}

// "/lt77-<hash of the root>-<section name>": section names are compared as
// written, as Windows compares them; '/' may not appear in a POSIX name, so
// it and '\' (and '%', to keep names apart) are written as %XX. A name past
// the system's limit is cut, as the status record's name buffers cut theirs.
std::string ObjectName(std::u16string_view section)
{
    std::error_code ec;
    const std::string root = std::filesystem::absolute(HostRoot(), ec).lexically_normal().string();
    char prefix[32];
    std::snprintf(prefix, sizeof(prefix), "/lt77-%08x-", static_cast<unsigned>(HashOf(root)));
    std::string name = prefix;
    for (const char c : Utf16ToUtf8(section)) {
        if (c == '\\')
            name += "%5C";
        else if (c == '/')
            name += "%2F";
        else if (c == '%')
            name += "%25";
        else
            name += c;
    }
    if (name.size() > 1 + NAME_MAX) name.resize(1 + NAME_MAX);
    return name;
}

class PosixSharedView final : public SharedView {
public:
    PosixSharedView(void* address, std::size_t bytes) : address_(address), bytes_(bytes) {}
    ~PosixSharedView() override { ::munmap(address_, bytes_); }
    PosixSharedView(const PosixSharedView&) = delete;
    PosixSharedView& operator=(const PosixSharedView&) = delete;
    std::span<uint8_t> Bytes() override { return {static_cast<uint8_t*>(address_), bytes_}; }

private:
    void* address_;
    std::size_t bytes_;
};

class PosixSharedSection final : public SharedSection {
public:
    // `createdName` is set for the section that made the object: Windows
    // removes a section with its last handle, and the maker's handle is the
    // one that lives longest (the monitor's); views already mapped stay.
    PosixSharedSection(int fd, bool writable, std::string createdName)
        : fd_(fd), writable_(writable), createdName_(std::move(createdName))
    {
    }
    ~PosixSharedSection() override
    {
        ::close(fd_);
        if (!createdName_.empty()) ::shm_unlink(createdName_.c_str());
    }
    PosixSharedSection(const PosixSharedSection&) = delete;
    PosixSharedSection& operator=(const PosixSharedSection&) = delete;

    std::unique_ptr<SharedView> Map(bool writable, DWORD bytes) override
    {
        if (bytes == 0) {
            SetLastSystemError(syserr::kInvalidParameter);
            return nullptr;
        }
        if (writable && !writable_) {
            SetLastSystemError(syserr::kAccessDenied);
            return nullptr;
        }
        struct stat info {};
        if (::fstat(fd_, &info) != 0) {
            SetLastErrorFromErrno();
            return nullptr;
        }
        // A view reaches at most to the end of the section's last page, as
        // under Wine; a page wholly past the end would fault when touched.
        const auto page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
        const uint64_t limit = (static_cast<uint64_t>(info.st_size) + page - 1) / page * page;
        if (bytes > limit) {
            SetLastSystemError(syserr::kAccessDenied);
            return nullptr;
        }
        void* address = ::mmap(nullptr, bytes, PROT_READ | (writable ? PROT_WRITE : 0), MAP_SHARED, fd_, 0);
        if (address == MAP_FAILED) {
            SetLastErrorFromErrno();
            return nullptr;
        }
        return std::make_unique<PosixSharedView>(address, bytes);
    }

private:
    int fd_;
    bool writable_;
    std::string createdName_;
};

class PosixSharedMemory final : public SharedMemory {
public:
    // Owner read and write only: the test host's monitor and the
    // applications that read the record run as one user, and no one else
    // needs the bytes. The narrowest mode that serves them.
    std::unique_ptr<SharedSection> CreateStatusSection(std::u16string_view name, DWORD bytes,
                                                       DWORD& error) override
    {
        if (bytes == 0) return Refuse(syserr::kInvalidParameter, error);
        const std::string object = ObjectName(name);
        // Made here, or found made by another: one retry covers an object
        // removed between the two calls.
        for (int attempt = 0; attempt < 2; ++attempt) {
            const int made = ::shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (made >= 0) {
                auto section = std::make_unique<PosixSharedSection>(made, true, object);
                if (::ftruncate(made, bytes) != 0) {
                    error = SetLastErrorFromErrno();
                    return nullptr;
                }
                error = 0;
                return section;
            }
            if (errno != EEXIST) {
                error = SetLastErrorFromErrno();
                return nullptr;
            }
            const int found = ::shm_open(object.c_str(), O_RDWR | O_CLOEXEC, 0);
            if (found >= 0) {
                error = 0;
                return std::make_unique<PosixSharedSection>(found, true, std::string());
            }
            if (errno != ENOENT) break;
        }
        error = SetLastErrorFromErrno();
        return nullptr;
    }

    std::unique_ptr<SharedSection> Open(std::u16string_view name, bool writable, DWORD& error) override
    {
        const std::string object = ObjectName(name);
        const int fd = ::shm_open(object.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC, 0);
        if (fd < 0) {
            error = SetLastErrorFromErrno();
            return nullptr;
        }
        error = 0;
        return std::make_unique<PosixSharedSection>(fd, writable, std::string());
    }

private:
    static std::unique_ptr<SharedSection> Refuse(DWORD code, DWORD& error)
    {
        error = code;
        SetLastSystemError(code);
        return nullptr;
    }
};

}  // namespace

std::string SharedMemoryObjectNameForTesting(std::u16string_view sectionName) { return ObjectName(sectionName); }

}  // namespace lt77::posix

namespace lt77 {

SharedMemory& SystemSharedMemory()
{
    static posix::PosixSharedMemory memory;
    return memory;
}

}  // namespace lt77
