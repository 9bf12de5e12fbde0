#pragma once

#include <string>

namespace kodexa::report {

// The text of the report definition that the program carries: the printed code list.
std::string carriedDefinitionText();

} // namespace kodexa::report
