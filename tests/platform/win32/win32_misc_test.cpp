#include <gtest/gtest.h>

#include <ctime>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>

namespace lt77::win32 {
namespace {

std::string TempPath(std::string_view name)
{
    wchar_t temp[MAX_PATH + 1] = {};
    const ::DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    return JoinPath(Utf8FromWide(std::wstring_view(temp, length)),
                    std::string(name) + "-" + std::to_string(::GetCurrentProcessId()));
}

class Win32ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = TempPath("lt77-profile.ini");
        const std::string text = "[LT77]\r\nPort=COM1\r\nLong=ABCDEFGHIJ\r\nEmpty=\r\n[Other]\r\nKey=1\r\n";
        Win32FileSystem files;
        files.RemoveFile(path_);
        bool existed = false;
        DWORD error = 0;
        auto file = files.OpenOrCreate(path_, existed, error);
        ASSERT_NE(file, nullptr);
        file->Write({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    }
    void TearDown() override { Win32FileSystem().RemoveFile(path_); }

    std::string path_;
    Win32Profile profile_;
};

TEST_F(Win32ProfileTest, ReadsValuesAndCutsThemToTheBuffer)
{
    struct Row {
        const char* key;
        DWORD maxChars;
        std::u16string expected;
    };
    const Row rows[] = {
        {"Port", 255, u"COM1"},
        {"Long", 255, u"ABCDEFGHIJ"},
        {"Long", 5, u"ABCD"},
        {"Long", 1, u""},
        {"Empty", 255, u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.key) + "/" + std::to_string(row.maxChars));
        DWORD error = 1;
        const auto value = profile_.ReadString(path_, "LT77", row.key, row.maxChars, error);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(*value, row.expected);
        EXPECT_EQ(error, 0u);
    }
}

TEST_F(Win32ProfileTest, MissingKeySectionOrFileIsNotFound)
{
    struct Row {
        const char* name;
        std::string file;
        const char* section;
        const char* key;
    };
    const Row rows[] = {
        {"key", path_, "LT77", "Missing"},
        {"section", path_, "Missing", "Port"},
        {"file", TempPath("lt77-missing.ini"), "LT77", "Port"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DWORD error = 0;
        EXPECT_FALSE(profile_.ReadString(row.file, row.section, row.key, 255, error).has_value());
        EXPECT_EQ(error, syserr::kFileNotFound);
    }
}

TEST(Win32CodePages, ConvertsBothWaysInNamedCodePages)
{
    struct Row {
        const char* name;
        unsigned codePage;
        std::u16string wide;
        std::string bytes;
    };
    const Row rows[] = {
        {"western", 1252, u"Gr\u00FC\u00DFe \u20AC", "Gr\xFC\xDF" "e \x80"},
        {"japanese", 932, u"\u65E5\u672C", "\x93\xFA\x96\x7B"},
        {"utf-8", 65001, u"\u00E9", "\xC3\xA9"},
        {"empty", 1252, u"", ""},
    };
    Win32CodePages cp;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(cp.FromWide(row.codePage, row.wide), row.bytes);
        EXPECT_EQ(cp.ToWide(row.codePage, row.bytes), row.wide);
    }
}

TEST(Win32CodePages, CharacterTheCodePageLacksBecomesQuestionMark)
{
    Win32CodePages cp;
    EXPECT_EQ(cp.FromWide(1252, u"A\u4E2DB"), "A?B");
}

TEST(Win32CodePages, SystemAnsiMeansTheAnsiCodePage)
{
    Win32CodePages cp;
    const std::u16string text = u"Receipt \u00E9\u20AC\u4E2D";
    EXPECT_EQ(cp.FromWide(CP_SYSTEM_ANSI, text), cp.FromWide(cp.AnsiCodePage(), text));
}

TEST(Win32Clock, NowAgreesWithTheCRuntime)
{
    const std::time_t before = std::time(nullptr);
    const LocalTime now = Win32Clock().Now();
    std::tm expected{};
    localtime_s(&expected, &before);
    EXPECT_EQ(now.year, expected.tm_year + 1900);
    EXPECT_EQ(now.month, expected.tm_mon + 1);
    EXPECT_EQ(now.day, expected.tm_mday);
    EXPECT_EQ(now.dayOfWeek, expected.tm_wday);
    const int secondsApart = (now.hour * 3600 + now.minute * 60 + now.second) -
                             (expected.tm_hour * 3600 + expected.tm_min * 60 + expected.tm_sec);
    EXPECT_LE(std::abs(secondsApart), 2);
    EXPECT_LT(now.milliseconds, 1000);
}

TEST(Win32Shell, StartsAProgramThatExists)
{
    wchar_t system[MAX_PATH + 1] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH + 1);
    DWORD error = 1;
    const intptr_t result =
        Win32Shell().Open("cmd.exe", u"/c exit 0", Utf8FromWide(std::wstring_view(system, length)), error);
    EXPECT_GT(result, 32);
    EXPECT_EQ(error, 0u);
}

TEST(Win32Shell, MissingProgramIsReportedNotStarted)
{
    DWORD error = 0;
    const intptr_t result = Win32Shell().Open("lt77-no-such-program.exe", u"", "C:\\", error);
    EXPECT_LE(result, 32);
    EXPECT_NE(error, 0u);
}

TEST(Win32Errors, LastSystemErrorIsTheThreadsLastError)
{
    SetLastSystemError(1234);
    EXPECT_EQ(::GetLastError(), 1234u);
    ::SetLastError(ERROR_MORE_DATA);
    EXPECT_EQ(LastSystemError(), syserr::kMoreData);
}

TEST(Win32Platform, SystemPlatformUsesTheWindowsImplementations)
{
    Platform& platform = SystemPlatform();
    EXPECT_NE(dynamic_cast<Win32Spooler*>(&platform.spooler), nullptr);
    EXPECT_NE(dynamic_cast<Win32FileSystem*>(&platform.files), nullptr);
    EXPECT_NE(dynamic_cast<Win32GraphicsEngine*>(&platform.engine), nullptr);
}

}  // namespace
}  // namespace lt77::win32
