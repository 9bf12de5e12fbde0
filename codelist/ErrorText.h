#pragma once

#include <string>
#include <string_view>

namespace kodexa {

// The text that the application's error report shows for an error message: a full stop is
// appended when the message is not empty and its last character comes after '.' in the code page.
inline std::string errorReportText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        text += '.';
    return text;
}

} // namespace kodexa
