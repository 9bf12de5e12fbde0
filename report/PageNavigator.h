#pragma once

namespace kodexa::report {

// Which page a preview shows and at what zoom, with the rules of its commands. Pages count from 1;
// a requested page outside 1 to N shows the nearest page, a zoom outside 10 to 200 % the nearest
// limit. Each change returns whether anything changed, so views repaint only when they must.
class PageNavigator {
public:
    static constexpr double MinZoom = 10;
    static constexpr double MaxZoom = 200;

    PageNavigator(int pageCount, double zoom, double zoomStep);

    int pageCount() const { return pageCount_; }
    int page() const { return page_; } // 0 only when there is no page
    double zoom() const { return zoom_; }

    bool canGoFirst() const { return page_ > 1; }
    bool canGoPrevious() const { return page_ > 1; }
    bool canGoNext() const { return page_ < pageCount_; }
    bool canGoLast() const { return page_ < pageCount_; }

    bool goToPage(int page);
    bool first() { return goToPage(1); }
    bool previous() { return canGoPrevious() && goToPage(page_ - 1); }
    bool next() { return canGoNext() && goToPage(page_ + 1); }
    bool last() { return goToPage(pageCount_); }

    bool setZoom(double zoom);
    bool zoomIn() { return setZoom(zoom_ + zoomStep_); }
    bool zoomOut() { return zoom_ > MinZoom && setZoom(zoom_ - zoomStep_); }

private:
    int pageCount_;
    int page_;
    double zoom_;
    double zoomStep_;
};

} // namespace kodexa::report
