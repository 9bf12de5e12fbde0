#pragma once

#include "PageStore.h"
#include "PreviewForm.h"
#include "SystemSettings.h"

#include <QString>

#include <memory>

class QWidget;

namespace kodexa::report {

class TRPStatusForm;

// The status of a generation in progress, as the user sees it.
class GenerationStatus {
public:
    virtual ~GenerationStatus() = default;
    // Shows the status line of a page just begun and lets pending events run, so the window
    // repaints and its Cancel can be pressed; false once the user has cancelled.
    virtual bool pageStarted(const QString& statusLine) = 0;
};

// The windows a run shows. A run uses the standard ones unless it is given others.
class ReportWindows {
public:
    virtual ~ReportWindows() = default;
    // The status window, open until the returned object is destroyed.
    virtual std::unique_ptr<GenerationStatus> openStatus(const SystemSettings& settings, QWidget* parent) = 0;
    // The preview of the pages; returns when a modal preview is closed. Printing from the preview
    // writes the chosen copies, collate and duplex back into settings.
    virtual void showPreview(std::shared_ptr<const PageStore> pages, SystemSettings& settings,
                             QWidget* parent) = 0;
};

// The status window TRPStatusForm and the preview window TRavePreviewForm, the preview with the
// given prompts and printers (the standard ones by default).
//
// A screen reader learns of a window a little after it opened and asks for its name then; a status
// window that is already gone, as it is after a short run, is read as a dialog without a name. So
// the closed status window is kept, hidden, for as long as this object lives (through the modal
// preview of the run), where it still answers with its caption.
class StandardReportWindows final : public ReportWindows {
public:
    explicit StandardReportWindows(PreviewServices services = {});
    ~StandardReportWindows() override;

    std::unique_ptr<GenerationStatus> openStatus(const SystemSettings& settings, QWidget* parent) override;
    void showPreview(std::shared_ptr<const PageStore> pages, SystemSettings& settings,
                     QWidget* parent) override;

private:
    PreviewServices services_;
    std::shared_ptr<TRPStatusForm> closedStatus_; // the last status window, open or closed
};

} // namespace kodexa::report
