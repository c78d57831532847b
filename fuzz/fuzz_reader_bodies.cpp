#include "fuzz/fuzz_reader_bodies.h"

#include <string>
#include <string_view>
#include <vector>

#include "common/command_notation.h"
#include "common/ini_file.h"
#include "common/installation_file.h"
#include "platform/typed_value.h"

#if !defined(_WIN32)
#include "platform/posix/queue_store.h"
#include "platform/posix/store_file.h"
#endif

namespace lt77::fuzz {
namespace {

std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty() && lines.size() < 64) {
        const auto end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::u16string Latin1(std::string_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

void IniReader(const uint8_t* data, std::size_t size)
{
    const IniDocument doc = IniDocument::FromBytes(std::span(data, size), &Latin1);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (std::string_view line : Lines(text)) {
        // "[name]" lines name sections; any line may be one too.
        if (line.size() >= 2 && line.front() == '[') line = line.substr(1, line.find(']') - 1);
        const std::u16string section = Latin1(line);
        const bool has = doc.HasSection(section);
        const auto keys = doc.Keys(section);
        if (!has && !keys.empty()) __builtin_trap();
        for (const auto& key : keys) {
            // Every key a section lists can be read.
            const auto value = doc.Value(section, key);
            if (!value) __builtin_trap();
            DecimalTextToInt(*value);
        }
    }
}

void CommandNotation(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<uint8_t> bytes = DecodeCommandNotation(text);
    if (bytes.size() > kCommandNotationMaxBytes) __builtin_trap();
    for (const std::size_t capacity : {kCommandNotationDisplayChars, std::size_t{1024}}) {
        const auto shown = EncodeCommandNotation(bytes, capacity);
        if (!shown) continue;
        if (shown->size() + 1 > capacity) __builtin_trap();
        // What the page shows reads back as the bytes it came from.
        if (DecodeCommandNotation(*shown) != bytes) __builtin_trap();
    }
}

void QueueStore(const uint8_t* data, std::size_t size)
{
#if defined(_WIN32)
    (void)data;
    (void)size;
#else
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto parsed = posix::StoreFile::Parse(text, "fuzz.ini");
    auto* file = std::get_if<posix::StoreFile>(&parsed);
    if (file == nullptr) return;
    posix::QueueAttributes(*file);
    for (const auto& section : file->Sections()) {
        for (const auto& key : file->Keys(section)) {
            const auto value = file->Get(section, key);
            if (!value) __builtin_trap();
            const auto decoded = DecodeTypedValue(*value);
            if (const auto* v = std::get_if<PrinterDataValue>(&decoded)) {
                // A value the host writes back reads as the same value.
                const auto again = DecodeTypedValue(EncodeTypedValue(*v));
                const auto* w = std::get_if<PrinterDataValue>(&again);
                if (w == nullptr || w->type != v->type || w->bytes != v->bytes) __builtin_trap();
            }
        }
    }
    // The file as the host saves it reads back with the same entries.
    auto reparsed = posix::StoreFile::Parse(file->Serialize(), "fuzz-saved.ini");
    auto* saved = std::get_if<posix::StoreFile>(&reparsed);
    if (saved == nullptr) __builtin_trap();
    for (const auto& section : file->Sections())
        for (const auto& key : file->Keys(section))
            if (saved->Get(section, key) != file->Get(section, key)) __builtin_trap();
#endif
}

}  // namespace lt77::fuzz
