#pragma once

#include "PageStore.h"

class QPainter;

namespace kodexa::report {

// Draws one stored page with its top-left corner at the painter's origin, pixelsPerInch painter
// units to the inch. The preview, the printer and the PDF writer all draw through this routine;
// they differ only in the device and the scale.
void paintPage(QPainter& painter, const PageStore& store, std::size_t pageIndex, double pixelsPerInch);

} // namespace kodexa::report
