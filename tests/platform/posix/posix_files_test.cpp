// The POSIX file system reports failures as the Windows codes the rest of the
// package speaks, both in its results and as the thread's last error. This
// program links the system part of the platform layer alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/files.h"
#include "platform/system_error.h"

namespace lt77 {
namespace {

class PosixFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = std::filesystem::temp_directory_path() /
                ("lt77-posix-files-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "drive_c" / "Windows");
        ::setenv("LT77_HOST_ROOT", root_.c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("LT77_HOST_ROOT");
        std::filesystem::remove_all(root_);
    }
    std::filesystem::path root_;
};

TEST_F(PosixFiles, FailuresCarryWindowsCodes)
{
    FileSystem& files = SystemFileSystem();
    DWORD error = 0;
    bool existed = false;
    // A folder opened as a file: EISDIR (21) on POSIX, access denied on Windows.
    SetLastSystemError(0);
    EXPECT_EQ(files.OpenOrCreate("C:\\Windows", existed, error), nullptr);
    EXPECT_EQ(error, syserr::kAccessDenied);
    EXPECT_EQ(LastSystemError(), syserr::kAccessDenied);

    SetLastSystemError(0);
    EXPECT_FALSE(files.MakeFolder("C:\\Windows\\missing\\LT-77"));
    EXPECT_EQ(LastSystemError(), syserr::kPathNotFound);

    SetLastSystemError(0);
    EXPECT_FALSE(files.RemoveFile("C:\\Windows\\nothing.jnl"));
    EXPECT_EQ(LastSystemError(), syserr::kFileNotFound);

    SetLastSystemError(0);
    EXPECT_EQ(files.OpenForAppend("C:\\Windows\\missing\\x.LOG", error), nullptr);
    EXPECT_EQ(error, syserr::kFileNotFound);
    EXPECT_EQ(LastSystemError(), syserr::kFileNotFound);
}

}  // namespace
}  // namespace lt77
