#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kodexa::report {

// The status window of a run (TRPStatusForm): one centred status line and "Cancel". It is shown
// while pages are generated; Cancel, Enter and Esc ask the run to stop.
class TRPStatusForm : public QDialog {
    Q_OBJECT

public:
    explicit TRPStatusForm(const QString& caption, QWidget* parent = nullptr);

    void setStatusText(const QString& text);
    QString statusText() const;
    bool cancelRequested() const { return cancelRequested_; }

public slots:
    void reject() override; // Esc and the window's close: the same as Cancel

private:
    void createControls();
    void requestCancel();

    QLabel* StatusLabel = nullptr;
    QPushButton* CancelButton = nullptr;
    bool cancelRequested_ = false;
};

} // namespace kodexa::report
