#pragma once

namespace kodexa {

// Single-line inputs for assistive technology: every input of the program answers a screen
// reader's text questions through this program's own interface (see AccessibleTextPieces.h) in
// place of the toolkit's, which can hang the program on a move by word. Installed once; windows
// with inputs call it as they are made.
void installLineEditAccessibility();

} // namespace kodexa
