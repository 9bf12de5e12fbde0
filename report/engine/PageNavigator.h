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

    // The zooms of Fit to Page and Fit to Page Width for a page of pageWidth x pageHeight inches in
    // an area of areaWidth x areaHeight pixels, shown at pixelsPerInch at 100 %. They are rounded
    // down to a tenth, the precision the zoom is shown with, so the page never overflows the area;
    // setZoom keeps them within the limits. Fit to Page Width leaves room for a vertical scroll
    // bar of scrollBarWidth pixels when the page is taller than the area.
    static double fitPageZoom(double pageWidth, double pageHeight, int areaWidth, int areaHeight,
                              double pixelsPerInch);
    static double fitPageWidthZoom(double pageWidth, double pageHeight, int areaWidth, int areaHeight,
                                   int scrollBarWidth, double pixelsPerInch);

private:
    int pageCount_;
    int page_;
    double zoom_;
    double zoomStep_;
};

} // namespace kodexa::report
