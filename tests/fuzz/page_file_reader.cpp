// Feeds arbitrary bytes to the page file reader. Whatever it accepts must be drawable (the limits
// hold) and must survive a write and a second read unchanged, byte for byte.
#include "PageFile.h"

#include <cmath>
#include <cstdlib>

namespace {

bool withinLimits(const kodexa::report::PageStore& pages) {
    using namespace kodexa::report;
    if (pages.pageCount() == 0)
        return false;
    for (std::size_t index = 0; index < pages.pageCount(); ++index) {
        const Page& page = pages.page(index);
        if (!(page.width > 0 && page.width <= MaxPageInches && page.height > 0 &&
              page.height <= MaxPageInches))
            return false;
        for (const PageItem& item : page.items) {
            const auto* text = std::get_if<PageText>(&item);
            if (text && (text->font >= pages.fonts().size() || !std::isfinite(text->x)))
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kodexa::report;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    PageStore pages;
    try {
        pages = readPageFile(bytes);
    } catch (const PageFileError&) {
        return 0; // refused with a reason: what we want for damaged input
    }
    if (!withinLimits(pages))
        std::abort();
    const std::string written = writePageFile(pages);
    if (written != bytes || !(readPageFile(written) == pages))
        std::abort();
    return 0;
}
