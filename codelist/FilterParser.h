#pragma once

#include "FilterTree.h"

#include <string_view>

namespace kodexa::filter {

// Reads a filter expression into a condition over the table that `fields` describes. Throws
// DatabaseError with the reader's message for a malformed expression, and UnknownFieldError for a
// name that is no field of the table. A name matches a field as written or in capitals.
ConditionPtr parseFilter(std::string_view expression, const RowAccess& fields);

} // namespace kodexa::filter
