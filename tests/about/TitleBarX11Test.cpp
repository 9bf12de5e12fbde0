// The title bars of the status window and the about box on a real X server: the hints the windows
// give the window manager, and, with a window manager running (its name in KODEXA_WM), what that
// window manager then allows the user to do with them. tests/about/run_under_wm.sh starts the X
// server and the window manager; on any other platform than X11 the cases are skipped.
#include "DlgAbout.h"
#include "DlgStatus.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace kodexa;

namespace {

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_connection_t* connection() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t atom(const char* name) {
    const ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection(), xcb_intern_atom(connection(), 0, std::strlen(name), name),
                              nullptr),
        &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

QByteArray property(const QWidget& window, const char* name, xcb_atom_t type = XCB_ATOM_ANY) {
    const ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection(),
                               xcb_get_property(connection(), 0, static_cast<xcb_window_t>(window.winId()),
                                                atom(name), type, 0, 1024),
                               nullptr),
        &std::free);
    if (!reply)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

QList<quint32> words(const QByteArray& bytes) {
    QList<quint32> result(bytes.size() / 4);
    std::memcpy(result.data(), bytes.constData(), static_cast<std::size_t>(result.size()) * 4);
    return result;
}

QString windowManager() {
    return qEnvironmentVariable("KODEXA_WM");
}

// The window, shown, as the window system and the window manager see it.
void checkTitleBar(QWidget& window, const QString& caption) {
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Border and title; of the functions only moving: no menu, minimise, maximise, close or resizing.
    QCOMPARE(words(property(window, "_MOTIF_WM_HINTS")), (QList<quint32>{0x3, 0x4, 0xA, 0, 0}));
    QCOMPARE(QString::fromUtf8(property(window, "_NET_WM_NAME")), caption);
    if (windowManager().isEmpty())
        return;

    QList<quint32> allowed;
    QVERIFY(QTest::qWaitFor(
        [&] {
            allowed = words(property(window, "_NET_WM_ALLOWED_ACTIONS", XCB_ATOM_ATOM));
            return !allowed.isEmpty();
        },
        5000));
    QVERIFY(allowed.contains(atom("_NET_WM_ACTION_MOVE")));
    for (const char* action : {"_NET_WM_ACTION_MINIMIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ",
                               "_NET_WM_ACTION_MAXIMIZE_VERT", "_NET_WM_ACTION_RESIZE"})
        QVERIFY2(!allowed.contains(atom(action)), action);
    // Openbox keeps a close button on every window with a title bar; these windows ignore it.
    if (windowManager() != QLatin1String("openbox"))
        QVERIFY(!allowed.contains(atom("_NET_WM_ACTION_CLOSE")));
}

} // namespace

class TitleBarX11Test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (connection() == nullptr)
            QSKIP("not on an X server");
    }

    void statusWindowHasATitleAndNoButtons() {
        TDlgStatus status;
        ShowStatus(&status, QStringLiteral("Suche passende CPV-Codes ..."));
        checkTitleBar(status, QStringLiteral("Status"));
        // Shown again, the window keeps its hints.
        status.hide();
        ShowStatus(&status, QStringLiteral("Datensätze werden sortiert ..."));
        checkTitleBar(status, QStringLiteral("Status"));
    }

    void splashHasATitleAndNoButtons() {
        TDlgAbout box(nullptr);
        ShowAsSplash(&box);
        checkTitleBar(box, QStringLiteral("Über"));
        // Asked to close, the splash stays.
        box.close();
        QVERIFY(box.isVisible());
    }

    void aboutBoxFromTheMenuHasATitleAndNoButtons() {
        bool checked = false;
        QTimer::singleShot(0, this, [&] {
            checkTitleBar(*DlgAbout, QStringLiteral("Über"));
            checked = true;
            DlgAbout->BitBtn1->click();
        });
        QTimer::singleShot(20000, this, [] {
            if (DlgAbout)
                DlgAbout->done(-1);
        });
        QCOMPARE(ShowAboutModal(nullptr), int(QDialog::Accepted));
        QVERIFY(checked);
    }
};

QTEST_MAIN(TitleBarX11Test)
#include "TitleBarX11Test.moc"
