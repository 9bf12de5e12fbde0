#include "StatusFormat.h"

namespace kodexa::report {

QString formatStatus(const QString& format, int pageNumber) {
    QString line;
    line.reserve(format.size() + 8);
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != u'%' || i + 1 == format.size()) {
            line += c;
            continue;
        }
        const QChar code = format[i + 1];
        if (code == u'%') {
            line += u'%';
            ++i;
        } else if (code == u'p' || code == u'P') {
            line += QString::number(pageNumber);
            ++i;
        } else {
            line += c;
        }
    }
    return line;
}

} // namespace kodexa::report
