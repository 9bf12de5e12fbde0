#include "TitleBar.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace kodexa {
namespace {

// The layout of _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
constexpr std::uint32_t kHintsFunctions = 1U << 0;
constexpr std::uint32_t kHintsDecorations = 1U << 1;
constexpr std::uint32_t kFunctionMove = 1U << 2;
constexpr std::uint32_t kDecorationBorder = 1U << 1;
constexpr std::uint32_t kDecorationTitle = 1U << 3;

constexpr std::array<std::uint32_t, 5> kTitleOnlyHints{kHintsFunctions | kHintsDecorations, kFunctionMove,
                                                       kDecorationBorder | kDecorationTitle, 0, 0};

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    const ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr),
                                                  &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

ReplyPtr<xcb_get_property_reply_t> readProperty(xcb_connection_t* connection, xcb_window_t window,
                                                xcb_atom_t property, xcb_atom_t type) {
    const xcb_get_property_cookie_t cookie = xcb_get_property(connection, 0, window, property, type, 0, 256);
    return ReplyPtr<xcb_get_property_reply_t>(xcb_get_property_reply(connection, cookie, nullptr),
                                              &std::free);
}

// The name the running window manager gives itself (_NET_SUPPORTING_WM_CHECK), or "".
std::string windowManagerName(xcb_connection_t* connection) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (screen == nullptr)
        return {};
    const auto check = readProperty(connection, screen->root,
                                    internAtom(connection, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (!check || check->format != 32 || xcb_get_property_value_length(check.get()) < 4)
        return {};
    const xcb_window_t manager = *static_cast<const xcb_window_t*>(xcb_get_property_value(check.get()));
    const auto name = readProperty(connection, manager, internAtom(connection, "_NET_WM_NAME"),
                                   internAtom(connection, "UTF8_STRING"));
    if (!name || name->format != 8)
        return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(name.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(name.get())));
}

void writeTitleOnlyHints(QWidget& window) {
    const auto* x11 =
        qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr)
        return;
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t hints = internAtom(connection, "_MOTIF_WM_HINTS");
    if (hints != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, hints, hints, 32, kTitleOnlyHints.size(),
                            kTitleOnlyHints.data());
    // Openbox takes from the hints only whether a window has a title bar. It leaves out the
    // minimise and maximise buttons, and their functions, for a window of the toolbar type only,
    // which it still draws with its caption; the close button stays whatever the window says, and
    // these windows ignore a request to close. (Other window managers draw toolbars without a title
    // bar, so the type is changed for openbox alone.)
    if (windowManagerName(connection) == "Openbox") {
        const xcb_atom_t type = internAtom(connection, "_NET_WM_WINDOW_TYPE");
        const xcb_atom_t toolbar = internAtom(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR");
        if (type != XCB_ATOM_NONE && toolbar != XCB_ATOM_NONE)
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, type, XCB_ATOM_ATOM, 32, 1, &toolbar);
    }
    xcb_flush(connection);
}

class TitleOnlyHints final : public QObject {
public:
    explicit TitleOnlyHints(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
        if (window.testAttribute(Qt::WA_WState_Created))
            writeTitleOnlyHints(window);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The native window exists by the time the widget is told it shows, and is not mapped yet.
        if (watched == &window_ && event->type() == QEvent::Show)
            writeTitleOnlyHints(window_);
        return false;
    }

private:
    QWidget& window_;
};

} // namespace

void keepTitleBarWithoutButtons(QWidget& window) {
    new TitleOnlyHints(window);
}

} // namespace kodexa
