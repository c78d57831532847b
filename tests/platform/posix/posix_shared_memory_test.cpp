// The status record's section on the test host: the monitor's side makes
// and writes it, readers in this and another process see its bytes, and it
// is gone with its maker.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/posix/posix_monitor.h"
#include "platform/shared_memory.h"
#include "platform/system_error.h"
#include "temporary_root.h"

namespace lt77::testing {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr std::u16string_view kName = u"Global\\BIDI_LT-77 Counter/2";
constexpr DWORD kRecordBytes = 332;

using PosixSharedMemory = TemporaryRootTest;

TEST_F(PosixSharedMemory, ReadersSeeTheWritersBytesUntilTheMakerCloses)
{
    SharedMemory& memory = SystemSharedMemory();
    DWORD error = 0;
    EXPECT_EQ(memory.Open(kName, false, error), nullptr);
    EXPECT_EQ(error, syserr::kFileNotFound);

    auto made = memory.CreateStatusSection(kName, kRecordBytes, error);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(error, 0u);
    // Only the user the host runs as may reach the bytes.
    const std::string object = posix::SharedMemoryObjectNameForTesting(kName);
    struct stat info {};
    ASSERT_EQ(::stat(("/dev/shm" + object).c_str(), &info), 0) << object;
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_size, kRecordBytes);

    auto writer = made->Map(true, kRecordBytes);
    ASSERT_NE(writer, nullptr);
    ASSERT_EQ(writer->Bytes().size(), kRecordBytes);
    const Bytes head{0x10, 0x00, 0x00, 0x0F, 0x03, 0x00, 0x00, 0x00};
    std::memcpy(writer->Bytes().data(), head.data(), head.size());

    auto reader = memory.Open(kName, false, error);
    ASSERT_NE(reader, nullptr);
    SetLastSystemError(0);
    EXPECT_EQ(reader->Map(true, kRecordBytes), nullptr);
    EXPECT_EQ(LastSystemError(), syserr::kAccessDenied);
    // The last page is the section's; the next one is not.
    const auto page = static_cast<DWORD>(::sysconf(_SC_PAGESIZE));
    EXPECT_NE(reader->Map(false, page), nullptr);
    EXPECT_EQ(reader->Map(false, page + 1), nullptr);
    EXPECT_EQ(LastSystemError(), syserr::kAccessDenied);
    auto view = reader->Map(false, kRecordBytes);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Bytes(view->Bytes().begin(), view->Bytes().begin() + 8), head);

    // Another process reads the head and writes a track count back, as the
    // status library does from inside an application.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DWORD childError = 0;
        auto section = SystemSharedMemory().Open(kName, true, childError);
        auto bytes = section ? section->Map(true, kRecordBytes) : nullptr;
        if (bytes == nullptr) ::_exit(2);
        if (std::memcmp(bytes->Bytes().data(), head.data(), head.size()) != 0) ::_exit(3);
        bytes->Bytes()[320] = 7;
        ::_exit(0);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(writer->Bytes()[320], 7);

    made.reset();
    EXPECT_EQ(memory.Open(kName, false, error), nullptr);
    EXPECT_EQ(error, syserr::kFileNotFound);
    // Views already mapped outlive the name.
    EXPECT_EQ(Bytes(view->Bytes().begin(), view->Bytes().begin() + 8), head);
}

}  // namespace
}  // namespace lt77::testing
