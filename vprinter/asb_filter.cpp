#include "vprinter/asb_filter.h"

#include "vprinter/status_block.h"

namespace lt77::vprinter {

SplitBytes AsbFilter::Feed(std::span<const uint8_t> bytes)
{
    SplitBytes out;
    for (uint8_t b : bytes) {
        if (b == kAsbEnableCommand[held_.size()]) {
            held_.push_back(b);
            if (held_.size() == kAsbEnableCommand.size()) {
                held_.clear();
                ++out.enableCount;
            }
            continue;
        }
        // The command's first byte occurs nowhere else in it, so a mismatch
        // can only start a new command at this very byte.
        out.content.insert(out.content.end(), held_.begin(), held_.end());
        held_.clear();
        if (b == kAsbEnableCommand[0])
            held_.push_back(b);
        else
            out.content.push_back(b);
    }
    return out;
}

std::vector<uint8_t> AsbFilter::Flush()
{
    std::vector<uint8_t> rest;
    rest.swap(held_);
    return rest;
}

}  // namespace lt77::vprinter
