#pragma once

namespace kodexa {

// Page controls for assistive technology: the tab strip tells its tabs alone (the toolkit's also
// counts its two hidden scroll buttons, so that a reader says "1 of 4" for two pages), each with
// its place ("Seite 2 von 4"), and the
// stack of pages is a plain container rather than an unnamed "layered pane" spoken on every focus
// change. Installed once; a window with a page control calls it as it is made.
void installPageControlAccessibility();

} // namespace kodexa
