#pragma once

#include "RowFilter.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The expression tree of a filter and its evaluation over the rows of a table. The parser builds
// it once; the table then tests every row.
namespace kodexa::filter {

// The truth of a condition for a row; a comparison with a null value is unknown, and only rows
// whose condition is true pass.
enum class Truth : std::uint8_t { False, True, Unknown };

inline Truth truthOf(bool value) {
    return value ? Truth::True : Truth::False;
}

class Condition {
public:
    virtual ~Condition() = default;
    virtual Truth test(const RowAccess& rows, std::size_t row) const = 0;
    // Adds the comparisons of a field with a constant that every row passing this condition meets.
    virtual void addBounds(std::vector<FieldBound>&) const {}
};

// A text-valued part of an expression: a field, a constant, UPPER(...).
class TextOperand {
public:
    virtual ~TextOperand() = default;
    // The value for the row, nullopt for null. A value computed for the row is kept in scratch.
    virtual std::optional<std::string_view> text(const RowAccess& rows, std::size_t row,
                                                 std::string& scratch) const = 0;
    // The value's collation key, by the table's collator.
    virtual std::optional<std::string_view> collationKey(const RowAccess& rows, std::size_t row,
                                                         std::string& scratch) const = 0;
};

using ConditionPtr = std::unique_ptr<Condition>;
using TextPtr = std::unique_ptr<TextOperand>;

enum class Comparison : std::uint8_t { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };

// Whether `order` (negative, zero or positive: left against right) satisfies the comparison.
bool holds(Comparison comparison, int order);

TextPtr makeField(std::size_t field);
// keyCollator makes the constant's collation key once, when a comparison first needs it; it must
// outlive the constant and what is built from it.
TextPtr makeTextConstant(std::string value, const Collator& keyCollator);
// Folds UPPER of a constant into a constant.
TextPtr makeUpper(TextPtr operand, const Collator& keyCollator);
// The constant's value if the operand is one.
const std::string* constantValue(const TextOperand& operand);

ConditionPtr makeComparison(TextPtr left, Comparison comparison, TextPtr right);
ConditionPtr makeLike(TextPtr value, TextPtr pattern, bool negated);
ConditionPtr makeIsNull(TextPtr operand, bool negated);
// AND and OR of conditions; nested ones of the same kind are merged, so that a long chain makes
// one flat node rather than a deep tree.
ConditionPtr makeAll(ConditionPtr left, ConditionPtr right);
ConditionPtr makeAny(ConditionPtr left, ConditionPtr right);
ConditionPtr makeNegation(ConditionPtr operand);
ConditionPtr makeConstant(Truth truth);

} // namespace kodexa::filter
