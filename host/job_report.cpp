#include "host/job_report.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "common/trace_files.h"
#include "host/queue_admin.h"
#include "platform/platform.h"
#include "printer/paper_file.h"
#include "printer/stream_renderer.h"

namespace lt77::host {
namespace {

std::string Hex(const std::vector<uint8_t>& bytes, std::size_t limit)
{
    std::ostringstream s;
    static const char* kHex = "0123456789ABCDEF";
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i)
        s << (i ? " " : "") << kHex[bytes[i] >> 4] << kHex[bytes[i] & 15];
    if (bytes.size() > limit) s << " ... (" << bytes.size() << " bytes)";
    return s.str();
}

std::vector<std::filesystem::path> Files(const std::string& windowsFolder, const std::string& ending)
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(HostPathOf(windowsFolder), ec), end; !ec && it != end; it.increment(ec))
        if (it->path().filename().string().ends_with(ending)) files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int ReportJob(const JobResult& result, std::ostream& out, std::ostream& err)
{
    if (!result.ok) {
        err << "lt77host: " << result.error << '\n';
        return 1;
    }
    out << "spool stream: " << result.spoolPath << " (" << result.spooled.size() << " bytes)\n";
    out << "  " << Hex(result.spooled, 48) << '\n';
    printer::SystemRenderer renderer;
    const printer::RenderedJob printed = renderer.Get().Render(result.spooled);
    if (printed.paper.Rows() > 0) {
        const std::string picture =
            std::filesystem::path(result.spoolPath).replace_extension(printer::PaperFileExtension()).string();
        const std::string error = printer::WritePaperFile(printed.paper, picture);
        if (error.empty())
            out << "printed:      " << picture << " (" << printer::kPictureDots << " x " << printed.paper.Rows()
                << " dots: the paper and, at its right, the marks of feeds, cuts and page ends)\n";
        else
            out << "  " << error << '\n';
    }
    // What the printer did besides printing, and what it could not do.
    std::istringstream log(printed.log.Text());
    for (std::string line; std::getline(log, line);) out << "  printer:" << line << '\n';
    // Each job's own trace file: the folder also holds the files of every
    // earlier job of the day.
    char own[16];
    std::snprintf(own, sizeof(own), "_%05u", static_cast<unsigned>(result.jobId));
    const std::string traceEnding = std::string(own) + std::string(kPluginTraceSuffix);
    for (const auto& f : Files(TraceFolder(SystemFileSystem().WindowsFolder()), traceEnding))
        out << "trace file:   " << f.string() << '\n';
    for (const auto& path : result.journals) out << "journal:      " << HostPathOf(path) << '\n';
    return 0;
}

}  // namespace lt77::host
