#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "pe_image.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>

namespace lt77::test_support {
namespace {

std::vector<uint8_t> ReadFileBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::wstring OwnPath()
{
    wchar_t path[MAX_PATH + 1] = {};
    const ::DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    return std::wstring(path, length);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

TEST(PeImage, ListsWhatThisProgramImports)
{
    // This program calls GetModuleFileNameW (above), so kernel32 must list it.
    const auto bytes = ReadFileBytes(OwnPath());
    ASSERT_FALSE(bytes.empty());
    const auto parsed = ParsePeImage(bytes);
    ASSERT_TRUE(std::holds_alternative<PeImage>(parsed)) << std::get<std::string>(parsed);
    const auto& image = std::get<PeImage>(parsed);
    EXPECT_EQ(image.machine, kMachineAmd64);
    bool found = false;
    for (const auto& [library, functions] : image.imports)
        if (Lower(library) == "kernel32.dll")
            found = std::find(functions.begin(), functions.end(), "GetModuleFileNameW") != functions.end();
    EXPECT_TRUE(found);

    // kernel32 is named in any case; what is not allowed is listed.
    EXPECT_EQ(ForeignImports(image, {}).size(), image.imports.size());
    EXPECT_EQ(ForeignImports(image, {"KERNEL32.DLL"}).size(), image.imports.size() - 1);
}

TEST(PeImage, RejectsWhatIsNotAnImage)
{
    const std::vector<uint8_t> empty;
    EXPECT_TRUE(std::holds_alternative<std::string>(ParsePeImage(empty)));
    std::vector<uint8_t> mzOnly(0x40, 0);
    mzOnly[0] = 'M';
    mzOnly[1] = 'Z';
    mzOnly[0x3C] = 0x40;
    EXPECT_EQ(std::get<std::string>(ParsePeImage(mzOnly)), "no PE signature");
}

TEST(PeImage, RejectsATruncatedImage)
{
    auto bytes = ReadFileBytes(OwnPath());
    ASSERT_GT(bytes.size(), 1024u);
    bytes.resize(1024);
    EXPECT_TRUE(std::holds_alternative<std::string>(ParsePeImage(bytes)));
}

}  // namespace
}  // namespace lt77::test_support
