#include "ReportFonts.h"

#include "ClassicFonts.h"

#include <QGuiApplication>
#include <QStringList>

#include <array>

namespace kodexa::report {

namespace {

// Fonts of Windows reports and their metric-compatible free twins.
struct MetricTwin {
    const char16_t* family;
    const char16_t* twin;
};
constexpr std::array<MetricTwin, 3> MetricTwins{{
    {u"Arial", u"Liberation Sans"},
    {u"Times New Roman", u"Liberation Serif"},
    {u"Courier New", u"Liberation Mono"},
}};

QStringList familiesFor(const QString& family) {
    QStringList families{family};
    for (const MetricTwin& entry : MetricTwins) {
        if (family.compare(QStringView(entry.family), Qt::CaseInsensitive) == 0)
            families.append(QString::fromUtf16(entry.twin));
    }
    return families;
}

// The twins come from their files where fontconfig does not list them, so that a report measures
// and looks the same on every machine with the fonts installed. Asked once the application exists.
void makeTwinsAvailable() {
    static bool available = false;
    if (available || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    for (const MetricTwin& entry : MetricTwins)
        makeFontFamilyAvailable(QString::fromUtf16(entry.twin));
    available = true;
}

} // namespace

QFont toolkitFont(const FontSpec& fontSpec) {
    makeTwinsAvailable();
    QFont font;
    font.setFamilies(familiesFor(QString::fromStdString(fontSpec.name)));
    font.setPointSizeF(fontSpec.pointSize);
    font.setBold(fontSpec.bold);
    font.setItalic(fontSpec.italic);
    font.setUnderline(fontSpec.underline);
    font.setStrikeOut(fontSpec.strikeOut);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    // Every report font holds the engine's Windows-1252 text. A character a font lacks is not looked
    // for in the system's other fonts, which costs a fontconfig query per character of each font
    // (a third of a PDF's time with many fonts installed): it shows as that font shows it.
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferNoShaping | QFont::NoFontMerging));
    return font;
}

} // namespace kodexa::report
