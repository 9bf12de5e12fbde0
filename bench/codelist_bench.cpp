// Loading the carried block into a table, and a full walk over its view reading both fields.
#include "ClientDataSet.h"
#include "CodeList.h"

#include <benchmark/benchmark.h>

namespace {

void LoadCarriedBlock(benchmark::State& state) {
    for (auto _ : state) {
        kodexa::TClientDataSet table("ClientDataSet1");
        kodexa::codelist::loadCarried(table);
        benchmark::DoNotOptimize(table.recordCount());
    }
}
BENCHMARK(LoadCarriedBlock)->Unit(benchmark::kMillisecond);

void WalkFirstToEnd(benchmark::State& state) {
    kodexa::TClientDataSet table("ClientDataSet1");
    kodexa::codelist::loadCarried(table);
    const std::size_t code = table.fieldByName("CPV_ID");
    const std::size_t description = table.fieldByName("CPV_DESC");
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (table.first(); !table.eof(); table.next()) {
            bytes += table.fieldText(code).size();
            bytes += table.fieldText(description).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(WalkFirstToEnd)->Unit(benchmark::kMillisecond);

void CloseAndReopen(benchmark::State& state) {
    kodexa::TClientDataSet table("QueryCPVTree");
    kodexa::codelist::loadCarried(table);
    for (auto _ : state) {
        table.close();
        table.open();
        benchmark::DoNotOptimize(table.recordCount());
    }
}
BENCHMARK(CloseAndReopen)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
