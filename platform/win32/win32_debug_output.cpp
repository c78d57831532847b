#include <string>

#include "platform/debug_output.h"

#include <windows.h>

namespace lt77 {

void WriteDebugOutput(std::string_view line)
{
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    text += "\r\n";
    ::OutputDebugStringA(text.c_str());
}

}  // namespace lt77
