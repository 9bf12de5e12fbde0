#include "WineFonts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

#include <optional>

namespace kodexa {
namespace {

constexpr const char* kWineFontDir = "/usr/share/wine/fonts";

struct WineFontFile {
    const char* family;
    const char* fileName;
};

constexpr WineFontFile kWineFontFiles[] = {
    {"Tahoma", "tahoma.ttf"},
    {"Tahoma", "tahomabd.ttf"},
    {"MS Sans Serif", "ms_sans_serif.ttf"},
};

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

void loadWineFontsOnce() {
    static const bool loaded = [] {
        const QStringList known = QFontDatabase::families();
        const QDir dir(QString::fromLatin1(kWineFontDir));
        for (const WineFontFile& file : kWineFontFiles) {
            const QString path = dir.filePath(QString::fromLatin1(file.fileName));
            if (!known.contains(QLatin1String(file.family)) && QFileInfo::exists(path))
                QFontDatabase::addApplicationFont(path);
        }
        return true;
    }();
    (void)loaded;
}

QFont classicFont(const QString& family, int characterHeight, QFont::Weight weight) {
    loadWineFontsOnce();
    if (QFontDatabase::families().contains(family)) {
        if (QFontDatabase::isSmoothlyScalable(family))
            return scalableFont(family, characterHeight, weight);
        if (const std::optional<int> cellHeight = bitmapCellHeight(family, characterHeight, weight)) {
            QFont font(family);
            font.setPixelSize(*cellHeight);
            return font;
        }
    }
    return scalableFont(QString::fromLatin1(kFallbackFamily), characterHeight, weight);
}

} // namespace kodexa
