#include "preview/raster_records.h"

#include <algorithm>
#include <cstring>

namespace lt77::viewer {
namespace {

constexpr uint8_t kHeader[8] = {0x08, 0x43, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr uint8_t kEnd[5] = {0x08, 0x43, 0x52, 0xFF, 0x00};
constexpr std::size_t kHeaderBytes = 12;

bool HeaderAt(std::span<const uint8_t> job, std::size_t i)
{
    return job.size() - i >= kHeaderBytes && std::memcmp(job.data() + i, kHeader, sizeof(kHeader)) == 0;
}

bool EndAt(std::span<const uint8_t> job, std::size_t i)
{
    return job.size() - i >= sizeof(kEnd) && std::memcmp(job.data() + i, kEnd, sizeof(kEnd)) == 0;
}

uint32_t Le16(std::span<const uint8_t> job, std::size_t i) { return job[i] | job[i + 1] << 8; }

class RowWriter {
public:
    RowWriter(uint32_t strideBytes, uint32_t areaRows)
        : stride_(strideBytes), areaRows_(areaRows), bits_(static_cast<std::size_t>(strideBytes) * areaRows)
    {
    }

    void StartRecord(uint32_t rowBytes)
    {
        FinishRow();
        rowBytes_ = rowBytes;
    }
    // A row is begun only when a byte comes for it, so that a record whose
    // rows are all complete adds no empty row at its end.
    bool Put(uint8_t byte)
    {
        if (rowBytes_ == 0) return true;
        if (used_ == rowBytes_) FinishRow();
        if (row_ >= areaRows_) return false;
        if (used_ < stride_) {
            bits_[static_cast<std::size_t>(row_) * stride_ + used_] = byte;
            anyBlack_ = anyBlack_ || byte != 0;
        }
        ++used_;
        return true;
    }
    void FinishRow()
    {
        if (used_ > 0) ++row_;
        used_ = 0;
    }

    DecodedRows Take(bool overflow) { return DecodedRows{std::move(bits_), overflow, anyBlack_}; }

private:
    uint32_t stride_;
    uint32_t areaRows_;
    std::vector<uint8_t> bits_;
    uint32_t row_ = 0;
    uint32_t used_ = 0;
    uint32_t rowBytes_ = 0;
    bool anyBlack_ = false;
};

}  // namespace

uint32_t CountRasterRows(std::span<const uint8_t> job)
{
    uint32_t rows = 0;
    for (std::size_t i = 0; i < job.size(); ++i)
        if (HeaderAt(job, i)) rows += Le16(job, i + 10);
    return rows;
}

DecodedRows DecodeRasterRecords(std::span<const uint8_t> job, uint32_t strideBytes, uint32_t rows)
{
    if (static_cast<uint64_t>(strideBytes) * rows * 2 > kMaxDecodeAreaBytes) return DecodedRows{{}, true, false};
    RowWriter out(strideBytes, 2 * rows);
    bool inRecord = false;
    std::size_t i = 0;
    while (i < job.size()) {
        if (HeaderAt(job, i)) {
            out.StartRecord(Le16(job, i + 8) / 8);
            inRecord = true;
            i += kHeaderBytes;
            continue;
        }
        if (!inRecord) {
            ++i;
            continue;
        }
        if (EndAt(job, i)) {
            out.FinishRow();
            inRecord = false;
            i += sizeof(kEnd);
            continue;
        }
        const uint8_t byte = job[i];
        if (byte != 0x00 && byte != 0xFF) {
            if (!out.Put(byte)) return out.Take(true);
            ++i;
            continue;
        }
        // A run whose count byte is missing ends the data.
        if (i + 1 >= job.size()) break;
        for (uint32_t n = job[i + 1]; n > 0; --n)
            if (!out.Put(byte)) return out.Take(true);
        i += 2;
    }
    return out.Take(false);
}

}  // namespace lt77::viewer
