#include "PageStore.h"

#include <functional>

namespace kodexa::report {

std::size_t FontSpecHash::operator()(const FontSpec& font) const noexcept {
    // 0 and -0 are equal sizes; NaN equals nothing, so its hash does not matter.
    const double size = font.pointSize == 0 ? 0.0 : font.pointSize;
    std::size_t hash = std::hash<std::string>()(font.name);
    const auto mix = [&hash](std::size_t value) {
        hash ^= value + 0x9E3779B97F4A7C15u + (hash << 6) + (hash >> 2);
    };
    mix(std::hash<double>()(size));
    mix((font.bold ? 1u : 0u) | (font.italic ? 2u : 0u) | (font.underline ? 4u : 0u) |
        (font.strikeOut ? 8u : 0u));
    mix(std::hash<int>()(font.charset));
    mix(font.color);
    return hash;
}

std::uint32_t PageStore::addFont(const FontSpec& font) {
    const auto known = fontIndex_.find(font);
    if (known != fontIndex_.end())
        return known->second;
    const auto index = static_cast<std::uint32_t>(fonts_.size());
    fonts_.push_back(font);
    fontIndex_.emplace(font, index);
    return index;
}

Page& PageStore::addPage(double width, double height) {
    pages_.push_back(Page{width, height, {}});
    return pages_.back();
}

} // namespace kodexa::report
