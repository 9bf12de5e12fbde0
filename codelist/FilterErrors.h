#pragma once

#include "Cp1252.h"
#include "DatabaseError.h"

#include <cstddef>
#include <string>
#include <string_view>

// The messages with which the filter reader rejects an expression, exactly as the error report
// shows them (UTF-8; characters of the expression are converted from Windows-1252). An unknown
// field name is not among them: the reader throws UnknownFieldError and the table words it.
namespace kodexa::filter {

inline DatabaseError unclosedText() {
    return DatabaseError("Nicht begrenzte String-Konstante");
}

inline DatabaseError invalidCharacter(char c) {
    return DatabaseError("Ungültiges Zeichen in Filterausdruck: '" + cp1252::toUtf8(std::string_view(&c, 1)) +
                         "'");
}

// found: the token as written, or empty at the end of the expression.
inline DatabaseError operandExpected(std::string_view found) {
    const std::string what = found.empty() ? std::string("leer") : "'" + cp1252::toUtf8(found) + "'";
    return DatabaseError("Ausdruck erwartet, jedoch " + what + " vorgefunden");
}

inline DatabaseError badEnding() {
    return DatabaseError("Filterausdruck fehlerhaft abgeschlossen");
}

inline DatabaseError typeMismatch() {
    return DatabaseError("Fehlende Typübereinstimmung im Ausdruck");
}

inline DatabaseError keywordMisuse() {
    return DatabaseError("Ungültige Verwendung eines Schlüsselworts");
}

// The most comparisons (=, <>, <, <=, >, >=, LIKE, NOT LIKE, IS [NOT] NULL) one expression may hold:
// far more than a filter written by hand has, few enough that every row is tested within a moment.
constexpr std::size_t MaxComparisons = 256;

inline DatabaseError tooManyComparisons() {
    return DatabaseError("Filterausdruck zu umfangreich: mehr als " + std::to_string(MaxComparisons) +
                         " Vergleiche");
}

inline DatabaseError notACondition() {
    return DatabaseError("Ungültiger Filterausdruck");
}

} // namespace kodexa::filter
