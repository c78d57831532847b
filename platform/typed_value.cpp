#include "platform/typed_value.h"

#include <cstring>

#include "common/utf.h"

namespace lt77 {

std::string EncodeTypedValue(const PrinterDataValue& value)
{
    static const char* kHex = "0123456789ABCDEF";
    if (value.type == REG_SZ_TYPE) return "sz: " + Utf16ToUtf8(Utf16FromBytes(value.bytes));
    if (value.type == REG_DWORD_TYPE && value.bytes.size() == 4) {
        uint32_t v = 0;
        std::memcpy(&v, value.bytes.data(), 4);
        return "dword: " + std::to_string(v);
    }
    std::string out = "binary:";
    for (uint8_t b : value.bytes) {
        out.push_back(' ');
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 15]);
    }
    return out;
}

std::variant<PrinterDataValue, std::string> DecodeTypedValue(std::string_view text)
{
    auto startsWith = [&](std::string_view p) { return text.substr(0, p.size()) == p; };
    PrinterDataValue value;
    if (startsWith("binary:")) {
        value.type = REG_BINARY_TYPE;
        std::string_view rest = text.substr(7);
        int high = -1;
        for (char c : rest) {
            if (c == ' ' || c == '\t') {
                if (high >= 0) return std::string("odd hexadecimal digit in a binary value");
                continue;
            }
            int d = -1;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            if (d < 0) return std::string(std::string("'") + c + "' is not a hexadecimal digit");
            if (high < 0) {
                high = d;
            } else {
                value.bytes.push_back(static_cast<uint8_t>((high << 4) | d));
                high = -1;
            }
        }
        if (high >= 0) return std::string("odd hexadecimal digit in a binary value");
        return value;
    }
    if (startsWith("sz:")) {
        value.type = REG_SZ_TYPE;
        std::string_view s = text.substr(3);
        while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
        const std::u16string wide = Utf8ToUtf16(s);
        // Broken sequences come back as U+FFFD; one the text spells itself is fine.
        if (wide.find(u'\uFFFD') != std::u16string::npos && s.find("\xEF\xBF\xBD") == std::string_view::npos)
            return std::string("text value is not UTF-8");
        value.bytes = Utf16ToBytes(wide, false);
        value.bytes.push_back(0);
        value.bytes.push_back(0);
        return value;
    }
    if (startsWith("dword:")) {
        value.type = REG_DWORD_TYPE;
        std::string_view s = text.substr(6);
        while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
        if (s.empty()) return std::string("dword value without digits");
        uint64_t v = 0;
        for (char c : s) {
            if (c < '0' || c > '9') return std::string("dword value must be decimal digits");
            v = v * 10 + static_cast<uint64_t>(c - '0');
            if (v > 0xFFFFFFFFu) return std::string("dword value out of range");
        }
        const auto v32 = static_cast<uint32_t>(v);
        value.bytes.resize(4);
        std::memcpy(value.bytes.data(), &v32, 4);
        return value;
    }
    return std::string("a value must start with 'binary:', 'sz:' or 'dword:'");
}

}  // namespace lt77
