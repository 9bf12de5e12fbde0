#pragma once

#include <QProxyStyle>

namespace kodexa {

// The look of a classic tree view over the application's style: dotted lines joining each node to
// its parent and siblings, boxed plus and minus buttons, rows as high as a 13-pixel text line plus
// 3, and the lines left unhighlighted beside a selected node. Set it on one tree view, which owns
// it; the view's contents and behaviour stay as they are.
class ClassicTreeStyle final : public QProxyStyle {
public:
    explicit ClassicTreeStyle(QObject* owner);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

} // namespace kodexa
