// A host root of its own for one test: a fresh folder named after the
// running test and the process, so that test programs run side by side keep
// apart, with LT77_HOST_ROOT pointing at it while the test runs.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/process.h"

namespace lt77::test {

// Makes the folder, and the folders named below it, and points
// LT77_HOST_ROOT at it. kind keeps one program's folders apart from another's.
inline std::filesystem::path MakeScratchHostRoot(std::string_view kind,
                                                 std::initializer_list<std::string_view> folders = {})
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string test = std::string(info->test_suite_name()) + "-" + info->name();
    // Parameterised tests' names hold slashes.
    std::replace(test.begin(), test.end(), '/', '_');
    // Socket paths below the root must stay within the system's 108 bytes: a
    // long name is cut, with a hash of the whole to keep it apart.
    constexpr std::size_t kMostChars = 40;
    if (test.size() > kMostChars) {
        const std::string hash = std::to_string(std::hash<std::string>{}(test) % 1000000);
        test = test.substr(0, kMostChars - hash.size() - 1) + "~" + hash;
    }
    const std::string name = "lt77-" + std::string(kind) + "-" + std::to_string(CurrentProcessId()) + "-" + test;
    const std::filesystem::path root = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    for (const std::string_view folder : folders) std::filesystem::create_directories(root / folder);
    SetProcessEnvironment("LT77_HOST_ROOT", root.string());
    return root;
}

// Unsets LT77_HOST_ROOT and removes the folder, unless keep: a failed
// test's files are its evidence.
inline void RemoveScratchHostRoot(const std::filesystem::path& root, bool keep = false)
{
    UnsetProcessEnvironment("LT77_HOST_ROOT");
    std::error_code ec;
    if (!keep) std::filesystem::remove_all(root, ec);
}

}  // namespace lt77::test
