// Helpers shared by the rendering plug-in's unit tests: the host's driver
// core, which plays the spooler and answers option queries, a device object
// around a record the test owns, and hex text for byte expectations.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/ximage/ximage.h"
#include "host/host_core.h"
#include "platform/oem/com.h"
#include "render/command_buffer.h"
#include "render/device_record.h"
#include "render/job_commands.h"
#include "render/job_outputs.h"

namespace lt77::test {

#if defined(_WIN32)
// The Windows platform uses the machine's own folders and print queues.
inline constexpr bool kHostRootMapsPaths = false;
inline void SetHostRootVariable(const char*) {}
inline void ClearHostRootVariable() {}
#else
inline constexpr bool kHostRootMapsPaths = true;
inline void SetHostRootVariable(const char* value) { ::setenv("LT77_HOST_ROOT", value, 1); }
inline void ClearHostRootVariable() { ::unsetenv("LT77_HOST_ROOT"); }
#endif

// "1B 40 0A" -> {0x1B, 0x40, 0x0A}; blanks are ignored.
inline std::vector<uint8_t> Bytes(std::string_view hex)
{
    std::vector<uint8_t> out;
    std::string digits;
    for (char c : hex)
        if (c != ' ') digits.push_back(c);
    EXPECT_EQ(digits.size() % 2, 0u) << "odd hex literal: " << hex;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return out;
}

// Upper-case pairs separated by one blank, so failures print readably.
inline std::string Hex(std::span<const uint8_t> bytes)
{
    std::string out;
    char pair[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(pair, sizeof(pair), "%02X", bytes[i]);
        if (i != 0) out.push_back(' ');
        out += pair;
    }
    return out;
}

inline std::string Repeat(std::string_view hex, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i) {
        if (!out.empty()) out.push_back(' ');
        out += hex;
    }
    return out;
}

// The driver core as the plug-in sees it: the host's, whose spooler may take
// fewer bytes than offered, fail, or stall.
using FakeCore = host::HostCore;

// Settings a queue has when nothing was configured.
inline UIInfo DefaultUIInfo()
{
    UIInfo ui{};
    const auto& defaults = DefaultSettings();
    std::copy(defaults.begin(), defaults.end(), ui.byteValue);
    return ui;
}

inline void SetUserString(uint8_t* field, uint32_t& length, std::string_view text)
{
    std::memcpy(field, text.data(), text.size());
    length = static_cast<uint32_t>(text.size());
}

// A device object whose record the test owns, the command buffer and the job
// outputs of one plug-in object, wired into a JobContext.
struct JobFixture {
    OemPDEV pdev;
    DEVOBJ devobj{};
    FakeCore core;
    CommandBuffer buffer;
    JobOutputs outputs;
    JobContext job;

    explicit JobFixture(Platform& platform)
        : outputs(platform), job{&devobj, pdev, &core, buffer, outputs}
    {
        devobj.dwSize = sizeof(DEVOBJ);
        devobj.pdevOEM = &pdev;
        pdev.m_UIInfo = DefaultUIInfo();
    }
};

// Points the POSIX platform's "C:\..." paths and print queues at a fresh
// folder for one test and puts the previous root back afterwards. Tests that
// use it skip when kHostRootMapsPaths is false.
class TempHostRoot {
public:
    TempHostRoot()
    {
        const char* previous = std::getenv("LT77_HOST_ROOT");
        if (previous != nullptr) previous_ = previous;
        hadPrevious_ = previous != nullptr;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::filesystem::temp_directory_path() /
                ("lt77_render_test_" + std::string(info->test_suite_name()) + "_" + info->name());
        std::filesystem::remove_all(root_);
        // The plug-in makes only the data folder; the Windows folder is the system's.
        std::filesystem::create_directories(root_ / "drive_c" / "Windows");
        SetHostRootVariable(root_.string().c_str());
    }
    ~TempHostRoot()
    {
        if (hadPrevious_)
            SetHostRootVariable(previous_.c_str());
        else
            ClearHostRootVariable();
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    TempHostRoot(const TempHostRoot&) = delete;
    TempHostRoot& operator=(const TempHostRoot&) = delete;

    const std::filesystem::path& Root() const { return root_; }

private:
    std::filesystem::path root_;
    std::string previous_;
    bool hadPrevious_ = false;
};

constexpr RgbQuad kBlack{0, 0, 0, 0};
constexpr RgbQuad kWhite{255, 255, 255, 0};

inline RgbQuad Grey(uint8_t v) { return RgbQuad{v, v, v, 0}; }

// A 24-bit image of the given size, all white.
inline CxImage WhiteImage(int32_t widthDots, int32_t rows)
{
    CxImage image;
    EXPECT_TRUE(image.Create(widthDots, rows, 24));
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < widthDots; ++x) image.SetPixelColor(x, y, kWhite);
    return image;
}

}  // namespace lt77::test
