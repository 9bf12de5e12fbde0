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

namespace {

double tenthBelow(double zoom) {
    return std::floor(zoom * 10 + 1e-9) / 10;
}

// The zoom at which length inches take pixels pixels.
double zoomToFit(double length, int pixels, double pixelsPerInch) {
    if (length <= 0 || pixelsPerInch <= 0)
        return PageNavigator::MaxZoom;
    return std::max(pixels, 0) / (length * pixelsPerInch) * 100;
}

} // namespace

double PageNavigator::fitPageZoom(double pageWidth, double pageHeight, int areaWidth, int areaHeight,
                                  double pixelsPerInch) {
    return tenthBelow(std::min(zoomToFit(pageWidth, areaWidth, pixelsPerInch),
                               zoomToFit(pageHeight, areaHeight, pixelsPerInch)));
}

double PageNavigator::fitPageWidthZoom(double pageWidth, double pageHeight, int areaWidth, int areaHeight,
                                       int scrollBarWidth, double pixelsPerInch) {
    const double zoom = zoomToFit(pageWidth, areaWidth, pixelsPerInch);
    const double pageHeightPixels = pageHeight * pixelsPerInch * zoom / 100;
    if (pageHeightPixels <= areaHeight)
        return tenthBelow(zoom);
    return tenthBelow(zoomToFit(pageWidth, areaWidth - scrollBarWidth, pixelsPerInch));
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
