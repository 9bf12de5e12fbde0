#pragma once

#include <QIcon>

// The preview's tool bar glyphs, drawn in code so that they look the same on every desktop and
// need no icon theme: 16 x 16 at 1x and 2x.
namespace kodexa::report::previewicons {

QIcon open();
QIcon save();
QIcon print();
QIcon first();
QIcon previous();
QIcon next();
QIcon last();
QIcon zoomIn();
QIcon zoomOut();
QIcon fitPageWidth();
QIcon fitPage();
QIcon exit();

} // namespace kodexa::report::previewicons
