#pragma once

#include <QString>

namespace kodexa::report {

// A preview renderer that the main window keeps (TRvRenderPreview). A run does not use it: the
// preview window draws with settings of its own; the output settings may name it as the target of
// output to a file.
class TRvRenderPreview {
public:
    explicit TRvRenderPreview(QString name = QStringLiteral("RvRenderPreview1")) : name_(std::move(name)) {}

    const QString& name() const { return name_; }
    double zoomFactor() const { return zoomFactor_; }
    void setZoomFactor(double zoom) { zoomFactor_ = zoom; }
    int shadowDepth() const { return shadowDepth_; }
    void setShadowDepth(int depth) { shadowDepth_ = depth; }

private:
    QString name_;
    double zoomFactor_ = 100;
    int shadowDepth_ = 0;
};

} // namespace kodexa::report
