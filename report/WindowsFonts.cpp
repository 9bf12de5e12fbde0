#include "WindowsFonts.h"

#include <QFontDatabase>
#include <QHash>

namespace kodexa::report {

namespace {

const QHash<QString, QString>& wineFontFiles() {
    static const QHash<QString, QString> files{
        {QStringLiteral("System"), QStringLiteral("system.ttf")},
        {QStringLiteral("MS Sans Serif"), QStringLiteral("ms_sans_serif.ttf")},
        {QStringLiteral("Tahoma"), QStringLiteral("tahoma.ttf")},
    };
    return files;
}

void ensureInstalled(const QString& family) {
    if (QFontDatabase::hasFamily(family))
        return;
    const auto file = wineFontFiles().constFind(family);
    if (file != wineFontFiles().constEnd())
        QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/") + *file);
}

} // namespace

QFont windowsFont(const QString& family, int pixelSize, bool bold) {
    ensureInstalled(family);
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace kodexa::report
