// Keeps each job the printer received in a folder: the bytes as they came
// (job-0001.prn), the paper the printer prints of them (job-0001.png) and
// the job's log (job-0001.log: drawer pulses, the buzzer, cuts, symbols and
// what the printer could not do, by offset in job-0001.prn). The paper is
// drawn from the job's bytes without its status enable commands, by one
// renderer whose stored images outlive each job.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "printer/stream_renderer.h"

namespace lt77::vprinter {

struct SavedJob {
    uint32_t number = 0;
    std::filesystem::path streamPath;
    std::filesystem::path picturePath;  // empty when the job drew nothing
    std::filesystem::path logPath;      // empty when the log has nothing to say
    // Empty, or what went wrong (a file not written, a raster command cut short).
    std::string error;
    std::string summary;  // one line for the log
};

class JobStore {
public:
    explicit JobStore(std::filesystem::path folder);

    // Creates the folder if needed; numbers go on after the highest job file
    // already there; finds the fonts. Returns an error text, empty on success.
    std::string Open();

    SavedJob Save(std::span<const uint8_t> received, std::span<const uint8_t> drawable);

    uint32_t SavedCount() const { return savedCount_; }

    // A picture file as stored image `number` (bit image) or `key`
    // (graphic); returns what was stored or an error, for the control reply.
    std::string StoreImage(uint32_t number, const std::string& key, const std::string& picturePath);

private:
    std::unique_ptr<printer::SystemRenderer> renderer_;
    std::filesystem::path folder_;
    uint32_t nextNumber_ = 1;
    uint32_t savedCount_ = 0;
};

}  // namespace lt77::vprinter
