#include "common/utf.h"

namespace lt77 {

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view s)
{
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<uint8_t>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        auto cont = [&](std::size_t k) { return static_cast<uint8_t>(s[i + k]) & 0x3Fu; };
        // A sequence counts only with all its continuation bytes: a broken
        // one is one U+FFFD for its lead byte, and the bytes after it (a
        // marker's "<", say) stay characters of their own.
        auto whole = [&](std::size_t n) {
            if (i + n > s.size()) return false;
            for (std::size_t k = 1; k < n; ++k)
                if ((static_cast<uint8_t>(s[i + k]) & 0xC0u) != 0x80u) return false;
            return true;
        };
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0 && whole(2)) {
            cp = ((c & 0x1Fu) << 6) | cont(1);
            len = 2;
        } else if ((c & 0xF0) == 0xE0 && whole(3)) {
            cp = ((c & 0x0Fu) << 12) | (cont(1) << 6) | cont(2);
            len = 3;
        } else if ((c & 0xF8) == 0xF0 && whole(4)) {
            cp = ((c & 0x07u) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3);
            len = 4;
        }
        // Overlong forms and encoded surrogate halves are not characters.
        const char32_t least = len == 2 ? 0x80 : len == 3 ? 0x800 : len == 4 ? 0x10000 : 0;
        if (len > 1 && (cp < least || (cp >= 0xD800 && cp <= 0xDFFF))) {
            cp = 0xFFFD;
            len = 1;
        }
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp > 0xFFFF ? 0xFFFD : cp));
        }
        i += len;
    }
    return out;
}

}  // namespace lt77

namespace lt77 {

std::u16string Utf16FromBytes(std::span<const uint8_t> bytes, std::size_t maxUnits)
{
    std::u16string out;
    for (std::size_t i = 0; i + 1 < bytes.size() && out.size() < maxUnits; i += 2) {
        const auto c = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (c == 0) break;
        out.push_back(c);
    }
    return out;
}

std::vector<uint8_t> Utf16ToBytes(std::u16string_view text, bool terminate)
{
    std::vector<uint8_t> out;
    out.reserve(2 * text.size() + 2);
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    if (terminate) out.insert(out.end(), {0, 0});
    return out;
}

}  // namespace lt77
