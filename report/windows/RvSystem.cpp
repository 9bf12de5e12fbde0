#include "RvSystem.h"

#include "FontMetricsMeasurer.h"
#include "ReportWindows.h"
#include "RvRenderPreview.h"
#include "StatusFormat.h"

namespace kodexa::report {

TRvSystem::TRvSystem(QString name) : name_(std::move(name)) {}

TRvSystem::~TRvSystem() = default;

void TRvSystem::setRenderObject(TRvRenderPreview* renderer) {
    renderObject_ = renderer;
    settings_.renderObject = renderer ? renderer->name() : QString();
}

void TRvSystem::executeReport(TRvProject& project) {
    if (settings_.defaultDest != ReportDest::Preview)
        throw ReportError(name_.toStdString() + ": only output to the preview is available");

    StandardReportWindows standardWindows;
    ReportWindows& windows = windows_ ? *windows_ : standardWindows;
    // Pages for the preview are generated as for a file; their status line is the file writer's.
    const QString& statusFormat = settings_.systemFiler.statusFormat;

    std::unique_ptr<GenerationStatus> status;
    if (settings_.systemOptions.testFlag(SystemOption::ShowStatus))
        status = windows.openStatus(settings_, windowParent_);
    FontMetricsMeasurer measurer;
    GenerationResult result = project.generate(settings_.systemPrinter.title, measurer, [&](int pageNumber) {
        return !status || status->pageStarted(formatStatus(statusFormat, pageNumber));
    });
    status.reset();
    if (result.cancelled)
        return;
    windows.showPreview(std::make_shared<const PageStore>(std::move(result.pages)), settings_, windowParent_);
}

} // namespace kodexa::report
