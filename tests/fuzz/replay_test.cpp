// Replays the fuzz corpus kept in the repository: every input a fuzzer
// found interesting stays a regression test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fuzz/fuzz_bodies.h"
#include "fuzz/fuzz_reader_bodies.h"

#ifndef LT77_FUZZ_CORPUS_DIR
#define LT77_FUZZ_CORPUS_DIR "fuzz/corpus"
#endif

namespace lt77::fuzz {
namespace {

void Replay(const char* folder, void (*body)(const uint8_t*, std::size_t))
{
    const std::filesystem::path dir = std::filesystem::path(LT77_FUZZ_CORPUS_DIR) / folder;
    std::size_t inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(entry.path().string());
        body(bytes.data(), bytes.size());
        ++inputs;
    }
    EXPECT_GT(inputs, 0u) << "the corpus of " << folder << " is empty";
}

TEST(FuzzCorpus, CapturedTextRecords) { Replay("text_records", &TextRecords); }
TEST(FuzzCorpus, TextKeyDefinitions) { Replay("text_keys", &TextKeys); }
TEST(FuzzCorpus, ControlCodeIni) { Replay("control_ini", &ControlIni); }
TEST(FuzzCorpus, PrinterStreams) { Replay("stream_renderer", &StreamRenderer); }
TEST(FuzzCorpus, BitmapFiles) { Replay("bitmap_file", &BitmapFile); }
TEST(FuzzCorpus, PrinterDataValues) { Replay("printer_data", &PrinterData); }
TEST(FuzzCorpus, IniFiles) { Replay("ini_file", &IniReader); }
TEST(FuzzCorpus, CommandNotation) { Replay("command_notation", &CommandNotation); }
TEST(FuzzCorpus, StatusBlocks) { Replay("status_block", &StatusBlock); }
TEST(FuzzCorpus, SharedStatusRecords) { Replay("shared_record", &SharedRecord); }
#if !defined(_WIN32)
TEST(FuzzCorpus, QueueStoreFiles) { Replay("queue_store", &QueueStore); }
#endif

}  // namespace
}  // namespace lt77::fuzz
