#include "DlgAbout.h"

#include "CheckGlyph.h"
#include "JpegDecoder.h"
#include "ImmediatePaint.h"
#include "TitleBar.h"
#include "WindowPlacement.h"
#include "ClassicFonts.h"

#include <QAccessibleWidget>
#include <QFile>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include <cmath>
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
constexpr int kButtonFontPixels = 11; // MS Sans Serif 8 pt
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

// Logical extents for lengths in device pixels, at a scale of the screen (device pixels per
// logical pixel). The picture and the labels are covered, whatever the rounding of the toolkit;
// the button takes the nearest logical geometry.
int coveringLogical(int devicePixels, qreal scale) {
    return static_cast<int>(std::ceil(devicePixels / scale - 1e-6));
}

QRect coveringLogical(QRect device, qreal scale) {
    const int left = static_cast<int>(std::floor(device.left() / scale + 1e-6));
    const int top = static_cast<int>(std::floor(device.top() / scale + 1e-6));
    return QRect(QPoint(left, top), QPoint(coveringLogical(device.right() + 1, scale) - 1,
                                           coveringLogical(device.bottom() + 1, scale) - 1));
}

QRect nearestLogical(QRect device, qreal scale) {
    return QRect(qRound(device.left() / scale), qRound(device.top() / scale), qRound(device.width() / scale),
                 qRound(device.height() / scale));
}

// A font of a pixel size that is meant in device pixels: at a scale above 1 a logical pixel is
// larger, so the size in logical pixels is fractional, which only a point size can say.
QFont atDevicePixels(QFont font, qreal scale, qreal logicalDpi) {
    if (scale == 1.0 || font.pixelSize() <= 0 || logicalDpi <= 0)
        return font;
    font.setPointSizeF(font.pixelSize() / scale * 72.0 / logicalDpi);
    return font;
}

// What assistive technology reads of the box: the picture by its name, and the maker's details as
// the box's description, in one piece; the labels that show them, one line each, are no part of
// it (a screen reader would read only the lines of three words or more).
class AccessibleAboutBox final : public QAccessibleWidget {
public:
    explicit AccessibleAboutBox(TDlgAbout* box) : QAccessibleWidget(box, QAccessible::Dialog) {}

    int childCount() const override { return static_cast<int>(readChildren().size()); }
    QAccessibleInterface* child(int index) const override { return readChildren().value(index); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return static_cast<int>(readChildren().indexOf(const_cast<QAccessibleInterface*>(child)));
    }

private:
    QList<QAccessibleInterface*> readChildren() const {
        QList<QAccessibleInterface*> children;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
            QAccessibleInterface* child = QAccessibleWidget::child(i);
            if (child != nullptr && qobject_cast<TPictureLabel*>(child->object()) == nullptr)
                children.append(child);
        }
        return children;
    }
};

QAccessibleInterface* aboutBoxFactory(const QString&, QObject* object) {
    if (auto* box = qobject_cast<TDlgAbout*>(object))
        return new AccessibleAboutBox(box);
    if (auto* picture = qobject_cast<TImage*>(object))
        return new QAccessibleWidget(picture, QAccessible::Graphic);
    return nullptr;
}

void installAboutBoxFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(aboutBoxFactory);
        return true;
    }();
    (void)installed;
}

// The maker's details as one text: the heading and the address on one line, then telephone, fax,
// mail and web on a line each.
QString makerDetails(const TDlgAbout& box) {
    return QStringLiteral("%1: %2, %3, %4\n%5\n%6\n%7\n%8")
        .arg(box.Label1->text(), box.Label2->text(), box.Label3->text(), box.Label4->text(),
             box.Label5->text(), box.Label6->text(), box.Label7->text(), box.Label8->text());
}

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

TPictureLabel::TPictureLabel(const QString& text, QPoint devicePosition, QWidget* parent)
    : QLabel(text, parent), devicePosition_(devicePosition) {}

QRect TPictureLabel::deviceGeometry() const {
    return QRect(devicePosition_, QSize(QFontMetrics(font()).horizontalAdvance(text()), kLabelHeight));
}

TImage::TImage(QImage picture, QWidget* parent) : QWidget(parent), picture_(std::move(picture)) {
    setObjectName(QStringLiteral("Image1"));
}

void TImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // From here on one unit is one device pixel: the picture is neither stretched nor smoothed.
    const qreal scale = devicePixelRatioF();
    painter.setWorldTransform(QTransform::fromScale(1 / scale, 1 / scale));
    painter.drawImage(QPoint(0, 0), picture_);
    for (const TPictureLabel* caption : captions_) {
        if (caption->isHidden())
            continue;
        painter.setFont(caption->font());
        painter.setPen(caption->palette().color(QPalette::WindowText));
        painter.drawText(caption->deviceGeometry(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         caption->text());
    }
}

TDlgAbout::TDlgAbout(QWidget* owner) : TDlgAbout(owner, asBytes(carriedArtwork())) {}

TDlgAbout::TDlgAbout(QWidget* owner, std::span<const std::byte> jpeg)
    : QDialog(owner,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("Über"));
    // No title-bar buttons in either use: the splash in particular can be neither closed nor
    // minimised while the program waits on it.
    keepTitleBarWithoutButtons(*this);
    setFont(classicFont(QStringLiteral("MS Sans Serif"), kButtonFontPixels));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    // Children stack in creation order: the picture at the bottom, the labels over it, the
    // button over everything.
    createImage(jpeg);
    TPictureLabel** const labels[] = {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6, &Label7, &Label8};
    static_assert(std::size(labels) == std::size(kLabelLines));
    for (std::size_t i = 0; i < std::size(labels); ++i) {
        *labels[i] = createLabel(kLabelLines[i].top, QString::fromUtf8(kLabelLines[i].text));
        Image1->addCaption(*labels[i]);
    }
    createButton();
    installAboutBoxFactory();
    setAccessibleDescription(makerDetails(*this));
    Image1->setAccessibleName(QStringLiteral("Kodexa – Suche in den CPV-Codes 2007, ein Baum aus CPV-Codes"));

    // The box is exactly the picture in device pixels, whatever the screen's text size.
    layOutForScale(screen() != nullptr ? screen()->devicePixelRatio() : 1.0);
    centreOnScreen(*this);
}

void TDlgAbout::createImage(std::span<const std::byte> jpeg) {
    Image1 = new TImage(decodeJpeg(jpeg), this);
}

TPictureLabel* TDlgAbout::createLabel(int top, const QString& text) {
    auto* label = new TPictureLabel(text, QPoint(kLabelLeft, top), this);
    label->setFont(classicFont(QStringLiteral("MS Sans Serif"), 13, QFont::Bold));
    label->setTextFormat(Qt::PlainText);
    // The label would take its text colour from the box's button-face role; it has its own.
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(kSilver));
    label->setPalette(palette);
    label->setForegroundRole(QPalette::WindowText);
    return label;
}

void TDlgAbout::createButton() {
    BitBtn1 = new QPushButton(checkMarkGlyph(), QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn1->setFocus();
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TDlgAbout::layOutForScale(qreal scale) {
    laidOutScale_ = scale;
    const QSize picture = Image1->picture().size();
    const QSize client(coveringLogical(picture.width(), scale), coveringLogical(picture.height(), scale));
    Image1->setGeometry(QRect(QPoint(0, 0), client));
    for (TPictureLabel* label : {Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8})
        label->setGeometry(coveringLogical(label->deviceGeometry(), scale));
    BitBtn1->setGeometry(nearestLogical(kButtonGeometry, scale));
    BitBtn1->setIconSize(nearestLogical(QRect(QPoint(0, 0), kGlyphSize), scale).size());
    // MS Sans Serif comes as a bitmap of one size, which a scaled painter draws with gaps between
    // its letters; Tahoma, its scalable successor, stands in at the same character height.
    const qreal logicalDpi = screen() != nullptr ? screen()->logicalDotsPerInchY() : 96.0;
    const QFont buttonFont = scale == 1.0 ? font() : classicFont(QStringLiteral("Tahoma"), kButtonFontPixels);
    BitBtn1->setFont(atDevicePixels(buttonFont, scale, logicalDpi));
    setFixedSize(client);
}

void TDlgAbout::showEvent(QShowEvent* event) {
    // The box can come up on a screen of another scale than the one it was made for.
    if (devicePixelRatioF() != laidOutScale_) {
        layOutForScale(devicePixelRatioF());
        centreOnScreen(*this);
    }
    QDialog::showEvent(event);
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
