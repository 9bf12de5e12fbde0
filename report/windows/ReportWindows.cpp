#include "ReportWindows.h"

#include "PreviewForm.h"
#include "ScreenPlacement.h"
#include "StatusForm.h"

#include <QCoreApplication>

namespace kodexa::report {

namespace {

// The status window stays in front of the program's other windows, which take no input while
// it is up: the events that let Cancel work must not start a second run.
class StatusWindow final : public GenerationStatus {
public:
    StatusWindow(const SystemSettings& settings, QWidget* parent) : form_(settings.titleStatus, parent) {
        form_.setWindowModality(Qt::ApplicationModal);
        new ScreenPlacement(form_);
        form_.show();
    }
    ~StatusWindow() override { form_.close(); }

    bool pageStarted(const QString& statusLine) override {
        form_.setStatusText(statusLine);
        QCoreApplication::processEvents();
        return !form_.cancelRequested();
    }

private:
    TRPStatusForm form_;
};

} // namespace

std::unique_ptr<GenerationStatus> StandardReportWindows::openStatus(const SystemSettings& settings,
                                                                    QWidget* parent) {
    return std::make_unique<StatusWindow>(settings, parent);
}

void StandardReportWindows::showPreview(std::shared_ptr<const PageStore> pages, SystemSettings& settings,
                                        QWidget* parent) {
    if (settings.systemOptions.testFlag(SystemOption::PreviewModal)) {
        TRavePreviewForm preview(std::move(pages), settings, parent, services_);
        preview.exec();
        return;
    }
    auto* preview = new TRavePreviewForm(std::move(pages), settings, parent, services_);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->show();
}

} // namespace kodexa::report
