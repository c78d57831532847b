// A host root of its own for one test, named after the test and the process
// so that runs side by side keep apart, and gone when the test ends.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace lt77::testing {

class TemporaryRootTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::filesystem::temp_directory_path() /
                ("lt77-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                 std::to_string(::getpid()));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
        ::setenv("LT77_HOST_ROOT", root_.c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("LT77_HOST_ROOT");
        std::filesystem::remove_all(root_);
    }

    void WriteFile(const std::filesystem::path& relative, const std::string& text) const
    {
        std::filesystem::create_directories((root_ / relative).parent_path());
        std::ofstream(root_ / relative, std::ios::binary | std::ios::trunc) << text;
    }
    std::string ReadFile(const std::filesystem::path& relative) const
    {
        std::ifstream in(root_ / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path root_;
};

}  // namespace lt77::testing
