#include "preview/preview_blocks.h"

#include <algorithm>
#include <cstring>

namespace lt77::viewer {

void RemovePreviewBlocks(std::vector<uint8_t>& job)
{
    static constexpr uint8_t kStart[5] = {0x00, 0x00, 0x00, 0x1B, 0x40};
    static constexpr char kMarker[7] = {'K', 'E', 'L', 'W', 'Y', 'N', 'T'};
    std::size_t i = 0;
    // "At least 14 bytes remain after i": the header fits with a byte to spare.
    while (i + kPreviewBlockHeaderBytes < job.size()) {
        const uint8_t* p = job.data() + i;
        if (std::memcmp(p, kStart, 5) != 0 || std::memcmp(p + 7, kMarker, 7) != 0) {
            ++i;
            continue;
        }
        const std::size_t length =
            std::clamp<std::size_t>(p[5] | p[6] << 8, kPreviewBlockHeaderBytes, job.size() - i);
        job.erase(job.begin() + static_cast<std::ptrdiff_t>(i), job.begin() + static_cast<std::ptrdiff_t>(i + length));
    }
}

}  // namespace lt77::viewer
