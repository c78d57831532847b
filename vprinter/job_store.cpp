#include "vprinter/job_store.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "common/raster_decoder.h"
#include "host/picture_file.h"

namespace lt77::vprinter {
namespace {

constexpr std::string_view kPrefix = "job-";

std::string JobName(uint32_t number)
{
    char name[32];
    std::snprintf(name, sizeof name, "job-%04u", number);
    return name;
}

// The number of "job-NNNN.prn", or 0 for any other name.
uint32_t JobNumber(const std::filesystem::path& file)
{
    const std::string stem = file.stem().string();
    if (file.extension() != ".prn" || stem.rfind(kPrefix, 0) != 0) return 0;
    uint32_t number = 0;
    const char* first = stem.data() + kPrefix.size();
    const char* last = stem.data() + stem.size();
    const auto [end, ec] = std::from_chars(first, last, number);
    return ec == std::errc() && end == last ? number : 0;
}

// Files appear under their final name only when complete, so a program
// that waits for a job file never reads half of one.
std::filesystem::path PartPath(const std::filesystem::path& path) { return path.string() + ".part"; }

bool Publish(const std::filesystem::path& path)
{
    std::error_code ec;
    std::filesystem::rename(PartPath(path), path, ec);
    return !ec;
}

bool WriteBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes)
{
    {
        std::ofstream out(PartPath(path), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) return false;
    }
    return Publish(path);
}

}  // namespace

JobStore::JobStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::string JobStore::Open()
{
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec) return folder_.string() + ": " + ec.message();
    for (const auto& entry : std::filesystem::directory_iterator(folder_, ec))
        nextNumber_ = std::max(nextNumber_, JobNumber(entry.path()) + 1);
    return ec ? folder_.string() + ": " + ec.message() : std::string();
}

SavedJob JobStore::Save(std::span<const uint8_t> received, std::span<const uint8_t> drawable)
{
    SavedJob job;
    job.number = nextNumber_++;
    const std::string name = JobName(job.number);
    job.streamPath = folder_ / (name + ".prn");
    if (!WriteBytes(job.streamPath, received)) {
        job.error = job.streamPath.string() + ": cannot write the file";
        job.summary = job.error;
        return job;
    }
    ++savedCount_;
    job.summary = job.streamPath.string() + ", " + std::to_string(received.size()) + " bytes";
    const DecodedStream decoded = DecodeRasterStream(drawable);
    job.error = decoded.error;
    if (decoded.picture.height == 0) {
        job.summary += ", no raster to draw";
    } else {
        const std::filesystem::path picture = folder_ / (name + host::PictureExtension());
        std::string written = host::WritePicture(decoded.picture, PartPath(picture).string());
        if (written.empty() && !Publish(picture)) written = picture.string() + ": cannot write the file";
        if (written.empty()) {
            job.picturePath = picture;
            job.summary += ", " + picture.string() + " " + std::to_string(decoded.picture.width) + " x " +
                           std::to_string(decoded.picture.height) + " dots";
        } else {
            job.error = written;
        }
    }
    if (!job.error.empty()) job.summary += " (" + job.error + ")";
    return job;
}

}  // namespace lt77::vprinter
