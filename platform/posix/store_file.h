// The test host's store files: small INI-style text files that a person can
// read and edit. Every parse error names the file and the line.
#pragma once

#include <filesystem>

#include "common/ascii_case.h"
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lt77::posix {

struct StoreError {
    std::string message;
};

class StoreFile {
public:
    // Parses the text; `origin` names the file in error messages.
    static std::variant<StoreFile, StoreError> Parse(std::string_view text, std::string origin);
    // Reads and parses; a missing or unreadable file is an error naming it.
    static std::variant<StoreFile, StoreError> Load(const std::filesystem::path& path);

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Replaces the key's line in place, or adds it at the end of its section
    // (adding the section when needed), so comments and order survive.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    std::vector<std::string> Keys(std::string_view section) const;
    // The 1-based line of a key, 0 when it is missing.
    std::size_t LineOf(std::string_view section, std::string_view key) const;
    std::vector<std::string> Sections() const;

    std::string Serialize() const;
    // Writes through a temporary file and a rename, so a reader never sees half a file.
    bool Save(const std::filesystem::path& path) const;

private:
    struct Line {
        std::string text;
        std::string section;  // the section the line belongs to
        std::string key;      // empty for comments, blanks and headers
        bool header = false;
    };
    std::vector<Line> lines_;
};

}  // namespace lt77::posix
