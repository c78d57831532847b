#include "vprinter/job_store.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "host/picture_file.h"
#include "printer/paper_file.h"
#include "vprinter/status_block.h"

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

// Where the status enable commands were taken out of the job, so that the
// log's offsets can name bytes of the file as received. The command's first
// byte occurs nowhere else in it, so a left-to-right search finds what the
// channel's filter took.
std::vector<std::size_t> EnableCommandsAt(std::span<const uint8_t> received)
{
    std::vector<std::size_t> at;
    const auto& command = kAsbEnableCommand;
    for (std::size_t i = 0; i + command.size() <= received.size();) {
        if (std::equal(command.begin(), command.end(), received.begin() + static_cast<std::ptrdiff_t>(i))) {
            at.push_back(i);
            i += command.size();
        } else {
            ++i;
        }
    }
    return at;
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
    if (ec) return folder_.string() + ": " + ec.message();
    if (!renderer_) renderer_ = std::make_unique<printer::SystemRenderer>();
    return {};
}

std::string JobStore::StoreImage(uint32_t number, const std::string& key, const std::string& picturePath)
{
    if (!renderer_) return "error the job folder is not open";
    const auto read = host::ReadPicture(picturePath);
    if (const auto* e = std::get_if<std::string>(&read)) return "error " + *e;
    printer::NvImage image = printer::NvImageFromPicture(std::get<RasterPicture>(read));
    const std::string size = std::to_string(image.width) + " x " + std::to_string(image.height) + " dots";
    printer::NvImages& stored = renderer_->Get().StoredImages();
    const bool done = key.empty() ? stored.DefineBitImage(static_cast<uint8_t>(number), std::move(image))
                                  : stored.DefineGraphic(key, std::move(image));
    if (!done) return "error the image does not fit the printer's memory";
    return (key.empty() ? "ok stored bit image " + std::to_string(number) : "ok stored graphic " + key) + ", " + size;
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
    const printer::RenderedJob printed = renderer_->Get().Render(drawable);
    if (printed.paper.Rows() == 0) {
        job.summary += ", nothing printed";
    } else {
        const std::filesystem::path picture = folder_ / (name + printer::PaperFileExtension());
        std::string written = printer::WritePaperFile(printed.paper, PartPath(picture).string());
        if (written.empty() && !Publish(picture)) written = picture.string() + ": cannot write the file";
        if (written.empty()) {
            job.picturePath = picture;
            job.summary += ", " + picture.string() + " " + std::to_string(printer::kPictureDots) + " x " +
                           std::to_string(printed.paper.Rows()) + " dots";
        } else {
            job.error = written;
        }
    }
    if (!printed.log.Entries().empty()) {
        const std::vector<std::size_t> enables = EnableCommandsAt(received);
        const auto receivedOffset = [&enables](std::size_t offset) {
            for (std::size_t at : enables) {
                if (at > offset) break;
                offset += kAsbEnableCommand.size();
            }
            return offset;
        };
        const std::string text = printed.log.Text(receivedOffset);
        const std::filesystem::path log = folder_ / (name + ".log");
        if (WriteBytes(log, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()))) {
            job.logPath = log;
            job.summary += ", " + log.string() + " (" + std::to_string(printed.log.Problems()) + " problems)";
        } else if (job.error.empty()) {
            job.error = log.string() + ": cannot write the file";
        }
    }
    if (!job.error.empty()) job.summary += " (" + job.error + ")";
    return job;
}

}  // namespace lt77::vprinter
