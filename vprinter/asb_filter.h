// Splits the bytes a channel receives into job content and automatic status
// back enable commands. A command may arrive cut across reads, so up to three
// bytes that could start one are held back until the next read decides.
// The printer does not parse the whole command language: the four bytes are
// taken for the command wherever they occur.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace lt77::vprinter {

struct SplitBytes {
    std::vector<uint8_t> content;
    uint32_t enableCount = 0;
};

class AsbFilter {
public:
    SplitBytes Feed(std::span<const uint8_t> bytes);
    // At the end of the stream: the held bytes never became a command.
    std::vector<uint8_t> Flush();
    bool Holding() const { return !held_.empty(); }

private:
    std::vector<uint8_t> held_;
};

}  // namespace lt77::vprinter
