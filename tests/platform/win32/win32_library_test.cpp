#include <gtest/gtest.h>

#include "platform/library.h"

#include <windows.h>

namespace lt77 {
namespace {

TEST(Win32Library, FindsAnExportOfASystemLibrary)
{
    std::string error;
    auto library = LoadSharedLibrary("kernel32.dll", error);
    ASSERT_NE(library, nullptr) << error;
    void* symbol = library->Symbol("GetTickCount");
    EXPECT_NE(symbol, nullptr);
    EXPECT_EQ(symbol, reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetTickCount")));
    EXPECT_EQ(library->Symbol("LT77NoSuchExport"), nullptr);
}

TEST(Win32Library, MissingLibraryIsReportedWithTheSystemError)
{
    std::string error;
    EXPECT_EQ(LoadSharedLibrary("lt77-no-such-library.dll", error), nullptr);
    EXPECT_NE(error.find("error 126"), std::string::npos) << error;
}

}  // namespace
}  // namespace lt77
