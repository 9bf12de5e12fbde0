#pragma once

#include "SystemClock.h"

#include <QByteArray>
#include <QDialog>
#include <QPointer>

#include <cstddef>
#include <span>

class QLabel;
class QPushButton;

namespace kodexa {

// The about box: the maker's picture with the maker's details over it, and an OK button. It
// serves as the start-up splash (without the button) and as a modal dialog; each use creates a
// fresh box and destroys it afterwards.
class TDlgAbout : public QDialog {
    Q_OBJECT

public:
    // The box with the picture that the program carries.
    explicit TDlgAbout(QWidget* owner);
    // The box with another JPEG picture; throws std::runtime_error when it does not decode.
    TDlgAbout(QWidget* owner, std::span<const std::byte> jpeg);

    QPushButton* BitBtn1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;

public slots:
    // OK is both the default and the cancel button: Esc, and a close request of the window
    // manager, press it. Without it (the splash) nothing closes the box but the program.
    void reject() override;

private:
    void createButton();
    void createImage(std::span<const std::byte> jpeg);
    QLabel* createLabel(int top, const QString& text);
};

// The JPEG picture that the program carries (the maker's artwork).
QByteArray carriedArtwork();

// Shows the box as the splash: without its OK button, not modal. Returns at once. Throws
// std::invalid_argument without a box.
void ShowAsSplash(TDlgAbout* box);

// The start-up splash: a fresh box (held in DlgAbout while it exists) is shown as the splash and
// painted at once, then the thread sleeps in steps of 100 ms until 5,000 ms have passed on the
// clock, with no events processed, and the box is hidden and destroyed. On a failure the box is
// destroyed too and the failure passes on.
void RunStartupSplash(QWidget* owner, SystemClock& clock);
void RunStartupSplash(QWidget* owner, SystemClock& clock, std::span<const std::byte> picture);

// The splash as the main window's start runs it: a failure only drops the splash, silently.
void RunStartupSplashQuietly(QWidget* owner, SystemClock& clock) noexcept;
void RunStartupSplashQuietly(QWidget* owner, SystemClock& clock, std::span<const std::byte> picture) noexcept;

// The "&Über" menu item: a fresh box shown modally with its OK button, destroyed when closed.
// Returns the modal result (QDialog::Accepted when closed with OK, Enter or Esc).
int ShowAboutModal(QWidget* owner);

// The about box while one exists, else null.
extern QPointer<TDlgAbout> DlgAbout;

} // namespace kodexa
