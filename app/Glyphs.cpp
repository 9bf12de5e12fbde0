#include "Glyphs.h"

#include <QPainter>

namespace kodexa {
namespace {

QPixmap transparentPixmap(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void drawLens(QPainter& painter, QPointF centre) {
    painter.setBrush(QColor(40, 40, 48));
    painter.setPen(QPen(QColor(10, 10, 16), 1));
    painter.drawEllipse(centre, 4.0, 4.0);
    painter.setBrush(QColor(90, 140, 200));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(centre, 2.2, 2.2);
    painter.setBrush(QColor(220, 235, 255));
    painter.drawEllipse(centre + QPointF(-0.8, -0.8), 0.8, 0.8);
}

} // namespace

QPixmap binocularsGlyph() {
    QPixmap pixmap = transparentPixmap(18, 17);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // Barrels
    painter.setPen(QPen(QColor(10, 10, 16), 1));
    painter.setBrush(QColor(60, 60, 70));
    painter.drawRoundedRect(QRectF(2.5, 1.5, 5, 8), 1.5, 1.5);
    painter.drawRoundedRect(QRectF(10.5, 1.5, 5, 8), 1.5, 1.5);
    // Bridge
    painter.setBrush(QColor(110, 110, 120));
    painter.drawRect(QRectF(7.5, 4.5, 3, 3));
    drawLens(painter, {5.0, 12.0});
    drawLens(painter, {13.0, 12.0});
    return pixmap;
}

QPixmap printerGlyph() {
    QPixmap pixmap = transparentPixmap(19, 17);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPen outline(QColor(30, 30, 30), 1);
    // Paper going in
    painter.setPen(outline);
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(5.5, 0.5, 8, 6));
    // Body
    painter.setBrush(QColor(170, 170, 175));
    painter.drawRoundedRect(QRectF(1.5, 5.5, 16, 7), 1.5, 1.5);
    painter.setBrush(QColor(120, 120, 128));
    painter.drawRect(QRectF(1.5, 10.5, 16, 2));
    // Printed sheet
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(4.5, 11.5, 10, 5));
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.drawLine(QPointF(6, 13.5), QPointF(13, 13.5));
    painter.drawLine(QPointF(6, 15.2), QPointF(11, 15.2));
    // Power light
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 200, 60));
    painter.drawEllipse(QPointF(15.0, 8.0), 1.0, 1.0);
    return pixmap;
}

} // namespace kodexa
