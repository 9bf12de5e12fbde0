#pragma once

#include "SystemClock.h"

#include <QByteArray>
#include <QDialog>
#include <QPointer>

#include <cstddef>
#include <span>

#include <QImage>
#include <QLabel>

#include <vector>

class QPushButton;

namespace kodexa {

// A label of the about box. Its text stands on the picture, and the picture draws it, in device
// pixels at the label's pixel size: a widget of its own would sit on the logical grid, between
// device pixels at a fractional scale. The label itself draws nothing.
class TPictureLabel final : public QLabel {
    Q_OBJECT

public:
    TPictureLabel(const QString& text, QPoint devicePosition, QWidget* parent);

    // Where the text stands, in device pixels from the box's top left, and its size there.
    QRect deviceGeometry() const;

protected:
    void paintEvent(QPaintEvent*) override {}

private:
    QPoint devicePosition_;
};

// Image1: the maker's picture, shown pixel for pixel on the screen's device pixels whatever the
// screen's scale, with the texts of the labels over it.
class TImage final : public QWidget {
    Q_OBJECT

public:
    TImage(QImage picture, QWidget* parent);

    const QImage& picture() const { return picture_; }
    void addCaption(const TPictureLabel* label) { captions_.push_back(label); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
    std::vector<const TPictureLabel*> captions_;
};

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
    TImage* Image1 = nullptr;
    TPictureLabel* Label1 = nullptr;
    TPictureLabel* Label2 = nullptr;
    TPictureLabel* Label3 = nullptr;
    TPictureLabel* Label4 = nullptr;
    TPictureLabel* Label5 = nullptr;
    TPictureLabel* Label6 = nullptr;
    TPictureLabel* Label7 = nullptr;
    TPictureLabel* Label8 = nullptr;

public slots:
    // OK is both the default and the cancel button: Esc, and a close request of the window
    // manager, press it. Without it (the splash) nothing closes the box but the program.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createButton();
    void createImage(std::span<const std::byte> jpeg);
    TPictureLabel* createLabel(int top, const QString& text);
    // Sizes the box and places its controls for a scale of the screen (device pixels per logical
    // pixel), so that on the screen they keep the sizes of the window definition in device pixels.
    void layOutForScale(qreal scale);

    qreal laidOutScale_ = 0;
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
