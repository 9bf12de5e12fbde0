#include "PageStore.h"

#include <algorithm>

namespace kodexa::report {

std::uint32_t PageStore::addFont(const FontSpec& font) {
    const auto known = std::find(fonts_.begin(), fonts_.end(), font);
    if (known != fonts_.end())
        return static_cast<std::uint32_t>(known - fonts_.begin());
    fonts_.push_back(font);
    return static_cast<std::uint32_t>(fonts_.size() - 1);
}

Page& PageStore::addPage(double width, double height) {
    pages_.push_back(Page{width, height, {}});
    return pages_.back();
}

} // namespace kodexa::report
