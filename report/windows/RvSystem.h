#pragma once

#include "RvProject.h"
#include "SystemSettings.h"

#include <QString>

class QWidget;

namespace kodexa::report {

class ReportWindows;
class TRvRenderPreview;

// The output control of a run (TRvSystem): generates the active report under the status window
// and hands the pages to the preview.
class TRvSystem final : public ReportEngine {
public:
    explicit TRvSystem(QString name = QStringLiteral("RvSystem1"));
    ~TRvSystem() override;

    const QString& name() const { return name_; }
    SystemSettings& settings() { return settings_; }
    const SystemSettings& settings() const { return settings_; }

    void setDefaultDest(ReportDest destination) { settings_.defaultDest = destination; }
    void setDoNativeOutput(bool native) { settings_.doNativeOutput = native; }
    void setRenderObject(TRvRenderPreview* renderer);
    TRvRenderPreview* renderObject() const { return renderObject_; }

    // The window that owns the run's windows (they are centred on the screen all the same).
    void setWindowParent(QWidget* parent) { windowParent_ = parent; }
    // Other windows for a run; nullptr for the standard ones. Not owned.
    void setWindows(ReportWindows* windows) { windows_ = windows; }

    // Returns when the preview is closed, or at once after a cancel.
    void executeReport(TRvProject& project) override;

private:
    QString name_;
    SystemSettings settings_;
    TRvRenderPreview* renderObject_ = nullptr;
    QWidget* windowParent_ = nullptr;
    ReportWindows* windows_ = nullptr;
};

} // namespace kodexa::report
