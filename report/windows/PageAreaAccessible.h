#pragma once

#include <QString>

namespace kodexa::report {

class PageArea;
class PageView;

// What assistive technology learns of a preview's page area: a read-only document whose text is
// the shown page's printed rows in reading order (readingRows), the texts of a row separated by
// a tab, the rows by a line break. Screen readers read it as they read any text; where they ask
// for a character's place, they get where the character is drawn.
//
// Makes the toolkit describe every PageArea so; called by PageArea, once is enough.
void installPageAreaAccessibility();

// The text a page area offers for the page its view shows.
QString pageAreaText(const PageView& view);

// Tells assistive technology that the area shows another page (or another report): its text was
// replaced and the caret is back at the start. Costs nothing while no assistive technology listens.
void reportPageAreaTextChanged(PageArea& area);

} // namespace kodexa::report
