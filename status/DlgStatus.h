#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class QLabel;

namespace kodexa {

// The status window: one line of text telling the user what a blocking operation does. Shown by
// ShowStatus, hidden by the caller with hide() when the operation ends; the user cannot close it.
class TDlgStatus : public QDialog {
    Q_OBJECT

public:
    explicit TDlgStatus(QWidget* owner = nullptr);

    QLabel* Label1 = nullptr;

public slots:
    // Esc and the window manager's close request would hide the window; only the program may.
    void reject() override {}

private:
    friend void ShowStatus(TDlgStatus* dlg, const QString& text);

    void createLabel();

    bool placed_ = false;
};

// Shows the status window with the text, its width fitted to it, and paints it at once, so that
// the text is on the screen while the caller blocks the event loop. It is shown without taking
// the activation: the window that had the keyboard keeps it. The first showing centres the
// window on the screen; later ones keep its left and top. Throws std::invalid_argument without a
// window.
void ShowStatus(TDlgStatus* dlg, const QString& text);

// The program's status window; the main window creates it and owns it.
extern QPointer<TDlgStatus> DlgStatus;

} // namespace kodexa
