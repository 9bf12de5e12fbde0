// The code tree: the whole build into a visible QTreeWidget (offscreen) and into memory, and one
// double-click walk. Run with e.g.
//   tree_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include "ClientDataSet.h"
#include "CodeList.h"
#include "CodeLocator.h"
#include "CodeTree.h"
#include "MemoryTreeNodes.h"
#include "ProgressBarIndicator.h"
#include "TreeWidgetNodes.h"

#include <QApplication>
#include <QProgressBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kodexa;
using namespace kodexa::tree;

std::unique_ptr<TClientDataSet> carriedTable(std::string name) {
    auto table = std::make_unique<TClientDataSet>(std::move(name));
    codelist::loadCarried(*table);
    return table;
}

// The tree page as the main window lays it out, shown: the tree, and the bar below it, hidden.
struct TreePage {
    TreePage() {
        auto* layout = new QVBoxLayout(&page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(tree);
        layout->addWidget(bar);
        bar->setFixedHeight(16);
        bar->hide();
        configureCodeTreeView(tree);
        page.resize(679, 547);
        page.show();
        QApplication::processEvents();
    }

    void build(TClientDataSet& table) {
        BuildCodeTree(table, nodes, progress, rootNode, currentCode, currentDesc);
    }

    QWidget page;
    QTreeWidget* tree = new QTreeWidget(&page);
    QProgressBar* bar = new QProgressBar(&page);
    TreeWidgetNodes nodes{tree};
    ProgressBarIndicator progress{bar};
    NodeRef rootNode;
    std::string currentCode;
    std::string currentDesc;
};

void BM_BuildIntoTreeWidget(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto page = std::make_unique<TreePage>();
        const auto table = carriedTable("QueryCPVTree");
        state.ResumeTiming();

        page->build(*table);

        state.PauseTiming();
        QApplication::processEvents(); // what the event loop does next: lay the tree out, paint it
        page.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildIntoTreeWidget)->Unit(benchmark::kMillisecond);

void BM_BuildIntoMemory(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const auto table = carriedTable("QueryCPVTree");
        MemoryTreeNodes nodes;
        NoProgress progress;
        NodeRef rootNode;
        std::string currentCode;
        std::string currentDesc;
        state.ResumeTiming();

        BuildCodeTree(*table, nodes, progress, rootNode, currentCode, currentDesc);
        benchmark::DoNotOptimize(nodes.count());
    }
}
BENCHMARK(BM_BuildIntoMemory)->Unit(benchmark::kMillisecond);

std::vector<std::string> allCodes() {
    const auto table = carriedTable("ClientDataSet1");
    std::vector<std::string> codes;
    for (table->first(); !table->eof(); table->next())
        codes.push_back(table->fieldAsString("CPV_ID"));
    return codes;
}

// One walk of a double-click on a built, shown tree, code after code of the list, so that the
// tree fills up with expanded paths as a long session would leave it.
void BM_LocateInTreeWidget(benchmark::State& state) {
    TreePage page;
    page.build(*carriedTable("QueryCPVTree"));
    QApplication::processEvents();
    const std::vector<std::string> codes = allCodes();
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(locateCode(page.nodes, page.rootNode, codes[next]));
        next = (next + 1) % codes.size();
    }
}
BENCHMARK(BM_LocateInTreeWidget)->Unit(benchmark::kMicrosecond);

// The first double-click after the build: the tree still collapsed below the divisions.
void BM_FirstLocateInTreeWidget(benchmark::State& state) {
    const std::vector<std::string> codes = allCodes();
    std::size_t next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto page = std::make_unique<TreePage>();
        page->build(*carriedTable("QueryCPVTree"));
        QApplication::processEvents();
        state.ResumeTiming();

        benchmark::DoNotOptimize(locateCode(page->nodes, page->rootNode, codes[next]));

        state.PauseTiming();
        next = (next + 997) % codes.size();
        page.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstLocateInTreeWidget)->Unit(benchmark::kMicrosecond)->Iterations(50);

// A later double-click that opens a branch of another division: the scroll bars are settled.
void BM_LocateNewBranchInTreeWidget(benchmark::State& state) {
    const std::vector<std::string> codes = allCodes();
    std::size_t next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto page = std::make_unique<TreePage>();
        page->build(*carriedTable("QueryCPVTree"));
        locateCode(page->nodes, page->rootNode, "98910000");
        QApplication::processEvents();
        state.ResumeTiming();

        benchmark::DoNotOptimize(locateCode(page->nodes, page->rootNode, codes[next]));

        state.PauseTiming();
        next = (next + 997) % (codes.size() - 200); // stays out of the last division
        page.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LocateNewBranchInTreeWidget)->Unit(benchmark::kMicrosecond)->Iterations(50);

void BM_LocateInMemory(benchmark::State& state) {
    const auto table = carriedTable("QueryCPVTree");
    MemoryTreeNodes nodes;
    NoProgress progress;
    NodeRef rootNode;
    std::string currentCode;
    std::string currentDesc;
    BuildCodeTree(*table, nodes, progress, rootNode, currentCode, currentDesc);
    const std::vector<std::string> codes = allCodes();
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(locateCode(nodes, rootNode, codes[next]));
        next = (next + 1) % codes.size();
    }
}
BENCHMARK(BM_LocateInMemory)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
