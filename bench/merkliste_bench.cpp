// Reading the Merkliste's file at its largest accepted size: 16 MB of lines, every code of the list
// again and again, as a hand-edited or looping script's file may be. Reading stays linear: the
// duplicates are told apart by a set, not by a walk through the list read so far.
#include "Merkliste.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace kodexa::merkliste;

struct ListFile {
    CodeTerms terms;
    std::string text;
};

const ListFile& duplicatesFile() {
    static const ListFile file = [] {
        ListFile made;
        std::ifstream source(KODEXA_DATA_DIR "/cpv2007-de.tsv", std::ios::binary);
        std::string line;
        std::getline(source, line); // the header
        std::vector<std::string> lines;
        while (std::getline(source, line)) {
            const std::size_t tab = line.find('\t');
            made.terms.add(line.substr(0, tab), line.substr(tab + 1));
            lines.push_back(line + "\tZusatz\n");
        }
        made.text = "Code\tBezeichnung\tRolle\n";
        constexpr std::size_t Limit = 16 * 1024 * 1024;
        for (std::size_t i = 0; made.text.size() + lines[i % lines.size()].size() <= Limit; ++i)
            made.text += lines[i % lines.size()];
        return made;
    }();
    return file;
}

void Merkliste_ReadSixteenMegabytesOfDuplicates(benchmark::State& state) {
    const ListFile& file = duplicatesFile();
    std::size_t codes = 0;
    for (auto _ : state) {
        const ReadList read = readFileText(file.text, file.terms);
        codes = read.list.size();
    }
    state.counters["codes"] = static_cast<double>(codes);
    state.counters["megabytes"] = static_cast<double>(file.text.size()) / (1024.0 * 1024.0);
}

} // namespace

BENCHMARK(Merkliste_ReadSixteenMegabytesOfDuplicates)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
