#pragma once

#include <QString>

#include <stdexcept>
#include <string_view>
#include <vector>

// The text form of a report definition: a tree of named objects with typed properties,
//
//   object Text1: TRaveText       // a comment runs to the end of the line
//     Font.Name = 'Arial'         // strings in single quotes, '' for a quote, UTF-8
//     Font.Style = [fsBold]       // sets of names
//     Left = 2.7145669291338583   // numbers; lengths in inches
//     FontJustify = pjCenter      // names
//   end
//
// The reader only checks the syntax; what the objects and properties mean is the builder's.
namespace kodexa::report {

class DefinitionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct DefinitionValue {
    enum class Kind { Number, String, Name, Set };
    Kind kind = Kind::Number;
    double number = 0;
    QString text;               // a string's content or a name
    std::vector<QString> names; // a set's members
};

struct DefinitionProperty {
    QString name; // dotted for nested properties: "Font.Name"
    DefinitionValue value;
    int line = 0;
};

struct DefinitionObject {
    QString name;
    QString className;
    std::vector<DefinitionProperty> properties;
    std::vector<DefinitionObject> children;
    int line = 0;
};

// Reads one object (with everything nested in it) and nothing after it. Throws DefinitionError
// with the line of the fault.
DefinitionObject readDefinition(std::string_view utf8Text);

} // namespace kodexa::report
