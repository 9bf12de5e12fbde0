#pragma once

#include "RowFilter.h"

#include <memory>

namespace kodexa {

// The table's filter language: comparisons (=, <>, <, <=, >, >=) of texts by the table's
// collation, UPPER, [NOT] LIKE, IS [NOT] NULL, NOT, AND, OR and parentheses, over field names,
// text constants in single quotes and numbers. Keywords and function names are read without regard
// to case; a field name matches as written or in capitals.
class FilterLanguage final : public FilterCompiler {
public:
    std::unique_ptr<RowPredicate> compile(std::string_view expression,
                                          const RowAccess& fields) const override;
};

// The one instance that every table uses unless told otherwise.
std::shared_ptr<const FilterCompiler> filterLanguage();

} // namespace kodexa
