// A fresh host root per test: its own queues, Windows drive and trace
// folder, and the plug-in loaded through its exports.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/settings.h"
#include "common/utf.h"
#include "host/device_context.h"
#include "host/job_runner.h"
#include "host/page_canvas.h"
#include "host/plugin_host.h"
#include "host/queue_admin.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "tests/support/scratch_host_root.h"

namespace lt77::host::testing {

inline std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
}

inline std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadFileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class HostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = test::MakeScratchHostRoot("host");
        // Below a POSIX host root these start empty anyway; on Windows they
        // are the machine's own folders, shared by every test.
        std::error_code ec;
        for (const char* folder : {"C:\\Windows\\LT-77", "C:\\temp\\LT-77"})
            std::filesystem::remove_all(HostPathOf(folder), ec);
        std::filesystem::remove(HostPathOf(JoinPath(SystemPlatform().files.PrintProcessorFolder(), "LT77.INI")), ec);
        ASSERT_FALSE(CreateQueue(queue_).has_value());
    }

    void TearDown() override
    {
        plugin_.reset();
        test::RemoveScratchHostRoot(root_, HasFailure());
    }

    // Loads the plug-in; a private copy of the library gives a module whose
    // state no earlier test has touched.
    LoadedPlugin& Plugin(bool privateCopy = false)
    {
        if (!plugin_) {
            std::string path = DefaultPluginPath();
            if (privateCopy) {
                const auto copy = root_ / "unilt77-copy.so";
                std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
                path = copy.string();
            }
            std::string error;
            plugin_ = LoadedPlugin::Load(path, error);
            if (!plugin_) ADD_FAILURE() << error;
        }
        return *plugin_;
    }

    void SetSettings(const std::vector<std::pair<std::size_t, uint8_t>>& changes)
    {
        const auto& d = DefaultSettings();
        std::vector<uint8_t> misc(d.begin(), d.end());
        for (auto [index, value] : changes) misc[index] = value;
        SetValue("MISC", misc);
    }

    void SetValue(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        ASSERT_FALSE(SetPrinterData(queue_, "PrinterDriverData\\Properties", name,
                                    PrinterDataValue{REG_BINARY_TYPE, bytes})
                         .has_value());
    }

    // Writes the installation file in the driver's data folder.
    void WriteInstallationFile(const std::string& text)
    {
        const std::filesystem::path path = HostPathOf("C:\\Windows\\LT-77\\InstallConfig_LT77.INI");
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    // For tests that read back what the plug-in wrote into the job record.
    bool NeedJobRecords()
    {
        return HostSpoolerKeepsJobRecords();
    }

    JobResult Run(JobRequest request)
    {
        request.queue = queue_;
        return RunJob(Plugin(), request);
    }

    // A page with a black bar in rows [top, bottom) of a 576 x height page.
    static std::function<void(DeviceContext&, int)> BarPage(int32_t height, int32_t top, int32_t bottom)
    {
        return [=](DeviceContext& dc, int) {
            PageCanvas canvas(576, height, 1);
            canvas.FillRect(0, top, 576, bottom, 0);
            canvas.SendBands(dc, 64);
        };
    }

    std::filesystem::path DataFolder() const { return HostPathOf("C:\\Windows\\LT-77"); }
    std::filesystem::path TraceFolder() const { return HostPathOf("C:\\temp\\LT-77"); }

    std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder, const std::string& ext) const
    {
        std::vector<std::filesystem::path> out;
        std::error_code ec;
        for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            if (ext.empty() || it->path().extension() == ext) out.push_back(it->path());
        std::sort(out.begin(), out.end());
        return out;
    }

    std::filesystem::path root_;
    std::string queue_ = "LT-77 Test";
    std::unique_ptr<LoadedPlugin> plugin_;
};

}  // namespace lt77::host::testing
