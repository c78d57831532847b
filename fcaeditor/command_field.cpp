#include "fcaeditor/command_field.h"

#include <algorithm>

namespace lt77::fcaeditor {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

std::string CommandField::Layout(std::string_view digits)
{
    std::string out;
    out.reserve(digits.size() * 3 / 2 + 1);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        out.push_back(digits[i]);
        if (i % 2 == 1) out.push_back(' ');
    }
    return out;
}

void CommandField::SetText(std::string text)
{
    text_ = std::move(text);
    caret_ = text_.size();
}

void CommandField::SetCaret(std::size_t caret) { caret_ = std::min(caret, text_.size()); }

std::string CommandField::Digits() const
{
    std::string digits;
    std::copy_if(text_.begin(), text_.end(), std::back_inserter(digits), IsHexDigit);
    return digits;
}

std::size_t CommandField::DigitsBeforeCaret() const
{
    return static_cast<std::size_t>(
        std::count_if(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(caret_), IsHexDigit));
}

void CommandField::Reform(const std::string& digits, std::size_t caretDigits)
{
    text_ = Layout(digits);
    // After a complete pair the caret stands behind its space, ready for the
    // next pair.
    caret_ = std::min(caretDigits + caretDigits / 2, text_.size());
}

bool CommandField::Type(char c)
{
    if (!IsHexDigit(c)) return false;
    std::string digits = Digits();
    const std::size_t at = DigitsBeforeCaret();
    digits.insert(digits.begin() + static_cast<std::ptrdiff_t>(at), c);
    Reform(digits, at + 1);
    return true;
}

bool CommandField::Backspace()
{
    std::string digits = Digits();
    const std::size_t at = DigitsBeforeCaret();
    const std::string before = text_;
    if (at > 0) {
        digits.erase(at - 1, 1);
        Reform(digits, at - 1);
    } else {
        Reform(digits, 0);
    }
    return text_ != before;
}

bool CommandField::Delete()
{
    std::string digits = Digits();
    const std::size_t at = DigitsBeforeCaret();
    const std::string before = text_;
    if (at < digits.size()) digits.erase(at, 1);
    Reform(digits, at);
    return text_ != before;
}

}  // namespace lt77::fcaeditor
