#include "CodeCopy.h"

namespace kodexa::codelist {

std::string copiedText(CopyForm form, std::string_view code, std::string_view description) {
    std::string text(code);
    if (form == CopyForm::Code)
        return text;
    text += ' ';
    text += description;
    return text;
}

} // namespace kodexa::codelist
