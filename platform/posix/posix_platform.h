// The POSIX implementation of the platform interfaces: the test host's
// simulated Windows, kept in files below the host root folder.
#pragma once

#include <ctime>

#include "platform/platform.h"

namespace lt77::posix {

class PosixSpooler final : public Spooler {
public:
    std::unique_ptr<QueueHandle> OpenQueue(std::u16string_view name, DWORD access,
                                           DWORD& error) override;
    DWORD GetData(HANDLE printer, std::string_view key, std::string_view value, DWORD maxBytes,
                  PrinterDataValue& out) override;
    DWORD SetData(HANDLE printer, std::string_view key, std::string_view value, DWORD type,
                  std::span<const uint8_t> bytes) override;
    DWORD ReadJob(HANDLE printer, DWORD jobId, JobRecord& out) override;
    DWORD WriteJob(HANDLE printer, const JobRecord& job) override;
    DWORD ReadPrinterInfo(HANDLE printer, PrinterInfo& out) override;
};

class PosixFileSystem final : public FileSystem {
public:
    std::string WindowsFolder() override;
    std::string PrintProcessorFolder() override;
    std::unique_ptr<File> OpenOrCreate(std::string_view path, bool& existed, DWORD& error) override;
    std::unique_ptr<File> OpenForAppend(std::string_view path, DWORD& error) override;
    std::optional<std::vector<uint8_t>> ReadWhole(std::string_view path) override;
    bool MakeFolder(std::string_view path) override;
    bool RemoveFile(std::string_view path) override;
    bool CopyOver(std::string_view from, std::string_view to, DWORD& error) override;
    bool Exists(std::string_view path) override;
    std::vector<FileEntry> ListFolder(std::string_view folder) override;
};

class PosixClock final : public Clock {
public:
    LocalTime Now() override;
};

class PosixShell final : public Shell {
public:
    intptr_t Open(std::string_view program, std::u16string_view parameters,
                  std::string_view workingFolder, DWORD& error) override;
};

class PosixProfile final : public Profile {
public:
    std::optional<std::u16string> ReadString(std::string_view file, std::string_view section,
                                             std::string_view key, DWORD maxChars,
                                             DWORD& error) override;
};

class PosixCodePages final : public CodePages {
public:
    unsigned AnsiCodePage() override;
    std::string FromWide(unsigned codePage, std::u16string_view text) override;
    std::u16string ToWide(unsigned codePage, std::string_view bytes) override;
};

// Palettes are plain records that the host and the plug-in both read.
struct PosixPalette {
    static constexpr uint32_t kTag = 0x4C41504Cu;  // "LPAL"
    uint32_t tag = kTag;
    uint32_t count = 0;
    bool bgr = false;
    PaletteEntry entries[256] = {};
};

// A font object as the test host's graphics engine hands it over: the
// public record first, then what the engine's own functions would answer
// (its public fields are read from the record itself).
struct HostFont {
    static constexpr uint32_t kTag = 0x544E4F46u;  // "FONT"
    FONTOBJ fo{};
    uint32_t tag = kTag;
    FontDetails details;
};

class PosixGraphicsEngine final : public GraphicsEngine {
public:
    HPALETTE CreateBgrPalette() override;
    std::optional<std::array<PaletteEntry, 256>> ReadPalette(HPALETTE palette) override;
    std::optional<FontDetails> DescribeFont(FONTOBJ* font) override;
    std::optional<StringDetails> DescribeString(STROBJ* string) override;
};

class PosixTextRasterizer final : public TextRasterizer {
public:
    std::optional<TextMask> Render(const FontDescription& font, std::u16string_view text, std::string& error) override;
};

LocalTime ToLocalTime(std::time_t seconds, long milliseconds);

}  // namespace lt77::posix
