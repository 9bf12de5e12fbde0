#include "ReportFonts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

#include <array>

namespace kodexa::report {

namespace {

struct MetricTwin {
    const char16_t* family;
    const char16_t* twin;
    const char* fileStem; // the twin's files are <stem>-<style>.ttf
};
constexpr std::array<MetricTwin, 3> MetricTwins{{
    {u"Arial", u"Liberation Sans", "LiberationSans"},
    {u"Times New Roman", u"Liberation Serif", "LiberationSerif"},
    {u"Courier New", u"Liberation Mono", "LiberationMono"},
}};
constexpr std::array<const char*, 4> TwinStyles{"Regular", "Bold", "Italic", "BoldItalic"};
// Where Debian's fonts-liberation puts them, then fonts-liberation2.
constexpr std::array<const char*, 2> TwinFolders{"/usr/share/fonts/truetype/liberation",
                                                 "/usr/share/fonts/truetype/liberation2"};

// Fontconfig may not list the twins (an empty or broken font configuration, a container without
// one): then the twins are registered with the application from their files, so that a report
// measures and looks the same on every machine with the fonts installed, instead of taking
// whatever font remains, or none. Needs the application object; the first call with one does it.
void registerTwinsOnce() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    static const bool registered = [] {
        const QStringList known = QFontDatabase::families();
        for (const MetricTwin& entry : MetricTwins) {
            if (known.contains(QString::fromUtf16(entry.twin), Qt::CaseInsensitive))
                continue;
            for (const char* folder : TwinFolders) {
                const QDir dir(QString::fromLatin1(folder));
                bool found = false;
                for (const char* style : TwinStyles) {
                    const QString path = dir.filePath(
                        QStringLiteral("%1-%2.ttf").arg(QLatin1String(entry.fileStem), QLatin1String(style)));
                    if (QFileInfo::exists(path) && QFontDatabase::addApplicationFont(path) >= 0)
                        found = true;
                }
                if (found)
                    break;
            }
        }
        return true;
    }();
    (void)registered;
}

QStringList familiesFor(const QString& family) {
    QStringList families{family};
    for (const MetricTwin& entry : MetricTwins) {
        if (family.compare(QStringView(entry.family), Qt::CaseInsensitive) == 0)
            families.append(QString::fromUtf16(entry.twin));
    }
    return families;
}

} // namespace

QFont toolkitFont(const FontSpec& fontSpec) {
    registerTwinsOnce();
    QFont font;
    font.setFamilies(familiesFor(QString::fromStdString(fontSpec.name)));
    font.setPointSizeF(fontSpec.pointSize);
    font.setBold(fontSpec.bold);
    font.setItalic(fontSpec.italic);
    font.setUnderline(fontSpec.underline);
    font.setStrikeOut(fontSpec.strikeOut);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

} // namespace kodexa::report
