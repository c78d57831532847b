// Files and folders. Paths are Windows paths ("C:\Windows\LT-77\x.jnl") in
// UTF-8 on every target; the POSIX implementation maps them below the test
// host's root folder, so the code that builds them is the same everywhere.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/driver_paths.h"
#include "platform/clock.h"
#include "platform/oem/abi_types.h"

namespace lt77 {

class File {
public:
    virtual ~File() = default;
    // Returns the bytes written; fewer than offered means a write error.
    virtual DWORD Write(std::span<const uint8_t> bytes) = 0;
    // Reads up to out.size() bytes from the current position.
    virtual std::optional<DWORD> Read(std::span<uint8_t> out) = 0;
    // Moves to the end and returns the new position (the file size).
    virtual std::optional<uint64_t> SeekToEnd() = 0;
    virtual bool SeekToStart() = 0;
};

struct FileEntry {
    std::string name;  // without the folder
    uint64_t size = 0;
    LocalTime lastWrite;
    bool isFolder = false;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The Windows folder, for example "C:\Windows".
    virtual std::string WindowsFolder() = 0;
    // The spooler's print-processor folder of the local server for this
    // machine's environment, for example
    // "C:\Windows\System32\spool\prtprocs\x64"; empty (with the system
    // error set) when the spooler cannot say.
    virtual std::string PrintProcessorFolder() = 0;

    // Opens for reading and writing, not shared; creates the file when missing.
    // `existed` tells which happened. Null with `error` set on failure.
    virtual std::unique_ptr<File> OpenOrCreate(std::string_view path, bool& existed,
                                               DWORD& error) = 0;
    // Opens for writing at the end; creates the file when missing.
    virtual std::unique_ptr<File> OpenForAppend(std::string_view path, DWORD& error) = 0;
    virtual std::optional<std::vector<uint8_t>> ReadWhole(std::string_view path) = 0;

    // Creates one folder; true also when it already exists.
    virtual bool MakeFolder(std::string_view path) = 0;
    virtual bool RemoveFile(std::string_view path) = 0;
    virtual bool CopyOver(std::string_view from, std::string_view to, DWORD& error) = 0;
    virtual bool Exists(std::string_view path) = 0;
    // The entries of a folder (files and subfolders, without "." and "..").
    virtual std::vector<FileEntry> ListFolder(std::string_view folder) = 0;
};

// The target's file system.
FileSystem& SystemFileSystem();

}  // namespace lt77
