#pragma once

#include "PageStore.h"

#include <QRectF>

class QPainter;

namespace kodexa::report {

// Draws one stored page with its top-left corner at the painter's origin, pixelsPerInch painter
// units to the inch. The preview, the printer and the PDF writer all draw through this routine;
// they differ only in the device and the scale.
//
// A preview that shows only part of the page passes that part as visible (painter units, before
// the scale): items that lie wholly outside it are skipped, so a repaint costs what it shows. A
// null rectangle means the whole page.
void paintPage(QPainter& painter, const PageStore& store, std::size_t pageIndex, double pixelsPerInch,
               const QRectF& visible = QRectF());

} // namespace kodexa::report
