// The program's start: what the application object is built from, and the real start as main runs
// it, given the toolkit's own command-line options, which must have no effect.
#include "ProgramStart.h"
#include "DlgAbout.h"
#include "DlgSearch.h"
#include "SystemClock.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace kodexa;

namespace {

TEST(ApplicationArguments, KeepOnlyTheProgramName) {
    const char* const argv[] = {"/usr/bin/Kodexa", "-reverse",  "-qwindowtitle",
                                "Hallo",           "datei.txt", nullptr};
    ApplicationArguments arguments(5, argv);
    EXPECT_EQ(arguments.argc(), 1);
    EXPECT_EQ(std::string(arguments.argv()[0]), "/usr/bin/Kodexa");
    EXPECT_EQ(arguments.argv()[1], nullptr);
}

TEST(ApplicationArguments, NameTheProgramWhenStartedWithoutAName) {
    const char* const empty[] = {nullptr};
    for (ApplicationArguments* arguments :
         {new ApplicationArguments(0, empty), new ApplicationArguments(0, nullptr),
          new ApplicationArguments(3, empty)}) {
        EXPECT_EQ(arguments->argc(), 1);
        EXPECT_EQ(std::string(arguments->argv()[0]), "Kodexa");
        EXPECT_EQ(arguments->argv()[1], nullptr);
        delete arguments;
    }
}

// Every sleep of the splash's wait advances the tick count at once.
class SplashClock final : public SystemClock {
public:
    std::uint32_t tickCount() override { return ticks_; }
    void sleep(std::uint32_t milliseconds) override {
        if (DlgAbout && DlgAbout->windowHandle())
            splashTitles.push_back(DlgAbout->windowHandle()->title().toStdString());
        ticks_ += milliseconds;
    }
    std::vector<std::string> splashTitles;

private:
    std::uint32_t ticks_ = 0;
};

// What the running program showed, seen from inside its event loop once the main window is up.
struct Observed {
    bool seen = false;
    std::string mainTitle;
    std::string platform;
    bool rightToLeft = true;
    QStringList arguments;
    std::string firstMenuEntry;
};
Observed observed;
bool observing = false;

void observeTheRunningProgram() {
    if (!observing)
        return;
    auto* poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, [poll] {
        if (DlgSearchCPV == nullptr || !DlgSearchCPV->isVisible() || !DlgSearchCPV->windowHandle())
            return;
        poll->stop();
        observed.seen = true;
        observed.mainTitle = DlgSearchCPV->windowHandle()->title().toStdString();
        observed.platform = QGuiApplication::platformName().toStdString();
        observed.rightToLeft = QGuiApplication::isRightToLeft() || DlgSearchCPV->isRightToLeft();
        observed.arguments = QCoreApplication::arguments();
        const std::unique_ptr<QMenu> menu(DlgSearchCPV->Edit1->createStandardContextMenu());
        observed.firstMenuEntry =
            menu->actions().front()->text().section(QLatin1Char('\t'), 0, 0).toStdString();
        QCoreApplication::exit(0);
    });
    poll->start(10);
}
Q_COREAPP_STARTUP_FUNCTION(observeTheRunningProgram)

TEST(ProgramStart, TheToolkitsOptionsHaveNoEffect) {
    const char* const argv[] = {"Kodexa",  "-reverse", "-qwindowtitle", "Hallo", "-platform",
                                "minimal", "-style",   "windows",       nullptr};
    SplashClock clock;
    observing = true;
    EXPECT_EQ(runProgram(8, argv, &clock), 0);
    observing = false;

    ASSERT_TRUE(observed.seen);
    EXPECT_EQ(observed.mainTitle, "Suche in den CPV-Codes 2007");
    EXPECT_EQ(observed.platform, "offscreen"); // as the environment says, not "minimal"
    EXPECT_FALSE(observed.rightToLeft);
    EXPECT_EQ(observed.arguments, QStringList{QStringLiteral("Kodexa")});
    ASSERT_FALSE(clock.splashTitles.empty());
    EXPECT_EQ(clock.splashTitles.front(), "Über");
    // The toolkit's texts are German from the start.
    EXPECT_EQ(observed.firstMenuEntry, "&Rückgängig");
}

// Where the toolkit's platform cannot start, the program says why before Qt aborts; the variables
// each case sets, then the text the problem must hold (empty: no problem).
struct PlatformCase {
    const char* platform; // QT_QPA_PLATFORM; nullptr: unset
    const char* display;  // DISPLAY; nullptr: unset
    const char* expected;
};

class PlatformProblem : public ::testing::TestWithParam<PlatformCase> {
protected:
    static void set(const char* name, const char* value) {
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    void SetUp() override {
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "XDG_SESSION_TYPE"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        ::unsetenv("XDG_SESSION_TYPE");
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_)
            set(name.c_str(), value ? value->c_str() : nullptr);
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_P(PlatformProblem, IsToldBeforeTheToolkitAborts) {
    set("QT_QPA_PLATFORM", GetParam().platform);
    set("DISPLAY", GetParam().display);
    const std::string problem = platformProblem();
    const std::string expected = GetParam().expected;
    if (expected.empty()) {
        EXPECT_EQ(problem, "");
        return;
    }
    EXPECT_EQ(problem.rfind("Die Programmoberfl\u00E4che kann nicht starten. ", 0), 0U) << problem;
    EXPECT_NE(problem.find(expected), std::string::npos) << problem;
}

INSTANTIATE_TEST_SUITE_P(
    Platforms, PlatformProblem,
    ::testing::Values(PlatformCase{"offscreen", nullptr, ""},
                      PlatformCase{"minimal:enable_fonts", nullptr, ""},
                      PlatformCase{"bogus;offscreen", nullptr, ""}, PlatformCase{"OFFSCREEN", nullptr, ""},
                      PlatformCase{
                          "bogus", ":0",
                          "Die Plattform \u201Ebogus\u201C (QT_QPA_PLATFORM) ist nicht installiert."},
                      PlatformCase{nullptr, nullptr, "Keine Anzeige: DISPLAY ist nicht gesetzt."},
                      PlatformCase{"xcb", "", "Keine Anzeige: DISPLAY ist nicht gesetzt."},
                      PlatformCase{"xcb", ":9999", "Die X-Anzeige \u201E:9999\u201C ist nicht erreichbar."},
                      PlatformCase{"xcb;bogus", nullptr, "DISPLAY ist nicht gesetzt"}));

} // namespace
