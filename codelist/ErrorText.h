#pragma once

#include <string>
#include <string_view>

namespace kodexa {

// The text that the application's error report shows for an error message: a full stop is
// appended when the message is not empty and its last character comes after '.' in the code page.
// Messages are UTF-8: every byte of a character beyond ASCII comes after '.', as the character
// itself does in Windows-1252, so testing the last byte gives the same answer.
inline std::string errorReportText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        text += '.';
    return text;
}

} // namespace kodexa
