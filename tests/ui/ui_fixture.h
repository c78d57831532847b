// A fresh host root per test with one queue made as an installer makes it,
// and a page context over it as a sheet would build one. The UI language and
// the level-2 writes are played by the test; everything else is the host's
// real store.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/driver_paths.h"
#include "common/printer_data_names.h"
#include "common/utf.h"
#include "host/queue_admin.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/form_store.h"
#include "platform/printer_setup.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/spooler.h"
#include "platform/ui_language.h"
#include "ui/page_logic.h"
#include "tests/support/scratch_host_root.h"

namespace lt77::ui::testing {

class TestLanguage final : public UiLanguage {
public:
    WORD current = 0x0409;
    WORD switched = 0;
    WORD Current() override { return current; }
    void SwitchTo(WORD id) override { switched = id; }
    DWORD SystemMajorVersion() override { return 10; }
};

// The host's printer setup, counting level-2 writes and failing them on demand.
class CountingSetup final : public PrinterSetup {
public:
    int sets = 0;
    DWORD failSets = 0;
    DWORD GetLevel2(HANDLE p, PrinterLevel2& out) override { return SystemPrinterSetup().GetLevel2(p, out); }
    DWORD SetLevel2(HANDLE p, const PrinterLevel2& info) override
    {
        ++sets;
        return failSets != 0 ? failSets : SystemPrinterSetup().SetLevel2(p, info);
    }
    DWORD GetDefaultDevMode(HANDLE p, std::u16string_view n, DeviceModeFields& out) override
    {
        return SystemPrinterSetup().GetDefaultDevMode(p, n, out);
    }
    DWORD MergeDevMode(HANDLE p, std::u16string_view n, DeviceModeFields& io) override
    {
        return SystemPrinterSetup().MergeDevMode(p, n, io);
    }
};

class UiTest : public ::testing::Test {
protected:
    static constexpr const char* kQueue = "UiQ";

    void SetUp() override
    {
        root_ = test::MakeScratchHostRoot("ui");
        ASSERT_FALSE(host::CreateQueue(kQueue).has_value());
        core_ = host::OpenCoreQueue(kQueue);
        context_.system = &system_;
        context_.printerName = Utf8ToUtf16(kQueue);
        context_.hPrinter = core_->Handle();
        context_.uiLanguage = language_.current;
    }
    void TearDown() override
    {
        test::RemoveScratchHostRoot(root_);
    }

    void WriteIni(const std::string& bytes)
    {
        const std::filesystem::path path = host::HostPathOf(InstallationFilePath("C:\\Windows"));
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::optional<std::vector<uint8_t>> Data(const char* value)
    {
        PrinterDataValue v;
        if (SystemSpooler().GetData(core_->Handle(), kPropertiesKey, value, 4096, v) != 0) return std::nullopt;
        return v.bytes;
    }
    void SetData(const char* value, std::vector<uint8_t> bytes)
    {
        ASSERT_FALSE(host::SetPrinterData(kQueue, kPropertiesKey, value, PrinterDataValue{REG_BINARY_TYPE, bytes}));
    }
    std::vector<uint8_t> Misc() { return Data(kMiscValue).value_or(std::vector<uint8_t>{}); }
    void SetMiscByte(std::size_t index, uint8_t value)
    {
        auto d = UiDefaultSettings();
        std::vector<uint8_t> bytes = Data(kMiscValue).value_or(std::vector<uint8_t>(d.begin(), d.end()));
        bytes[index] = value;
        SetData(kMiscValue, bytes);
    }
    DeviceModeFields DevMode()
    {
        DeviceModeFields dm;
        EXPECT_EQ(SystemPrinterSetup().GetDefaultDevMode(core_->Handle(), u"UiQ", dm), 0u);
        return dm;
    }

    std::filesystem::path root_;
    std::unique_ptr<host::CoreQueue> core_;
    TestLanguage language_;
    CountingSetup setup_;
    UiSystem system_{SystemSpooler(),   setup_,           SystemFormStore(), SystemProfile(),
                     SystemCodePages(), SystemFileSystem(), language_,        SystemShell(), 10};
    PageContext context_;
};

}  // namespace lt77::ui::testing
