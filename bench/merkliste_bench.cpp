// Reading the Merkliste's file at its largest accepted size: 16 MB of lines, every code of the list
// again and again, as a hand-edited or looping script's file may be. Reading stays linear: the
// duplicates are told apart by a set, not by a walk through the list read so far. And pasting the
// texts a buyer copies at the sizes a paste must take in an instant: 10,000 lines of a notice's
// CPV section (one check digit in ten right, so that most are refused and named), and 1 MB of
// tender text with codes in its sentences.
#include "Merkliste.h"
#include "Paste.h"

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

// Lines as a notice lists codes, every code of the list in turn, with its digit and its term.
std::string noticeLines(const ListFile& file, std::size_t count) {
    std::vector<std::string> codes;
    for (std::size_t at = file.text.find('\n') + 1; at < file.text.size() && codes.size() < 9454;) {
        codes.push_back(file.text.substr(at, 8));
        at = file.text.find('\n', at) + 1;
    }
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += "CPV: " + codes[(i * 7919) % codes.size()] + "-" + std::to_string(i % 10) + " " +
                *file.terms.termOf(codes[(i * 7919) % codes.size()]) + "\n";
    return text;
}

void pasteInto(benchmark::State& state, const std::string& text) {
    const ListFile& file = duplicatesFile();
    PasteOutcome outcome;
    for (auto _ : state) {
        Merkliste list;
        outcome = pasteCodes(list, text, file.terms);
        benchmark::DoNotOptimize(list.size());
    }
    state.counters["added"] = static_cast<double>(outcome.added);
    state.counters["refused"] = static_cast<double>(outcome.read.refused.size());
    state.counters["kilobytes"] = static_cast<double>(text.size()) / 1024.0;
}

void Merkliste_PasteTenThousandNoticeLines(benchmark::State& state) {
    static const std::string text = noticeLines(duplicatesFile(), 10'000);
    pasteInto(state, text);
}

void Merkliste_PasteOneMegabyteOfTenderText(benchmark::State& state) {
    static const std::string text = [] {
        const std::string lines = noticeLines(duplicatesFile(), 200);
        std::string sentences;
        for (std::size_t at = 0; sentences.size() < 1024 * 1024; at = (at + 97) % (lines.size() - 40))
            sentences +=
                "Die Leistung umfasst nach Los 3 (Az. 2026-0815) auch " + lines.substr(at, 40) + " usw.\n";
        return sentences;
    }();
    pasteInto(state, text);
}

} // namespace

BENCHMARK(Merkliste_PasteTenThousandNoticeLines)->Unit(benchmark::kMillisecond);
BENCHMARK(Merkliste_PasteOneMegabyteOfTenderText)->Unit(benchmark::kMillisecond);
BENCHMARK(Merkliste_ReadSixteenMegabytesOfDuplicates)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
