#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>

namespace lt77::win32 {
namespace {

std::span<const uint8_t> Bytes(std::string_view text)
{
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Each case works in a folder of its own below the temporary folder.
class Win32FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH + 1] = {};
        const ::DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
        ASSERT_GT(length, 0u);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = JoinPath(Utf8FromWide(std::wstring_view(temp, length)),
                           std::string("lt77-files-") + info->name() + "-" + std::to_string(::GetCurrentProcessId()));
        ASSERT_TRUE(files_.MakeFolder(folder_));
    }
    void TearDown() override
    {
        for (const auto& e : files_.ListFolder(folder_)) {
            if (e.isFolder)
                ::RemoveDirectoryW(WideFromUtf8(JoinPath(folder_, e.name)).c_str());
            else
                files_.RemoveFile(JoinPath(folder_, e.name));
        }
        ::RemoveDirectoryW(WideFromUtf8(folder_).c_str());
    }
    std::string Path(std::string_view name) const { return JoinPath(folder_, name); }
    void CreateWithText(std::string_view name, std::string_view text)
    {
        bool existed = false;
        DWORD error = 0;
        auto file = files_.OpenOrCreate(Path(name), existed, error);
        ASSERT_NE(file, nullptr) << "error " << error;
        ASSERT_EQ(file->Write(Bytes(text)), text.size());
    }

    Win32FileSystem files_;
    std::string folder_;
};

TEST_F(Win32FilesTest, OpenOrCreateTellsWhetherTheFileExisted)
{
    bool existed = true;
    DWORD error = 1;
    {
        auto file = files_.OpenOrCreate(Path("a.jnl"), existed, error);
        ASSERT_NE(file, nullptr);
        EXPECT_FALSE(existed);
        EXPECT_EQ(error, 0u);
        EXPECT_EQ(file->Write(Bytes("journal")), 7u);
    }
    auto again = files_.OpenOrCreate(Path("a.jnl"), existed, error);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(existed);
    EXPECT_EQ(again->SeekToEnd(), std::optional<uint64_t>(7));
}

TEST_F(Win32FilesTest, SecondOpenerOfAnOpenFileGetsSharingViolation)
{
    bool existed = false;
    DWORD error = 0;
    auto first = files_.OpenOrCreate(Path("a.jnl"), existed, error);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(files_.OpenOrCreate(Path("a.jnl"), existed, error), nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

TEST_F(Win32FilesTest, ReadsBackWhatWasWrittenAfterSeekingToStart)
{
    bool existed = false;
    DWORD error = 0;
    auto file = files_.OpenOrCreate(Path("a.bin"), existed, error);
    ASSERT_NE(file, nullptr);
    const std::vector<uint8_t> written = {0x1B, 0x40, 0x00, 0xFF, 0x0A};
    ASSERT_EQ(file->Write(written), 5u);
    ASSERT_TRUE(file->SeekToStart());
    std::vector<uint8_t> read(8, 0xEE);
    EXPECT_EQ(file->Read(read), std::optional<DWORD>(5));
    EXPECT_EQ(std::vector<uint8_t>(read.begin(), read.begin() + 5), written);
    EXPECT_EQ(file->Read(read), std::optional<DWORD>(0));
}

TEST_F(Win32FilesTest, AppendKeepsWhatWasThere)
{
    CreateWithText("trace.log", "first\r\n");
    DWORD error = 1;
    {
        auto file = files_.OpenForAppend(Path("trace.log"), error);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(error, 0u);
        EXPECT_EQ(file->Write(Bytes("second\r\n")), 8u);
    }
    const auto whole = files_.ReadWhole(Path("trace.log"));
    ASSERT_TRUE(whole.has_value());
    EXPECT_EQ(std::string(whole->begin(), whole->end()), "first\r\nsecond\r\n");
}

TEST_F(Win32FilesTest, AppendCreatesAMissingFile)
{
    DWORD error = 1;
    auto file = files_.OpenForAppend(Path("new.log"), error);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(files_.Exists(Path("new.log")));
}

TEST_F(Win32FilesTest, ReadWholeOfMissingFileIsEmptyHanded)
{
    EXPECT_FALSE(files_.ReadWhole(Path("missing.bin")).has_value());
}

TEST_F(Win32FilesTest, ReadWholeOfEmptyFileIsEmpty)
{
    CreateWithText("empty.bin", "");
    const auto whole = files_.ReadWhole(Path("empty.bin"));
    ASSERT_TRUE(whole.has_value());
    EXPECT_TRUE(whole->empty());
}

TEST_F(Win32FilesTest, MakeFolderSucceedsTwiceButNotBelowAMissingFolder)
{
    EXPECT_TRUE(files_.MakeFolder(Path("sub")));
    EXPECT_TRUE(files_.MakeFolder(Path("sub")));
    EXPECT_FALSE(files_.MakeFolder(Path("missing\\sub")));
    CreateWithText("plain", "x");
    EXPECT_FALSE(files_.MakeFolder(Path("plain")));
}

TEST_F(Win32FilesTest, RemoveFileRemovesOnlyWhatExists)
{
    CreateWithText("a.bmp", "BM");
    EXPECT_TRUE(files_.RemoveFile(Path("a.bmp")));
    EXPECT_FALSE(files_.Exists(Path("a.bmp")));
    EXPECT_FALSE(files_.RemoveFile(Path("a.bmp")));
}

TEST_F(Win32FilesTest, CopyOverReplacesTheTarget)
{
    CreateWithText("from.bin", "new contents");
    CreateWithText("to.bin", "old");
    DWORD error = 1;
    ASSERT_TRUE(files_.CopyOver(Path("from.bin"), Path("to.bin"), error));
    EXPECT_EQ(error, 0u);
    const auto copied = files_.ReadWhole(Path("to.bin"));
    ASSERT_TRUE(copied.has_value());
    EXPECT_EQ(std::string(copied->begin(), copied->end()), "new contents");
}

TEST_F(Win32FilesTest, CopyOverFromMissingFileReportsFileNotFound)
{
    DWORD error = 0;
    EXPECT_FALSE(files_.CopyOver(Path("missing.bin"), Path("to.bin"), error));
    EXPECT_EQ(error, syserr::kFileNotFound);
}

TEST_F(Win32FilesTest, ListFolderGivesNamesSizesAndKinds)
{
    CreateWithText("LT-77_0102_00001_OEMUNI.LOG", "12345");
    ASSERT_TRUE(files_.MakeFolder(Path("sub")));
    auto entries = files_.ListFolder(folder_);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "LT-77_0102_00001_OEMUNI.LOG");
    EXPECT_EQ(entries[0].size, 5u);
    EXPECT_FALSE(entries[0].isFolder);
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    EXPECT_EQ(entries[0].lastWrite.year, now.wYear);
    EXPECT_EQ(entries[1].name, "sub");
    EXPECT_TRUE(entries[1].isFolder);
}

TEST_F(Win32FilesTest, ListFolderOfMissingFolderIsEmpty)
{
    EXPECT_TRUE(files_.ListFolder(Path("missing")).empty());
}

TEST_F(Win32FilesTest, NonAsciiNamesRoundTripAsUtf8)
{
    const std::string name = "Quittung Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC.bin";
    CreateWithText(name, "x");
    EXPECT_TRUE(files_.Exists(Path(name)));
    const auto entries = files_.ListFolder(folder_);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, name);
}

TEST_F(Win32FilesTest, WindowsFolderIsAnExistingFolderOnADrive)
{
    const std::string windows = files_.WindowsFolder();
    ASSERT_GE(windows.size(), 3u);
    EXPECT_EQ(windows.substr(1, 2), ":\\");
    EXPECT_TRUE(files_.Exists(windows));
}

TEST_F(Win32FilesTest, PrintProcessorFolderIsTheSpoolersAndExists)
{
    const std::string folder = files_.PrintProcessorFolder();
    std::string lower = folder;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_TRUE(lower.ends_with("\\spool\\prtprocs\\x64")) << folder;
    EXPECT_TRUE(files_.Exists(folder));
}

}  // namespace
}  // namespace lt77::win32
