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
    explicit StatusWindow(std::shared_ptr<TRPStatusForm> form) : form_(std::move(form)) {
        form_->setWindowModality(Qt::ApplicationModal);
        new ScreenPlacement(*form_);
        form_->show();
    }
    // Not close(): the form takes a close as Cancel and stays.
    ~StatusWindow() override { form_->hide(); }

    bool pageStarted(const QString& statusLine) override {
        form_->setStatusText(statusLine);
        QCoreApplication::processEvents();
        return !form_->cancelRequested();
    }

private:
    std::shared_ptr<TRPStatusForm> form_;
};

} // namespace

StandardReportWindows::StandardReportWindows(PreviewServices services) : services_(services) {}

StandardReportWindows::~StandardReportWindows() = default;

std::unique_ptr<GenerationStatus> StandardReportWindows::openStatus(const SystemSettings& settings,
                                                                    QWidget* parent) {
    closedStatus_ = std::make_shared<TRPStatusForm>(settings.titleStatus, parent);
    return std::make_unique<StatusWindow>(closedStatus_);
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
