#pragma once

#include <QString>

class QLineEdit;

namespace kodexa::testing {

// Asks an input, through the toolkit's accessibility interface, for its text at, before and after
// every offset from 0 to the end (and -1, -2), by character, word, sentence, paragraph and line,
// as a screen reader does, over texts with nothing, one word, trailing blanks, umlauts, quotes and
// 4,000 characters. Every answer must be the text between its offsets, touch the asked offset and
// its neighbours, and the pieces must tile the text. Returns the first wrong answer, or nothing.
// The input's text is left as it was.
QString wrongTextAnswer(QLineEdit& input);

} // namespace kodexa::testing
