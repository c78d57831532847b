#include "platform/posix/store_file.h"

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace lt77::posix {
namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

}  // namespace

std::variant<StoreFile, StoreError> StoreFile::Parse(std::string_view text, std::string origin)
{
    StoreFile file;
    std::string section;
    std::size_t lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const std::size_t eol = text.find('\n');
        const std::string_view raw = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        if (raw.find('\0') != std::string_view::npos)
            return StoreError{origin + ":" + std::to_string(lineNo) + ": NUL byte in the text"};
        Line line{std::string(raw.substr(0, raw.size() - (raw.ends_with('\r') ? 1 : 0))), section, {}, false};
        const std::string_view t = Trim(raw);
        if (t.empty() || t.front() == '#' || t.front() == ';') {
            file.lines_.push_back(std::move(line));
            continue;
        }
        if (t.front() == '[') {
            if (t.back() != ']' || t.size() < 3)
                return StoreError{origin + ":" + std::to_string(lineNo) +
                                  ": a section header must look like [Name]"};
            section = std::string(Trim(t.substr(1, t.size() - 2)));
            line.section = section;
            line.header = true;
            file.lines_.push_back(std::move(line));
            continue;
        }
        const std::size_t eq = t.find('=');
        if (eq == std::string_view::npos)
            return StoreError{origin + ":" + std::to_string(lineNo) + ": expected 'name = value'"};
        if (section.empty())
            return StoreError{origin + ":" + std::to_string(lineNo) + ": value outside of any [section]"};
        line.key = std::string(Trim(t.substr(0, eq)));
        if (line.key.empty())
            return StoreError{origin + ":" + std::to_string(lineNo) + ": empty name before '='"};
        file.lines_.push_back(std::move(line));
    }
    return file;
}

std::variant<StoreFile, StoreError> StoreFile::Load(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return StoreError{path.string() + ": cannot open the file (missing or unreadable)"};
    // Not through a stream's operator<<, which swallows an allocation
    // failure and leaves part of the file: a queue file read half would be
    // taken for one without the values it lost.
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return StoreError{path.string() + ": read error"};
    return Parse(content, path.string());
}

std::optional<std::string> StoreFile::Get(std::string_view section, std::string_view key) const
{
    for (const auto& l : lines_) {
        if (l.key.empty() || !EqualsNoCase(l.section, section) || !EqualsNoCase(l.key, key)) continue;
        const std::string_view t = Trim(l.text);
        std::string_view value = Trim(t.substr(t.find('=') + 1));
        // Quotes keep blanks at either end of a value.
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return std::nullopt;
}

void StoreFile::Set(std::string_view section, std::string_view key, std::string_view value)
{
    const bool quote = !value.empty() && (value.front() == ' ' || value.back() == ' ' || value.front() == '"');
    std::string text(key);
    text.append(" = ");
    if (quote) text.push_back('"');
    text.append(value);
    if (quote) text.push_back('"');
    std::optional<std::size_t> lastOfSection;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        auto& l = lines_[i];
        if (!EqualsNoCase(l.section, section)) continue;
        lastOfSection = i;
        if (!l.key.empty() && EqualsNoCase(l.key, key)) {
            l.text = text;
            return;
        }
    }
    if (!lastOfSection) {
        if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back(Line{"", "", {}, false});
        std::string header(1, '[');
        header.append(section);
        header.push_back(']');
        lines_.push_back(Line{std::move(header), std::string(section), {}, true});
        lastOfSection = lines_.size() - 1;
    } else {
        // Insert after the section's last value, before its trailing blank lines.
        while (*lastOfSection > 0 && lines_[*lastOfSection].key.empty() && !lines_[*lastOfSection].header)
            --*lastOfSection;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*lastOfSection + 1),
                  Line{text, std::string(section), std::string(key), false});
}

std::vector<std::string> StoreFile::Keys(std::string_view section) const
{
    std::vector<std::string> keys;
    for (const auto& l : lines_)
        if (!l.key.empty() && EqualsNoCase(l.section, section)) keys.push_back(l.key);
    return keys;
}

std::size_t StoreFile::LineOf(std::string_view section, std::string_view key) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (!lines_[i].key.empty() && EqualsNoCase(lines_[i].section, section) && EqualsNoCase(lines_[i].key, key))
            return i + 1;
    return 0;
}

std::vector<std::string> StoreFile::Sections() const
{
    std::vector<std::string> names;
    for (const auto& l : lines_)
        if (l.header) names.push_back(l.section);
    return names;
}

std::string StoreFile::Serialize() const
{
    std::string out;
    for (const auto& l : lines_) {
        out += l.text;
        out += '\n';
    }
    return out;
}

bool StoreFile::Save(const std::filesystem::path& path) const
{
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    const auto tmp = path.string() + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << Serialize();
        if (!out.flush()) return false;
    }
    std::filesystem::rename(tmp, path, ec);
    return !ec;
}

}  // namespace lt77::posix
