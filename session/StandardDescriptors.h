#pragma once

namespace kodexa {

// Descriptors 0, 1 and 2 that the caller left closed ("prog >&-") are opened onto /dev/null, before
// anything else opens a file: otherwise the first file the program or its libraries open takes the
// number, and what is meant for standard output or error goes into it. The placeholders are
// close-on-exec, which no standard descriptor a program is given ever is: a program run from this
// one finds the descriptors as they were given, and isPlaceholder() tells them from a real
// ">/dev/null". Returns a mask of the descriptors that were closed (bit N for descriptor N).
unsigned reserveStandardDescriptors();

// Whether descriptor 0, 1 or 2 is one that reserveStandardDescriptors() put in a closed one's place.
bool isPlaceholder(int descriptor);

} // namespace kodexa
