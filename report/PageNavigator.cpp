#include "PageNavigator.h"

#include <algorithm>
#include <cmath>

namespace kodexa::report {

PageNavigator::PageNavigator(int pageCount, double zoom, double zoomStep)
    : pageCount_(std::max(pageCount, 0)), page_(pageCount_ > 0 ? 1 : 0),
      zoom_(std::clamp(zoom, MinZoom, MaxZoom)), zoomStep_(zoomStep) {}

bool PageNavigator::goToPage(int page) {
    if (pageCount_ == 0)
        return false;
    const int target = std::clamp(page, 1, pageCount_);
    if (target == page_)
        return false;
    page_ = target;
    return true;
}

bool PageNavigator::setZoom(double zoom) {
    if (!std::isfinite(zoom))
        return false;
    const double target = std::clamp(zoom, MinZoom, MaxZoom);
    if (target == zoom_)
        return false;
    zoom_ = target;
    return true;
}

} // namespace kodexa::report
