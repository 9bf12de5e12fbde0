#include "CheckGlyph.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kodexa {
namespace {

constexpr int kGlyphSize = 18;

QPainterPath checkMarkPath() {
    QPainterPath path;
    path.moveTo(3.5, 9.5);
    path.lineTo(7.0, 13.0);
    path.lineTo(14.5, 4.5);
    return path;
}

QPixmap drawGlyph(void (*paint)(QPainter&, const QPainterPath&)) {
    QPixmap pixmap(kGlyphSize, kGlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, checkMarkPath());
    return pixmap;
}

void paintNormal(QPainter& painter, const QPainterPath& mark) {
    painter.strokePath(mark, QPen(QColor(0, 96, 0), 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.strokePath(mark, QPen(QColor(0, 176, 0), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void paintDisabled(QPainter& painter, const QPainterPath& mark) {
    painter.strokePath(mark.translated(1, 1),
                       QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.strokePath(mark, QPen(QColor(128, 128, 128), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

} // namespace

QIcon checkMarkGlyph() {
    QIcon icon;
    icon.addPixmap(drawGlyph(paintNormal), QIcon::Normal);
    icon.addPixmap(drawGlyph(paintDisabled), QIcon::Disabled);
    return icon;
}

} // namespace kodexa
