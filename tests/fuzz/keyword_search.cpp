// Feeds arbitrary text to the keyword search over the carried list: it answers at most the codes
// asked for, each a code of the list and once, tells at least as many found as it shows, and gives
// the same answer when asked again (its per-code vectors are reused between searches).
#include "KeywordIndex.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string_view>

namespace {

void check(bool holds) {
    if (!holds)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kodexa::keyword;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const KeywordIndex& index = KeywordIndex::carried();
    std::size_t found = 0;
    const auto hits = index.search(text, 10, &found);
    check(hits.size() <= 10 && found >= hits.size());
    std::set<std::string> codes;
    for (const KeywordHit& hit : hits) {
        check(hit.code.size() == 8 &&
              std::all_of(hit.code.begin(), hit.code.end(), [](char c) { return c >= '0' && c <= '9'; }));
        check(codes.insert(hit.code).second);
    }
    const auto again = index.search(text, 10);
    check(again.size() == hits.size());
    for (std::size_t i = 0; i < hits.size(); ++i)
        check(again[i].code == hits[i].code);
    return 0;
}
