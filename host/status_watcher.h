// The status watcher for people: an application of the test host's that
// opens a queue through posstatus, loaded through its exports, registers
// both callbacks and prints each status change in the status table's event
// words and each card-reader track, until stopped.
#pragma once

#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>

namespace lt77::host {

struct StatusWatchOptions {
    std::string libraryPath;  // posstatus.so or posstatus.dll
    std::string queue;
    unsigned count = 0;  // stop after this many lines of changes and tracks; 0: until stopped
};

// Runs until `stop` is set or `count` lines were printed. Returns a process
// exit code.
int WatchStatus(const StatusWatchOptions& options, const std::atomic<bool>& stop, std::ostream& out,
                std::ostream& err);

// "status 0x002A: COVER OPENED, AUTO CUTTER ERROR, PAPER EMPTY"
std::string DescribeStatusChange(uint32_t code);
// "track 2, 5 bytes: ;1234" (bytes outside printable ASCII as \xNN)
std::string DescribeTrack(const uint8_t* data, uint32_t length, uint32_t track);

// posstatus built next to the host: $LT77_POSSTATUS, else the build's.
std::string DefaultStatusLibraryPath();

}  // namespace lt77::host
