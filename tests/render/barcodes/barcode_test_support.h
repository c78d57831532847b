// Helpers of the barcode and control-code font tests: byte text, files below
// the temporary host root, and the trace lines a test produced.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "render/module_state.h"
#include "render/trace.h"
#include "tests/render/render_test_support.h"

namespace lt77::test {

inline std::vector<uint8_t> Ascii(std::string_view text) { return {text.begin(), text.end()}; }

inline void WriteHostFile(const std::filesystem::path& path, std::string_view bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Collects the trace lines written while it lives: a job is made active so
// that lines are kept, and they are read back from the trace files below the
// temporary host root. Construct it after the TempHostRoot.
class TraceCapture {
public:
    explicit TraceCapture(const std::filesystem::path& root) : folder_(root / "drive_c" / "temp" / "LT-77")
    {
        g_dwJobId = 4242;
        PrepareTraceFolder(ModulePlatform());
    }
    ~TraceCapture()
    {
        g_dwJobId = 0;
        PrepareTraceFolder(ModulePlatform());
    }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::string Text()
    {
        FlushTrace(ModulePlatform());
        std::string text;
        std::error_code ec;
        for (std::filesystem::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
            std::ifstream in(it->path(), std::ios::binary);
            text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return text;
    }
    bool Contains(std::string_view message)
    {
        return Text().find(": " + std::string(message) + " \r\n") != std::string::npos;
    }

private:
    std::filesystem::path folder_;
};

}  // namespace lt77::test
