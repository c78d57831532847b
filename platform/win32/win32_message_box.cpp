#include "platform/message_box.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>

namespace lt77 {
namespace {

class Win32MessageBoxes final : public MessageBoxes {
public:
    void Show(std::u16string_view text, std::u16string_view caption, DWORD style) override
    {
        const std::wstring wideText = win32::WideFromU16(text);
        const std::wstring wideCaption = win32::WideFromU16(caption);
        ::MessageBoxW(nullptr, wideText.c_str(), wideCaption.c_str(), style);
    }
};

}  // namespace

MessageBoxes& SystemMessageBoxes()
{
    static Win32MessageBoxes boxes;
    return boxes;
}

}  // namespace lt77
