// Named shared memory for the status record that the monitor publishes and
// applications read. Windows: a paging-file section in the global namespace.
// POSIX: a shared-memory object of the test host, named after the section and
// the host root, so that test runs on one machine keep apart.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "platform/oem/abi_types.h"

namespace lt77 {

// A mapped view; unmapped when destroyed.
class SharedView {
public:
    virtual ~SharedView() = default;
    virtual std::span<uint8_t> Bytes() = 0;
};

// An open section; its handle is closed when destroyed.
class SharedSection {
public:
    virtual ~SharedSection() = default;
    // A view of the section's first `bytes` bytes (at least one, at most
    // the section's size). Null with the system error set.
    virtual std::unique_ptr<SharedView> Map(bool writable, DWORD bytes) = 0;
};

class SharedMemory {
public:
    virtual ~SharedMemory() = default;
    // Creates the section (or opens it when it exists) with the status
    // record's security: system and administrators own it, every other user
    // may read and write its bytes but not change its security. Null with
    // `error` set.
    virtual std::unique_ptr<SharedSection> CreateStatusSection(std::u16string_view name, DWORD bytes,
                                                               DWORD& error) = 0;
    // Opens an existing section for reading, or for reading and writing.
    virtual std::unique_ptr<SharedSection> Open(std::u16string_view name, bool writable,
                                                DWORD& error) = 0;
};

SharedMemory& SystemSharedMemory();

}  // namespace lt77
