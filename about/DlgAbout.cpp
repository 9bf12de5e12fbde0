#include "DlgAbout.h"

#include "CheckGlyph.h"
#include "JpegDecoder.h"
#include "PaintNow.h"
#include "WindowPlacement.h"
#include "WineFonts.h"

#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include <iterator>
#include <memory>
#include <stdexcept>

// Resources of a static library must be registered by name from the global namespace.
static void initArtworkResource() {
    Q_INIT_RESOURCE(about);
}

namespace kodexa {

QPointer<TDlgAbout> DlgAbout;

namespace {

constexpr std::uint32_t kSplashMilliseconds = 5000;
constexpr std::uint32_t kSplashSleepMilliseconds = 100;
constexpr QRect kButtonGeometry{358, 434, 75, 25};
constexpr QSize kGlyphSize{18, 18};
constexpr int kLabelLeft = 40;
constexpr int kLabelHeight = 16;
constexpr QRgb kSilver = qRgb(192, 192, 192);

struct LabelLine {
    int top;
    const char* text;
};

// The maker's details, in three blocks: name and address, telephone and fax, mail and web. The
// maker and all its details are fictitious.
constexpr LabelLine kLabelLines[] = {
    {32, "Hersteller"},
    {48, "Kodexa Software"},
    {64, "Platzhalterweg 0"},
    {80, "00000 Beispielstadt"},
    {104, "Telefon: +49 (0)000 000000-0"},
    {120, "Telefax: +49 (0)000 000000-9"},
    {144, "E-Mail: info@example.org"},
    {160, "Internet: www.example.org"},
};

std::span<const std::byte> asBytes(const QByteArray& bytes) {
    return std::as_bytes(std::span(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// Sleeps in steps until `duration` milliseconds have passed since `start`. The difference is
// taken in unsigned 32-bit arithmetic, so a wrap of the tick counter in between does not matter.
void sleepUntilElapsed(SystemClock& clock, std::uint32_t start, std::uint32_t duration) {
    while (static_cast<std::uint32_t>(clock.tickCount() - start) < duration)
        clock.sleep(kSplashSleepMilliseconds);
}

} // namespace

QByteArray carriedArtwork() {
    initArtworkResource();
    QFile file(QStringLiteral(":/about/about.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Bild des Info-Fensters fehlt");
    return file.readAll();
}

TDlgAbout::TDlgAbout(QWidget* owner) : TDlgAbout(owner, asBytes(carriedArtwork())) {}

TDlgAbout::TDlgAbout(QWidget* owner, std::span<const std::byte> jpeg)
    : QDialog(owner,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("Über"));
    setFont(classicFont(QStringLiteral("MS Sans Serif"), 11));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    // Children stack in creation order: the picture at the bottom, the labels over it, the
    // button over everything.
    createImage(jpeg);
    QLabel** const labels[] = {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6, &Label7, &Label8};
    static_assert(std::size(labels) == std::size(kLabelLines));
    for (std::size_t i = 0; i < std::size(labels); ++i)
        *labels[i] = createLabel(kLabelLines[i].top, QString::fromUtf8(kLabelLines[i].text));
    createButton();

    // The box is exactly the picture, whatever the screen's text size.
    setFixedSize(Image1->size());
    centreOnScreen(*this);
}

void TDlgAbout::createImage(std::span<const std::byte> jpeg) {
    const QImage picture = decodeJpeg(jpeg);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->setGeometry(QRect(QPoint(0, 0), picture.size()));
}

QLabel* TDlgAbout::createLabel(int top, const QString& text) {
    auto* label = new QLabel(text, this);
    label->setFont(classicFont(QStringLiteral("MS Sans Serif"), 13, QFont::Bold));
    label->setTextFormat(Qt::PlainText);
    // The label would take its text colour from the box's button-face role; it has its own.
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(kSilver));
    label->setPalette(palette);
    label->setForegroundRole(QPalette::WindowText);
    label->setGeometry(kLabelLeft, top, label->fontMetrics().horizontalAdvance(text), kLabelHeight);
    return label;
}

void TDlgAbout::createButton() {
    BitBtn1 = new QPushButton(checkMarkGlyph(), QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setIconSize(kGlyphSize);
    BitBtn1->setGeometry(kButtonGeometry);
    BitBtn1->setDefault(true);
    BitBtn1->setFocus();
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TDlgAbout::reject() {
    if (BitBtn1->isVisibleTo(this))
        BitBtn1->click();
}

void ShowAsSplash(TDlgAbout* box) {
    if (!box)
        throw std::invalid_argument("ShowAsSplash: kein Info-Fenster");
    box->BitBtn1->hide();
    box->show();
}

void RunStartupSplash(QWidget* owner, SystemClock& clock, std::span<const std::byte> picture) {
    const auto box = std::make_unique<TDlgAbout>(owner, picture);
    DlgAbout = box.get();
    ImmediatePaint immediatePaint(*box);
    ShowAsSplash(box.get());
    immediatePaint.paint();
    sleepUntilElapsed(clock, clock.tickCount(), kSplashMilliseconds);
    box->hide();
}

void RunStartupSplash(QWidget* owner, SystemClock& clock) {
    const QByteArray artwork = carriedArtwork();
    RunStartupSplash(owner, clock, asBytes(artwork));
}

void RunStartupSplashQuietly(QWidget* owner, SystemClock& clock,
                             std::span<const std::byte> picture) noexcept {
    try {
        RunStartupSplash(owner, clock, picture);
    } catch (...) {
        // Without its splash the program starts all the same.
    }
}

void RunStartupSplashQuietly(QWidget* owner, SystemClock& clock) noexcept {
    try {
        RunStartupSplash(owner, clock);
    } catch (...) {
        // Without its splash the program starts all the same.
    }
}

int ShowAboutModal(QWidget* owner) {
    const auto box = std::make_unique<TDlgAbout>(owner);
    DlgAbout = box.get();
    return box->exec();
}

} // namespace kodexa
