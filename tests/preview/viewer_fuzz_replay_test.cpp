// Replays the kept corpus of the viewers' and the editor's fuzz targets.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fuzz/fuzz_viewer_bodies.h"

namespace lt77::fuzz {
namespace {

void Replay(const char* folder, void (*body)(const uint8_t*, std::size_t))
{
    std::size_t inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(LT77_FUZZ_CORPUS_DIR) / folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(entry.path().string());
        body(bytes.data(), bytes.size());
        ++inputs;
    }
    EXPECT_GT(inputs, 0u) << "the corpus of " << folder << " is empty";
}

TEST(ViewerFuzzCorpus, JobFiles) { Replay("viewer_job", &ViewerJob); }
TEST(ViewerFuzzCorpus, ControlCodeIniFiles) { Replay("editor_ini", &EditorIni); }

}  // namespace
}  // namespace lt77::fuzz
