// The editor's command field: hexadecimal digits only, kept as digit pairs
// each followed by one space ("1B 4A 05 "); a digit left without its partner
// ends the text without a space ("1B 4"). Typing, Backspace and Delete work
// on the digits and lay the pairs out again, so the text always has this
// form. The caret counts characters of the text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lt77::fcaeditor {

class CommandField {
public:
    // Takes a row's command text as it stands (a file may hold anything);
    // the caret goes to its end. The layout is restored at the first edit.
    void SetText(std::string text);
    const std::string& Text() const { return text_; }
    std::size_t Caret() const { return caret_; }
    void SetCaret(std::size_t caret);

    // A hexadecimal digit (0-9, A-F, a-f, kept as typed) goes in at the
    // caret; anything else is ignored. True when the text changed.
    bool Type(char c);
    // Remove the digit before / after the caret. True when the text changed.
    bool Backspace();
    bool Delete();

    // "1B4" -> "1B 4", "1B4A" -> "1B 4A ".
    static std::string Layout(std::string_view digits);

private:
    std::string Digits() const;
    std::size_t DigitsBeforeCaret() const;
    void Reform(const std::string& digits, std::size_t caretDigits);

    std::string text_;
    std::size_t caret_ = 0;
};

bool IsHexDigit(char c);

}  // namespace lt77::fcaeditor
