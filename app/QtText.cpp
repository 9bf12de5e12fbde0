#include "QtText.h"

#include "Cp1252.h"

namespace kodexa {

QString toQString(std::string_view windows1252) {
    QString text(static_cast<qsizetype>(windows1252.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char c : windows1252)
        *out++ = QChar(static_cast<char16_t>(cp1252::toCodePoint(c)));
    return text;
}

std::string toWindows1252(const QString& text) {
    return cp1252::fromUtf8(text.toStdString());
}

} // namespace kodexa
