// Keeps each job the printer received in a folder: the bytes as they came
// (job-0001.prn) and a picture of what the printer would print of them
// (job-0001.png), drawn from the job's bytes without its status enable
// commands.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace lt77::vprinter {

struct SavedJob {
    uint32_t number = 0;
    std::filesystem::path streamPath;
    std::filesystem::path picturePath;  // empty when the job drew nothing
    // Empty, or what went wrong (a file not written, a raster command cut short).
    std::string error;
    std::string summary;  // one line for the log
};

class JobStore {
public:
    explicit JobStore(std::filesystem::path folder);

    // Creates the folder if needed; numbers go on after the highest job file
    // already there. Returns an error text, empty on success.
    std::string Open();

    SavedJob Save(std::span<const uint8_t> received, std::span<const uint8_t> drawable);

    uint32_t SavedCount() const { return savedCount_; }

private:
    std::filesystem::path folder_;
    uint32_t nextNumber_ = 1;
    uint32_t savedCount_ = 0;
};

}  // namespace lt77::vprinter
