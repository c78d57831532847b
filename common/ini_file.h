// An INI document read the way the system's profile functions read one:
// section and key names compare without regard to case, blanks around names
// and values are dropped, a value wrapped in matching quotes loses them, and
// the first section and key of a name win.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lt77 {

class IniDocument {
public:
    // Converts 8-bit text (no byte-order mark) to UTF-16 in the system code page.
    using AnsiDecoder = std::function<std::u16string(std::string_view)>;

    // Accepts UTF-16 (either byte order, with its mark), UTF-8 with its mark,
    // and otherwise 8-bit text in the system code page.
    static IniDocument FromBytes(std::span<const uint8_t> bytes, const AnsiDecoder& decodeAnsi);
    static IniDocument FromText(std::u16string_view text);

    std::optional<std::u16string> Value(std::u16string_view section, std::u16string_view key) const;
    bool HasSection(std::u16string_view section) const;

    // The keys of a section in file order (empty when the section is missing).
    std::vector<std::u16string> Keys(std::u16string_view section) const;

private:
    struct Entry {
        std::u16string key;
        std::u16string value;
    };
    struct Section {
        std::u16string name;
        std::vector<Entry> entries;
    };
    const Section* Find(std::u16string_view section) const;

    std::vector<Section> sections_;
};

bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b);

}  // namespace lt77
