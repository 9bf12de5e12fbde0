#include "PreviewIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace kodexa::report::previewicons {

namespace {

constexpr int Size = 16;
const QColor Outline(0x40, 0x40, 0x40);
const QColor Arrow(0x1F, 0x5F, 0xAF);
const QColor PaperFill(Qt::white);

QIcon drawn(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(Size * scale, Size * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        draw(painter);
        painter.end();
        pixmap.setDevicePixelRatio(scale);
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPen outlinePen(double width = 1) {
    return QPen(Outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet with a folded corner, its text lines hinted.
void sheet(QPainter& painter, const QRectF& box) {
    QPainterPath path;
    const double fold = 3;
    path.moveTo(box.topLeft());
    path.lineTo(box.right() - fold, box.top());
    path.lineTo(box.right(), box.top() + fold);
    path.lineTo(box.bottomRight());
    path.lineTo(box.bottomLeft());
    path.closeSubpath();
    painter.setPen(outlinePen());
    painter.setBrush(PaperFill);
    painter.drawPath(path);
}

// A triangle pointing left or right, with up to one bar at its tip.
void arrowHead(QPainter& painter, bool pointsRight, double tipX, bool withBar) {
    const double direction = pointsRight ? 1 : -1;
    QPolygonF triangle;
    triangle << QPointF(tipX, 8) << QPointF(tipX - direction * 6, 3) << QPointF(tipX - direction * 6, 13);
    painter.setPen(QPen(Arrow.darker(130), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Arrow);
    painter.drawPolygon(triangle);
    if (withBar)
        painter.drawRect(QRectF(tipX + direction * 1.5 - (pointsRight ? 0 : 2), 3, 2, 10));
}

void magnifier(QPainter& painter, bool plus) {
    painter.setPen(QPen(Outline, 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10.5, 10.5), QPointF(14.5, 14.5));
    painter.setPen(outlinePen(1.4));
    painter.setBrush(QColor(0xE8, 0xF2, 0xFF));
    painter.drawEllipse(QPointF(6.5, 6.5), 5, 5);
    painter.setPen(QPen(Arrow, 1.6, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
    if (plus)
        painter.drawLine(QPointF(6.5, 4), QPointF(6.5, 9));
}

} // namespace

QIcon open() {
    return drawn([](QPainter& painter) {
        painter.setPen(outlinePen());
        painter.setBrush(QColor(0xE8, 0xB8, 0x4A));
        QPainterPath back;
        back.moveTo(1.5, 13.5);
        back.lineTo(1.5, 3.5);
        back.lineTo(5.5, 3.5);
        back.lineTo(7, 5);
        back.lineTo(12.5, 5);
        back.lineTo(12.5, 13.5);
        back.closeSubpath();
        painter.drawPath(back);
        painter.setBrush(QColor(0xF8, 0xD8, 0x78));
        QPolygonF front;
        front << QPointF(1.5, 13.5) << QPointF(4, 7.5) << QPointF(15, 7.5) << QPointF(12.5, 13.5);
        painter.drawPolygon(front);
    });
}

QIcon save() {
    return drawn([](QPainter& painter) {
        painter.setPen(outlinePen());
        painter.setBrush(QColor(0x3B, 0x6E, 0xB4));
        painter.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1, 1);
        painter.setBrush(PaperFill);
        painter.drawRect(QRectF(4, 1.5, 8, 5));
        painter.setBrush(QColor(0xD0, 0xD0, 0xD0));
        painter.drawRect(QRectF(4, 9.5, 8, 5));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x3B, 0x6E, 0xB4));
        painter.drawRect(QRectF(9.5, 2.5, 1.5, 3));
    });
}

QIcon print() {
    return drawn([](QPainter& painter) {
        painter.setPen(outlinePen());
        painter.setBrush(PaperFill);
        painter.drawRect(QRectF(4.5, 1.5, 7, 5));
        painter.setBrush(QColor(0xB8, 0xB8, 0xB8));
        painter.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
        painter.setBrush(PaperFill);
        painter.drawRect(QRectF(4.5, 10.5, 7, 4));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x30, 0xA0, 0x30));
        painter.drawEllipse(QPointF(12.5, 8.5), 0.9, 0.9);
    });
}

QIcon first() {
    return drawn([](QPainter& painter) { arrowHead(painter, false, 5.5, true); });
}

QIcon previous() {
    return drawn([](QPainter& painter) { arrowHead(painter, false, 5, false); });
}

QIcon next() {
    return drawn([](QPainter& painter) { arrowHead(painter, true, 11, false); });
}

QIcon last() {
    return drawn([](QPainter& painter) { arrowHead(painter, true, 10.5, true); });
}

QIcon zoomIn() {
    return drawn([](QPainter& painter) { magnifier(painter, true); });
}

QIcon zoomOut() {
    return drawn([](QPainter& painter) { magnifier(painter, false); });
}

QIcon fitPageWidth() {
    return drawn([](QPainter& painter) {
        sheet(painter, QRectF(3.5, 1.5, 9, 13));
        painter.setPen(QPen(Arrow, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(QPointF(1, 8), QPointF(15, 8));
        painter.drawPolyline(QPolygonF{QPointF(3, 6), QPointF(1, 8), QPointF(3, 10)});
        painter.drawPolyline(QPolygonF{QPointF(13, 6), QPointF(15, 8), QPointF(13, 10)});
    });
}

QIcon fitPage() {
    return drawn([](QPainter& painter) {
        sheet(painter, QRectF(4.5, 3.5, 7, 9));
        painter.setPen(QPen(Arrow, 1.4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawPolyline(QPolygonF{QPointF(1, 4), QPointF(1, 1), QPointF(4, 1)});
        painter.drawPolyline(QPolygonF{QPointF(12, 1), QPointF(15, 1), QPointF(15, 4)});
        painter.drawPolyline(QPolygonF{QPointF(1, 12), QPointF(1, 15), QPointF(4, 15)});
        painter.drawPolyline(QPolygonF{QPointF(12, 15), QPointF(15, 15), QPointF(15, 12)});
    });
}

QIcon exit() {
    return drawn([](QPainter& painter) {
        painter.setPen(outlinePen());
        painter.setBrush(QColor(0x9C, 0x6B, 0x3C));
        painter.drawRect(QRectF(2.5, 1.5, 8, 13));
        painter.setBrush(QColor(0x5A, 0x3A, 0x1E));
        QPolygonF door;
        door << QPointF(2.5, 1.5) << QPointF(7.5, 3) << QPointF(7.5, 15.5) << QPointF(2.5, 14.5);
        painter.drawPolygon(door);
        painter.setPen(QPen(QColor(0xC0, 0x30, 0x30), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(QPointF(10, 8), QPointF(15, 8));
        painter.drawPolyline(QPolygonF{QPointF(13, 6), QPointF(15, 8), QPointF(13, 10)});
    });
}

} // namespace kodexa::report::previewicons
