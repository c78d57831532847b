// A whole file mapped for reading, opened shared for reading and only if it
// exists. Windows: CreateFileW with GENERIC_READ and a read-only view. POSIX:
// open and mmap; a path with a drive letter lies below the test host's root
// as the other POSIX parts place it, any other path is the host's own.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "platform/oem/abi_types.h"

namespace lt77 {

class MappedFile {
public:
    virtual ~MappedFile() = default;
    virtual std::span<const uint8_t> Bytes() const = 0;
};

struct MapResult {
    std::unique_ptr<MappedFile> file;  // null on failure
    DWORD openError = 0;  // the system error when the file could not be opened
    bool opened = false;  // opened, though perhaps not mapped (an empty file is not)
};

MapResult MapFileForReading(std::u16string_view path);

}  // namespace lt77
