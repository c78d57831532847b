// The Windows implementation of the platform interfaces. This header
// includes no Windows header: the portable declarations (platform/oem) and
// <windows.h> define several of the same names, so each .cpp here includes
// ours first and the system's after.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/win32/engine_functions.h"

namespace lt77::win32 {

class Win32Spooler final : public Spooler {
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

// The fields of a PRINTER_INFO_2W the spooler filled (GetPrinter or
// EnumPrinters level 2), copied out of its buffer.
PrinterInfo PrinterInfoFromLevel2(const void* level2);

class Win32FileSystem final : public FileSystem {
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

class Win32Clock final : public Clock {
public:
    LocalTime Now() override;
};

class Win32Shell final : public Shell {
public:
    intptr_t Open(std::string_view program, std::u16string_view parameters,
                  std::string_view workingFolder, DWORD& error) override;
};

class Win32Profile final : public Profile {
public:
    std::optional<std::u16string> ReadString(std::string_view file, std::string_view section,
                                             std::string_view key, DWORD maxChars,
                                             DWORD& error) override;
};

class Win32CodePages final : public CodePages {
public:
    unsigned AnsiCodePage() override;
    std::string FromWide(unsigned codePage, std::u16string_view text) override;
    std::u16string ToWide(unsigned codePage, std::string_view bytes) override;
};

// Works with whatever engine functions it is given: the system's, resolved
// when first needed, or a test's.
class Win32GraphicsEngine final : public GraphicsEngine {
public:
    explicit Win32GraphicsEngine(const EngineFunctions& (*functions)() = &SystemEngineFunctions)
        : functions_(functions)
    {
    }
    HPALETTE CreateBgrPalette() override;
    std::optional<std::array<PaletteEntry, 256>> ReadPalette(HPALETTE palette) override;
    std::optional<FontDetails> DescribeFont(FONTOBJ* font) override;
    std::optional<StringDetails> DescribeString(STROBJ* string) override;

private:
    const EngineFunctions& (*functions_)();
};

// Text drawn by GDI into a monochrome bitmap.
class Win32TextRasterizer final : public TextRasterizer {
public:
    std::optional<TextMask> Render(const FontDescription& font, std::u16string_view text,
                                   std::string& error) override;
};

// Wine's spooler (verified with 8.0) ignores the record passed to SetJob
// levels 1 and 2 and, for level 2, crashes the calling process.
bool SpoolerCannotWriteJobRecords();

}  // namespace lt77::win32
