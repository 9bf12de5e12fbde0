#pragma once

#include "Collator.h"
#include "DataPacket.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kodexa {

// What a filter expression sees of a table: field names, values and the per-row caches that make
// evaluation fast (collation keys and capital forms, each built once per column when first asked).
class RowAccess {
public:
    virtual ~RowAccess() = default;
    virtual std::optional<std::size_t> fieldIndex(std::string_view name) const = 0;
    virtual FieldValue value(std::size_t row, std::size_t field) const = 0;
    // Collation key of the value (empty for null), by the table's collator.
    virtual std::string_view sortKey(std::size_t row, std::size_t field) const = 0;
    // The value in the code page's capitals (empty for null).
    virtual std::string_view upperValue(std::size_t row, std::size_t field) const = 0;
    virtual const Collator& collator() const = 0;
};

// A comparison of a field with a constant that every row passing a filter satisfies (one part of
// its AND chain). The table uses such bounds to test only the rows between them in its order by
// that field, the way an index serves a range.
struct FieldBound {
    std::size_t field = 0;
    std::string text;      // the constant (the table makes its collation key if it needs one)
    bool lower = true;     // field >= or > the constant; else field <= or < it
    bool inclusive = true; // >= or <=
};

// A compiled filter expression: true for the rows that the view keeps.
class RowPredicate {
public:
    virtual ~RowPredicate() = default;
    virtual bool matches(const RowAccess& rows, std::size_t row) const = 0;
    virtual std::vector<FieldBound> bounds() const { return {}; }
};

// The reader of a filter language. compile() throws DatabaseError with the reader's message for a
// malformed expression (UTF-8, with any character of the expression quoted in it converted from
// Windows-1252), and UnknownFieldError for a name that is not a field of the table.
class FilterCompiler {
public:
    virtual ~FilterCompiler() = default;
    virtual std::unique_ptr<RowPredicate> compile(std::string_view expression,
                                                  const RowAccess& fields) const = 0;
};

// The table turns this into "<table>: Das Feld '<name>' wurde nicht gefunden".
class UnknownFieldError : public std::runtime_error {
public:
    explicit UnknownFieldError(std::string fieldName)
        : std::runtime_error("Das Feld '" + fieldName + "' wurde nicht gefunden"),
          name_(std::move(fieldName)) {}
    const std::string& fieldName() const { return name_; }

private:
    std::string name_;
};

} // namespace kodexa
