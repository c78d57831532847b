// The bodies of the fuzz targets for the small readers: INI files, command
// notation, the host's queue store, and the status path's block parser and
// shared record. Shared by the libFuzzer programs and the replay tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lt77::fuzz {

// An INI file as the profile functions read it, asked for the sections and
// keys its own lines name.
void IniReader(const uint8_t* data, std::size_t size);
// Command notation decoded, encoded back for display and decoded again.
void CommandNotation(const uint8_t* data, std::size_t size);
// A queue file of the host's store (POSIX): parsed, its printer data values
// decoded, written out and parsed again. Nothing on Windows.
void QueueStore(const uint8_t* data, std::size_t size);
// What a printer sends on its status line, in reads of the input's sizes,
// through the monitor's block parser to the shared record, and the record
// as the status library interprets it.
void StatusBlock(const uint8_t* data, std::size_t size);
// A shared status record as another process may have left it, read by the
// status library, its tracks delivered and cleared.
void SharedRecord(const uint8_t* data, std::size_t size);

}  // namespace lt77::fuzz
