// The programs' scratch folder and INI writing on the test host's drive.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/posix/posix_error.h"
#include "platform/posix/queue_store.h"
#include "platform/profile_writer.h"
#include "platform/temporary_folder.h"

namespace lt77::posix {
namespace {
namespace fs = std::filesystem;

constexpr const char* kUserTemp = "C:\\users\\lt77\\Temp";

class PosixTempFolder final : public TemporaryFolder {
public:
    std::string UserTempFolder() override
    {
        std::error_code ec;
        fs::create_directories(MapWindowsPath(kUserTemp), ec);
        return ec ? std::string() : std::string(kUserTemp);
    }
};

std::string Trim(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(" \t\r") - first + 1));
}

bool SameName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string> SectionOf(std::string_view line)
{
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(std::string_view(t).substr(1, close - 1));
}

class PosixProfileWriter final : public ProfileWriter {
public:
    DWORD ReplaceSection(std::string_view file, std::string_view section,
                         const std::vector<std::pair<std::string, std::string>>& entries) override
    {
        const fs::path path = MapWindowsPath(file);
        std::string text;
        {
            std::ifstream in(path, std::ios::binary);
            text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        std::string kept;
        bool inSection = false;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            end = end == std::string::npos ? text.size() : end + 1;
            const std::string_view line(text.data() + start, end - start);
            if (const auto name = SectionOf(line)) inSection = SameName(*name, section);
            if (!inSection) kept.append(line);
            start = end;
        }
        if (!entries.empty()) {
            if (!kept.empty() && kept.back() != '\n') kept += "\r\n";
            kept += "[" + std::string(section) + "]\r\n";
            for (const auto& [key, value] : entries) kept += key + "=" + value + "\r\n";
        }
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out) return SetLastErrorFromErrno();
        out << kept;
        out.close();
        if (!out) return SetLastErrorFromErrno();
        return 0;
    }
};

}  // namespace
}  // namespace lt77::posix

namespace lt77 {

TemporaryFolder& SystemTemporaryFolder()
{
    static posix::PosixTempFolder folder;
    return folder;
}

ProfileWriter& SystemProfileWriter()
{
    static posix::PosixProfileWriter writer;
    return writer;
}

}  // namespace lt77
