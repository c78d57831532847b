// The printer's log: one line per read or write of a channel, with the time,
// the channel, the direction and the bytes in hex, and lines for what the
// printer did (connections, jobs, commands). Each line is flushed at once so
// the file can be followed while the printer runs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace lt77::vprinter {

class ByteLog {
public:
    // An empty path logs nothing. Returns an error text, empty on success.
    std::string Open(const std::string& path);

    void In(std::string_view channel, std::span<const uint8_t> bytes) { Line(channel, "in", bytes); }
    void Out(std::string_view channel, std::span<const uint8_t> bytes) { Line(channel, "out", bytes); }
    void Note(std::string_view channel, std::string_view text);

private:
    void Line(std::string_view channel, std::string_view direction, std::span<const uint8_t> bytes);

    std::unique_ptr<FILE, int (*)(FILE*)> file_{nullptr, &std::fclose};
};

}  // namespace lt77::vprinter
