#pragma once

#include <string>
#include <string_view>

namespace kodexa {

class TClientDataSet;

// The filter expression of the search from the two inputs (Windows-1252): the codes that begin
// with the code text and the rows whose description contains the description text, in capitals.
// The texts go in unescaped, exactly as typed; the empty text when both are empty. The one
// exception is a code in its published form with the check digit, "03000000-1" (blanks around it
// allowed), which stands for its eight digits alone.
//   " CPV_ID >= '03' AND CPV_ID < '039999999'  AND  UPPER(CPV_DESC) LIKE '%OBST%' "
std::string buildSearchFilter(std::string_view codeText, std::string_view descriptionText);

// Runs the search on the table with its bound controls suspended: filtering off, the new filter
// text, filtering on when the text is not empty. The controls are resumed in every case; a
// rejected expression leaves filtering off, every row in view and rethrows the reader's error.
void applySearch(TClientDataSet& table, std::string_view codeText, std::string_view descriptionText);

} // namespace kodexa
