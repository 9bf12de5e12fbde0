#include "ClassicFonts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QSet>

#include <array>
#include <optional>

namespace kodexa {
namespace {

// Where a family's files are: the first folder that holds any of them is used, so that
// fonts-liberation2's copies count only where fonts-liberation is missing.
struct FamilyFiles {
    const char* family;
    std::array<const char*, 2> folders;
    std::array<const char*, 4> files;
};

constexpr const char* kWineFolder = "/usr/share/wine/fonts";
constexpr const char* kLiberationFolder = "/usr/share/fonts/truetype/liberation";
constexpr const char* kLiberation2Folder = "/usr/share/fonts/truetype/liberation2";

constexpr std::array<FamilyFiles, 6> kFamilyFiles{{
    {"Tahoma", {kWineFolder, nullptr}, {"tahoma.ttf", "tahomabd.ttf", nullptr, nullptr}},
    {"MS Sans Serif", {kWineFolder, nullptr}, {"ms_sans_serif.ttf", nullptr, nullptr, nullptr}},
    {"System", {kWineFolder, nullptr}, {"system.ttf", nullptr, nullptr, nullptr}},
    {"Liberation Sans",
     {kLiberationFolder, kLiberation2Folder},
     {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSans-Italic.ttf",
      "LiberationSans-BoldItalic.ttf"}},
    {"Liberation Serif",
     {kLiberationFolder, kLiberation2Folder},
     {"LiberationSerif-Regular.ttf", "LiberationSerif-Bold.ttf", "LiberationSerif-Italic.ttf",
      "LiberationSerif-BoldItalic.ttf"}},
    {"Liberation Mono",
     {kLiberationFolder, kLiberation2Folder},
     {"LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf", "LiberationMono-Italic.ttf",
      "LiberationMono-BoldItalic.ttf"}},
}};

void registerFiles(const FamilyFiles& entry) {
    for (const char* folder : entry.folders) {
        if (folder == nullptr)
            continue;
        const QDir dir(QString::fromLatin1(folder));
        bool found = false;
        for (const char* file : entry.files) {
            if (file == nullptr)
                continue;
            const QString path = dir.filePath(QString::fromLatin1(file));
            if (QFileInfo::exists(path) && QFontDatabase::addApplicationFont(path) >= 0)
                found = true;
        }
        if (found)
            return;
    }
}

// A family that comes as bitmaps only can be drawn just at the heights of its strikes. fonts-wine
// carries MS Sans Serif that way, and Qt sees only its first strike: the 8-point face, 11 px
// character height in a 13 px cell, regular; Qt selects that strike by its cell height.
struct BitmapStrike {
    const char* family;
    int characterHeight;
    int cellHeight;
};

constexpr BitmapStrike kBitmapStrikes[] = {
    {"MS Sans Serif", 11, 13},
};

// Liberation Sans has Arial's metrics, the nearest scalable relative of MS Sans Serif here.
constexpr const char* kFallbackFamily = "Liberation Sans";

std::optional<int> bitmapCellHeight(const QString& family, int characterHeight, QFont::Weight weight) {
    if (weight != QFont::Normal)
        return std::nullopt;
    for (const BitmapStrike& strike : kBitmapStrikes) {
        if (family == QLatin1String(strike.family) && characterHeight == strike.characterHeight)
            return strike.cellHeight;
    }
    return std::nullopt;
}

QFont scalableFont(const QString& family, int characterHeight, QFont::Weight weight) {
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(characterHeight);
    font.setWeight(weight);
    return font;
}

} // namespace

void makeFontFamilyAvailable(const QString& family) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    // Fonts belong to the application's thread; each family is looked at once.
    static QSet<QString> settled;
    if (settled.contains(family))
        return;
    settled.insert(family);
    for (const FamilyFiles& entry : kFamilyFiles) {
        if (family.compare(QLatin1String(entry.family), Qt::CaseInsensitive) != 0)
            continue;
        if (!QFontDatabase::families().contains(family, Qt::CaseInsensitive))
            registerFiles(entry);
        return;
    }
}

QFont classicFont(const QString& family, int characterHeight, QFont::Weight weight) {
    makeFontFamilyAvailable(family);
    if (QFontDatabase::families().contains(family)) {
        if (QFontDatabase::isSmoothlyScalable(family))
            return scalableFont(family, characterHeight, weight);
        if (const std::optional<int> cellHeight = bitmapCellHeight(family, characterHeight, weight)) {
            QFont font(family);
            font.setPixelSize(*cellHeight);
            return font;
        }
    }
    const QString fallback = QString::fromLatin1(kFallbackFamily);
    makeFontFamilyAvailable(fallback);
    return scalableFont(fallback, characterHeight, weight);
}

QFont windowsFont(const QString& family, int pixelSize, bool bold) {
    makeFontFamilyAvailable(family);
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace kodexa
