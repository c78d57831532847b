#include "common/ini_file.h"

#include "common/utf.h"

namespace lt77 {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f'; }

std::u16string_view Trim(std::u16string_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char16_t FoldCase(char16_t c)
{
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - u'a' + u'A');
    // Latin-1 letters fold as the system's comparison does for them.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
    return c;
}

std::u16string DecodeUtf16(std::span<const uint8_t> bytes, bool bigEndian)
{
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const uint8_t a = bytes[i], b = bytes[i + 1];
        text.push_back(bigEndian ? static_cast<char16_t>((a << 8) | b)
                                 : static_cast<char16_t>((b << 8) | a));
    }
    return text;
}

}  // namespace

bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}

IniDocument IniDocument::FromBytes(std::span<const uint8_t> bytes, const AnsiDecoder& decodeAnsi)
{
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return FromText(DecodeUtf16(bytes.subspan(2), false));
    if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        return FromText(DecodeUtf16(bytes.subspan(2), true));
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (raw.size() >= 3 && raw.substr(0, 3) == "\xEF\xBB\xBF") return FromText(Utf8ToUtf16(raw.substr(3)));
    return FromText(decodeAnsi(raw));
}

IniDocument IniDocument::FromText(std::u16string_view text)
{
    IniDocument doc;
    Section* current = nullptr;
    while (!text.empty()) {
        const std::size_t eol = text.find(u'\n');
        std::u16string_view line = text.substr(0, eol);
        text = eol == std::u16string_view::npos ? std::u16string_view{} : text.substr(eol + 1);
        // A NUL ends the line's content, as it ends the system's string.
        if (const auto nul = line.find(u'\0'); nul != std::u16string_view::npos) line = line.substr(0, nul);
        line = Trim(line);
        if (line.empty()) continue;
        if (line.front() == u'[') {
            const std::size_t close = line.find(u']');
            const auto name = Trim(line.substr(1, close == std::u16string_view::npos ? line.size() - 1
                                                                                    : close - 1));
            doc.sections_.push_back(Section{std::u16string(name), {}});
            current = &doc.sections_.back();
            continue;
        }
        if (current == nullptr) continue;  // keys before the first section belong to none
        const std::size_t eq = line.find(u'=');
        Entry entry;
        if (eq == std::u16string_view::npos) {
            entry.key = std::u16string(line);
        } else {
            entry.key = std::u16string(Trim(line.substr(0, eq)));
            auto value = Trim(line.substr(eq + 1));
            if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            entry.value = std::u16string(value);
        }
        current->entries.push_back(std::move(entry));
    }
    return doc;
}

const IniDocument::Section* IniDocument::Find(std::u16string_view section) const
{
    for (const auto& s : sections_)
        if (EqualsIgnoreCase(s.name, section)) return &s;
    return nullptr;
}

bool IniDocument::HasSection(std::u16string_view section) const { return Find(section) != nullptr; }

std::optional<std::u16string> IniDocument::Value(std::u16string_view section,
                                                 std::u16string_view key) const
{
    const Section* s = Find(section);
    if (s == nullptr) return std::nullopt;
    for (const auto& e : s->entries)
        if (EqualsIgnoreCase(e.key, key)) return e.value;
    return std::nullopt;
}

std::vector<std::u16string> IniDocument::Keys(std::u16string_view section) const
{
    std::vector<std::u16string> keys;
    if (const Section* s = Find(section))
        for (const auto& e : s->entries) keys.push_back(e.key);
    return keys;
}

}  // namespace lt77
