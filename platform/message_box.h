// Message boxes an application library shows the user, owned by no window.
// Windows: MessageBoxW, which waits for the user. POSIX: the test host's
// stand-in: the caption and text written to standard error and appended to
// host/message-boxes.log below the host root, so that tests read what a user
// would have seen.
#pragma once

#include <string>
#include <string_view>

#include "common/utf.h"
#include "platform/oem/abi_types.h"

namespace lt77 {

inline constexpr DWORD MB_OK_BUTTON = 0x00000000;
inline constexpr DWORD MB_ICON_ERROR = 0x00000010;

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void Show(std::u16string_view text, std::u16string_view caption, DWORD style) = 0;
};

MessageBoxes& SystemMessageBoxes();

// The host log's line for one box: caption, a tab, the style in
// hexadecimal, a tab, the text with CR, LF and backslash written \r, \n and \\.
inline std::string MessageBoxLogLine(std::u16string_view text, std::u16string_view caption, DWORD style)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string line = Utf16ToUtf8(caption) + "\t0x";
    for (int shift = style > 0xFF ? 28 : 4; shift >= 0; shift -= 4) line.push_back(kHex[(style >> shift) & 0xF]);
    line.push_back('\t');
    for (const char c : Utf16ToUtf8(text)) {
        if (c == '\r') line += "\\r";
        else if (c == '\n') line += "\\n";
        else if (c == '\\') line += "\\\\";
        else line.push_back(c);
    }
    return line;
}

}  // namespace lt77
