// Feeds arbitrary bytes to the Merkliste's file reader over a few known codes. Whatever it reads
// is a list with at most one main code (exactly one when it holds any), and that list written and
// read again is the same list, undamaged. Joining it with itself and with the empty list changes
// nothing. The same bytes pasted add only codes the list has, each once, and pasting the list's own
// copied text again adds nothing.
#include "Merkliste.h"
#include "Paste.h"

#include <cstdlib>
#include <string_view>

namespace {

using namespace kodexa::merkliste;

const CodeTerms& knownTerms() {
    static const CodeTerms terms = [] {
        CodeTerms known;
        known.add("03111000", "Saatgut");
        known.add("45000000", "Bauarbeiten");
        known.add("90919200", "B\xFCroreinigung");
        known.add("30213100", "Tragbare Computer; \"Laptops\"");
        return known;
    }();
    return terms;
}

void check(bool holds) {
    if (!holds)
        std::abort();
}

std::size_t mainCodes(const Merkliste& list) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < list.size(); ++i)
        count += list.roleOf(i) == Role::Main;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ReadList read = readFileText(text, knownTerms());
    check(mainCodes(read.list) == (read.list.empty() ? 0u : 1u));
    const ReadList again = readFileText(read.list.fileText(), knownTerms());
    check(!again.damaged && again.unreadLines == 0);
    check(again.list.sameCodesAs(read.list));
    check(mergeChanges(read.list, read.list, read.list).sameCodesAs(read.list));
    check(mergeChanges(Merkliste(), Merkliste(), read.list).sameCodesAs(read.list));
    check(mergeChanges(Merkliste(), read.list, Merkliste()).sameCodesAs(read.list));

    Merkliste pasted;
    const PasteOutcome outcome = pasteCodes(pasted, text, knownTerms());
    check(outcome.added == pasted.size() && outcome.alreadyThere == 0);
    for (const Entry& entry : pasted.entries())
        check(knownTerms().termOf(entry.code) != nullptr);
    check(pasteCodes(pasted, pasted.copyText(), knownTerms()).added == 0);
    check(!pasteSummary(outcome).empty());
    return 0;
}
