#include "CodeCopy.h"

#include "CheckDigits.h"

namespace kodexa::codelist {

std::string copiedText(CopyForm form, std::string_view code, std::string_view description) {
    if (form == CopyForm::Code)
        return std::string(code);
    std::string text = publishedCode(code);
    text += ' ';
    text += description;
    return text;
}

} // namespace kodexa::codelist
