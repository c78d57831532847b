// A host root of its own for one test, named after the test and the process
// so that runs side by side keep apart, and gone when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/scratch_host_root.h"

namespace lt77::testing {

class TemporaryRootTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = test::MakeScratchHostRoot("posix");
    }
    void TearDown() override { test::RemoveScratchHostRoot(root_); }

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
