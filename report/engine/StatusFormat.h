#pragma once

#include <QString>

namespace kodexa::report {

// The status line while pages are generated: "%p" becomes the page number (the letter in either
// case) and "%%" one "%"; any other "%" sequence stays as it is.
QString formatStatus(const QString& format, int pageNumber);

} // namespace kodexa::report
