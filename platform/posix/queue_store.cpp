#include "platform/posix/queue_store.h"

#include "platform/typed_value.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#ifndef LT77_DEFAULT_HOST_ROOT
#define LT77_DEFAULT_HOST_ROOT "hostroot"
#endif

namespace lt77::posix {
namespace fs = std::filesystem;

fs::path HostRoot()
{
    if (const char* env = std::getenv("LT77_HOST_ROOT"); env != nullptr && *env != '\0') return env;
    return LT77_DEFAULT_HOST_ROOT;
}

fs::path MapWindowsPath(std::string_view windowsPath)
{
    std::string_view rest = windowsPath;
    std::string drive = "c";
    if (rest.size() >= 2 && rest[1] == ':') {
        drive = std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0]))));
        rest.remove_prefix(2);
    }
    fs::path out = HostRoot() / ("drive_" + drive);
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t sep = rest.find_first_of("\\/", start);
        if (sep == std::string_view::npos) sep = rest.size();
        const std::string_view part = rest.substr(start, sep - start);
        // ".." never climbs above the drive, as on a real root folder.
        if (part == "..") {
            if (out != HostRoot() / ("drive_" + drive)) out = out.parent_path();
        } else if (!part.empty() && part != ".") {
            out /= std::string(part);
        }
        start = sep + 1;
    }
    return out;
}

fs::path QueueFolder(std::string_view queue) { return HostRoot() / "queues" / std::string(queue); }
fs::path PrinterFile(std::string_view queue) { return QueueFolder(queue) / "printer.ini"; }
fs::path JobFile(std::string_view queue, DWORD jobId)
{
    return QueueFolder(queue) / "jobs" / (std::to_string(jobId) + ".ini");
}
fs::path SpoolFile(std::string_view queue, DWORD jobId)
{
    return QueueFolder(queue) / "spool" / (std::to_string(jobId) + ".prn");
}

bool IsValidQueueName(std::string_view queue)
{
    if (queue.empty() || queue.size() >= sizeof(CoreQueueHandle::queue)) return false;
    if (queue == "." || queue == "..") return false;
    return queue.find_first_of("/\\\0", 0, 3) == std::string_view::npos;
}

std::string DataSection(std::string_view key) { return "PrinterData\\" + std::string(key); }

std::variant<StoreFile, StoreError> LoadQueue(std::string_view queue)
{
    const fs::path path = PrinterFile(queue);
    auto loaded = StoreFile::Load(path);
    if (auto* err = std::get_if<StoreError>(&loaded)) return *err;
    auto& file = std::get<StoreFile>(loaded);
    for (const auto& section : file.Sections()) {
        if (section.rfind("PrinterData\\", 0) != 0) continue;
        for (const auto& key : file.Keys(section)) {
            const auto decoded = DecodeTypedValue(*file.Get(section, key));
            if (auto* err = std::get_if<std::string>(&decoded))
                return StoreError{path.string() + ":" + std::to_string(file.LineOf(section, key)) + ": [" + section +
                                  "] " + key + ": " + *err};
        }
    }
    return loaded;
}

std::optional<DWORD> QueueAttributes(const StoreFile& queueFile)
{
    constexpr DWORD kEnableBidi = 0x800;
    const auto line = queueFile.Get("Queue", "Attributes");
    if (!line) return kEnableBidi;
    std::string_view text = *line;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    DWORD value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::string> QueueOfHandle(HANDLE handle)
{
    if (handle == nullptr) return std::nullopt;
    const auto* h = static_cast<const CoreQueueHandle*>(handle);
    if (h->tag != CoreQueueHandle::kTag) return std::nullopt;
    const std::size_t len = strnlen(h->queue, sizeof(h->queue));
    if (len == sizeof(h->queue)) return std::nullopt;
    return std::string(h->queue, len);
}

}  // namespace lt77::posix
