#include "ProgramStart.h"

#include "DlgSearch.h"
#include "MerklisteFile.h"
#include "RuntimeFolder.h"

#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPluginLoader>
#include <QTimer>
#include <QTranslator>

#include <memory>

#include <dlfcn.h>

namespace kodexa {

namespace {

constexpr const char* kProgramName = "Kodexa";

// The platforms Qt tries, in order: QT_QPA_PLATFORM's list, else wayland in a Wayland session (not
// under GNOME, where Qt 6 keeps to xcb), then xcb.
QStringList platformsToTry() {
    const QString named = qEnvironmentVariable("QT_QPA_PLATFORM");
    QStringList names;
    for (const QString& entry : named.split(u';', Qt::SkipEmptyParts))
        names.append(entry.section(u':', 0, 0).trimmed().toLower()); // "xcb:option=value"
    if (!names.isEmpty())
        return names;
    const QString desktops =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP") + qEnvironmentVariable("XDG_SESSION_DESKTOP");
    if (qEnvironmentVariable("XDG_SESSION_TYPE") == u"wayland" &&
        !desktops.contains(u"gnome", Qt::CaseInsensitive))
        names.append(QStringLiteral("wayland"));
    names.append(QStringLiteral("xcb"));
    return names;
}

// The folders Qt looks for platform plugins in.
QStringList pluginFolders() {
    QStringList folders = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH").split(u':', Qt::SkipEmptyParts);
    for (const QString& path : qEnvironmentVariable("QT_PLUGIN_PATH").split(u':', Qt::SkipEmptyParts))
        folders.append(path + QStringLiteral("/platforms"));
    folders.append(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    return folders;
}

// Whether a platform plugin declares the name among its keys; read from its metadata, not loaded.
bool pluginInstalled(const QString& name) {
    for (const QString& folder : pluginFolders()) {
        for (const QString& file : QDir(folder).entryList(QDir::Files)) {
            const QJsonObject metaData =
                QPluginLoader(folder + u'/' + file).metaData().value(QStringLiteral("MetaData")).toObject();
            for (const QJsonValue& key : metaData.value(QStringLiteral("Keys")).toArray()) {
                if (key.toString().compare(name, Qt::CaseInsensitive) == 0)
                    return true;
            }
        }
    }
    return false;
}

// Opens and closes a connection through the client library's connect and disconnect functions;
// false when the library is missing or the connection fails.
template <typename Connect, typename Disconnect, typename Check>
bool canConnect(const char* library, const char* connectName, const char* disconnectName, Check failed) {
    void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        return false;
    const auto connect = reinterpret_cast<Connect>(::dlsym(handle, connectName));
    const auto disconnect = reinterpret_cast<Disconnect>(::dlsym(handle, disconnectName));
    bool connected = false;
    if (connect != nullptr && disconnect != nullptr) {
        void* connection = connect(nullptr, nullptr);
        connected = connection != nullptr && !failed(handle, connection);
        if (connection != nullptr)
            disconnect(connection);
    }
    ::dlclose(handle);
    return connected;
}

bool x11DisplayReachable() {
    using Connect = void* (*)(const char*, int*);
    using Disconnect = void (*)(void*);
    return canConnect<Connect, Disconnect>(
        "libxcb.so.1", "xcb_connect", "xcb_disconnect", [](void* handle, void* connection) {
            using HasError = int (*)(void*);
            const auto hasError = reinterpret_cast<HasError>(::dlsym(handle, "xcb_connection_has_error"));
            return hasError == nullptr || hasError(connection) != 0;
        });
}

bool waylandDisplayReachable() {
    using Connect = void* (*)(const char*, void*);
    using Disconnect = void (*)(void*);
    return canConnect<Connect, Disconnect>("libwayland-client.so.0", "wl_display_connect",
                                           "wl_display_disconnect", [](void*, void*) { return false; });
}

// Why one platform cannot start, or an empty text.
QString problemOf(const QString& platform) {
    if (!pluginInstalled(platform))
        return QStringLiteral("Die Plattform \u201E%1\u201C (QT_QPA_PLATFORM) ist nicht installiert.")
            .arg(platform);
    if (platform == u"xcb") {
        const QString display = qEnvironmentVariable("DISPLAY");
        if (display.isEmpty())
            return QStringLiteral("Keine Anzeige: DISPLAY ist nicht gesetzt.");
        if (!x11DisplayReachable())
            return QStringLiteral("Die X-Anzeige \u201E%1\u201C ist nicht erreichbar.").arg(display);
    }
    if (platform.startsWith(u"wayland") && !waylandDisplayReachable())
        return QStringLiteral("Keine Wayland-Anzeige erreichbar (WAYLAND_DISPLAY \u201E%1\u201C).")
            .arg(qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0")));
    return {};
}

} // namespace

ApplicationArguments::ApplicationArguments(int argc, const char* const* argv)
    : name_(argc > 0 && argv != nullptr && argv[0] != nullptr ? argv[0] : kProgramName) {
    argv_[0] = name_.data();
    argv_[1] = nullptr;
}

std::string platformProblem() {
    QString first;
    for (const QString& platform : platformsToTry()) {
        const QString problem = problemOf(platform);
        if (problem.isEmpty())
            return {};
        if (first.isEmpty())
            first = problem;
    }
    return (QStringLiteral("Die Programmoberfl\u00E4che kann nicht starten. ") + first).toStdString();
}

namespace {

// Key names in menus as German keyboards and manuals write them ("Strg+Eingabe", "Strg+Pfeil nach
// unten"); the toolkit's German texts leave "Return" as it is and call Down "Herunter". Asked
// before them; every other text falls through.
class GermanKeyNames final : public QTranslator {
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* = nullptr,
                      int = -1) const override {
        if (context == nullptr || sourceText == nullptr || qstrcmp(context, "QShortcut") != 0)
            return {};
        static const std::pair<const char*, const char*> names[] = {
            {"Return", "Eingabe"},
            {"Enter", "Eingabe"},
            {"Up", "Pfeil nach oben"},
            {"Down", "Pfeil nach unten"},
            {"Left", "Pfeil nach links"},
            {"Right", "Pfeil nach rechts"},
            {"Ins", "Einfg"},
            {"Del", "Entf"},
            {"Shift", "Umschalt"},
        };
        for (const auto& [english, german] : names)
            if (qstrcmp(sourceText, english) == 0)
                return QString::fromUtf8(german);
        return {};
    }
};

} // namespace

bool installGermanToolkitTexts(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    // Installed last, so asked first.
    return QCoreApplication::installTranslator(translator) &&
           QCoreApplication::installTranslator(new GermanKeyNames(&application));
}

int runProgram(int argc, const char* const* argv, SystemClock* clock) {
    const RuntimeFolder runtimeFolder; // before the application, which looks there as it starts
    ApplicationArguments arguments(argc, argv);
    QApplication application(arguments.argc(), arguments.argv());
    QApplication::setApplicationName(QString::fromLatin1(kProgramName));
    QApplication::setDesktopFileName(QStringLiteral(KODEXA_APP_ID));
    installGermanToolkitTexts(application);
    const auto window = std::make_unique<TDlgSearchCPV>(clock);
    DlgSearchCPV = window.get();
    const QString merklisteProblem = window->openMerkliste(MerklisteFile::standardPath());
    window->show();
    // What happened to the Merkliste's file is told once, over the window.
    if (!merklisteProblem.isEmpty())
        QTimer::singleShot(0, window.get(), [&window, merklisteProblem] {
            QMessageBox::warning(window.get(), QCoreApplication::applicationName(), merklisteProblem);
        });
    const int status = QApplication::exec();
    DlgSearchCPV = nullptr;
    return status;
}

} // namespace kodexa
