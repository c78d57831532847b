// The POSIX file system reports failures as the Windows codes the rest of the
// package speaks, both in its results and as the thread's last error. This
// program links the system part of the platform layer alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/files.h"
#include "platform/system_error.h"
#include "tests/support/scratch_host_root.h"

namespace lt77 {
namespace {

class PosixFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = test::MakeScratchHostRoot("posix-files", {"drive_c/Windows"});
    }
    void TearDown() override { test::RemoveScratchHostRoot(root_); }
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
