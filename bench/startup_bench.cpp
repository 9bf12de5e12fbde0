// Program start: creating the main window (both tables loaded and open, the status window, the
// splash created, shown and painted, with its five-second wait on a clock that does not sleep),
// and then showing and painting the window. Offscreen unless QT_QPA_PLATFORM says otherwise.
// Run with e.g.
//   startup_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include "Collation.h"
#include "DlgSearch.h"
#include "SystemClock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QTabWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

namespace {

using namespace kodexa;

// Destroys a window outside the timed part of an iteration.
void destroyUntimed(benchmark::State& state, std::unique_ptr<TDlgSearchCPV>& window) {
    state.PauseTiming();
    window.reset();
    QApplication::processEvents(); // deferred deletes of the windows it created
    state.ResumeTiming();
}

void BM_CreateMainWindow(benchmark::State& state) {
    InstantClock clock;
    for (auto _ : state) {
        auto window = std::make_unique<TDlgSearchCPV>(&clock);
        benchmark::DoNotOptimize(window.get());
        destroyUntimed(state, window);
    }
}
BENCHMARK(BM_CreateMainWindow)->Unit(benchmark::kMillisecond);

// Up to the first picture of the window: creating it, showing it and painting it once.
void BM_CreateAndShowMainWindow(benchmark::State& state) {
    InstantClock clock;
    for (auto _ : state) {
        auto window = std::make_unique<TDlgSearchCPV>(&clock);
        window->show();
        window->repaint();
        QApplication::processEvents();
        destroyUntimed(state, window);
    }
}
BENCHMARK(BM_CreateAndShowMainWindow)->Unit(benchmark::kMillisecond);

// The first showing of the tree page, which builds the tree, lays it out and paints it.
void BM_FirstTreePage(benchmark::State& state) {
    InstantClock clock;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<TDlgSearchCPV>(&clock);
        window->show();
        QApplication::processEvents();
        state.ResumeTiming();
        window->PageControl1->setCurrentWidget(window->TabSheet2);
        window->repaint();
        QApplication::processEvents();
        destroyUntimed(state, window);
    }
}
BENCHMARK(BM_FirstTreePage)->Unit(benchmark::kMillisecond);

// Lets a window just shown finish what it does once (its first pictures, the timers it started), as
// it has long done when a user clicks.
void settle() {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 50)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The first switch to description order in a shown window, through its radio button's handler:
// the status window's message, the order and the grid's new rows (painted later, with the next
// picture). In a German or C locale the order is the one carried with the list; Sorted gives the
// table the same collation under another name, so that it builds the keys and sorts, as every
// other locale does. Few iterations: each needs a window of its own, settled first.
void firstSwitchInTheWindow(benchmark::State& state, bool sortHere) {
    InstantClock clock;
    const std::shared_ptr<const Collator> german = userLocaleCollator();
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<TDlgSearchCPV>(&clock);
        if (sortHere)
            window->ClientDataSet1.setCollator(german);
        window->show();
        settle();
        state.ResumeTiming();
        window->RadioButton2->click();
        destroyUntimed(state, window);
    }
}

void BM_FirstSwitchToDescriptionOrder(benchmark::State& state) {
    firstSwitchInTheWindow(state, false);
}
BENCHMARK(BM_FirstSwitchToDescriptionOrder)->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_FirstSwitchToDescriptionOrder_Sorted(benchmark::State& state) {
    firstSwitchInTheWindow(state, true);
}
BENCHMARK(BM_FirstSwitchToDescriptionOrder_Sorted)->Unit(benchmark::kMillisecond)->Iterations(40);

// The first window of a process also pays for what is done once: fonts, style, collator.
double firstWindowMilliseconds() {
    InstantClock clock;
    const auto start = std::chrono::steady_clock::now();
    auto window = std::make_unique<TDlgSearchCPV>(&clock);
    window->show();
    window->repaint();
    QApplication::processEvents();
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    window.reset();
    QApplication::processEvents();
    return elapsed.count();
}

// The offscreen platform warns on every window shown that it cannot pass size hints on; the
// warning says nothing about start-up and would bury the results.
QtMessageHandler defaultMessageHandler = nullptr;

void dropSizeHintWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.contains(QLatin1String("propagateSizeHints")))
        return;
    defaultMessageHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    defaultMessageHandler = qInstallMessageHandler(dropSizeHintWarnings);
    QApplication::setApplicationName(QStringLiteral("Kodexa"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::AddCustomContext("first_window_ms", std::to_string(firstWindowMilliseconds()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
