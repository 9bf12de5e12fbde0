#pragma once

class QAbstractItemView;

namespace kodexa {

// Lets assistive technology hear a view's current item when the view takes the focus, not only
// when the current item changes inside it. A view that takes the focus tells assistive
// technology of itself alone, so a screen reader says "table" and not the row the user is on.
// Right after the view's own focus event the current item is reported as focused; a view without
// a current item stays as it is. The view owns what this installs.
void reportCurrentItemOnFocus(QAbstractItemView& view);

} // namespace kodexa
