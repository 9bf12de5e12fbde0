#pragma once

#include "DefinitionReader.h"
#include "ReportDefinition.h"

#include <string_view>

namespace kodexa::report {

// Turns the object tree of a definition into the typed project. Every class, property and value
// must be known, every reference (first page, data view, data field) must resolve, and the layout
// must be one the engine can lay out (one region per page, one column); anything else throws
// DefinitionError naming the line and the object.
ProjectDefinition buildProject(const DefinitionObject& root);

// readDefinition, then buildProject.
ProjectDefinition loadProject(std::string_view utf8Text);

} // namespace kodexa::report
