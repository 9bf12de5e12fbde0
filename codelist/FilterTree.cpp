#include "FilterTree.h"

#include "Cp1252.h"
#include "LikePattern.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace kodexa::filter {
namespace {

constexpr std::uint64_t HighNibbles = 0xF0F0F0F0F0F0F0F0ULL;
constexpr std::uint64_t Threes = 0x3030303030303030ULL;
constexpr std::uint64_t Sixes = 0x0606060606060606ULL;

// Eight bytes at a time: every byte's high nibble is 3 and adding 6 carries none out of the low one.
bool digitsOnly(std::uint64_t bytes) {
    return (bytes & HighNibbles) == Threes && ((bytes + Sixes) & HighNibbles) == Threes;
}

bool isDigits(std::string_view text) {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t bytes = 0;
        std::memcpy(&bytes, text.data() + i, 8);
        if (!digitsOnly(bytes))
            return false;
    }
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

// The first eight bytes of a text as a big-endian number, zero-padded. For texts of digits, which
// hold no zero byte, comparing these numbers and then the lengths compares the texts.
std::uint64_t leadingWord(std::string_view text) {
    std::uint64_t word = 0;
    if (text.size() >= 8)
        std::memcpy(&word, text.data(), 8); // a code: one load
    else if (!text.empty())
        std::memcpy(&word, text.data(), text.size());
    if constexpr (std::endian::native == std::endian::little)
        word = __builtin_bswap64(word);
    return word;
}

// What digitWord() gives for anything but a text of up to eight digits: no such text has 0xFF bytes.
// (A sentinel rather than std::optional: the optional's flag byte costs a store-forwarding stall
// on every row.)
constexpr std::uint64_t NoDigitWord = ~0ULL;

// A code's eight digits (or fewer) as their leading word.
std::uint64_t digitWord(std::string_view text) {
    if (text.size() > 8)
        return NoDigitWord;
    const std::uint64_t word = leadingWord(text);
    const std::uint64_t padding = text.size() == 8 ? 0 : ~0ULL >> (8 * text.size());
    return digitsOnly(word | (padding & Threes)) ? word : NoDigitWord;
}

// Byte order of two short texts, without a library call for the few bytes a code has.
int compareBytes(std::string_view left, std::string_view right) {
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (left[i] != right[i])
            return static_cast<unsigned char>(left[i]) < static_cast<unsigned char>(right[i]) ? -1 : 1;
    }
    return left.size() < right.size() ? -1 : (left.size() > right.size() ? 1 : 0);
}

// ---- Text operands ------------------------------------------------------------------------------

class FieldText final : public TextOperand {
public:
    explicit FieldText(std::size_t field) : field_(field) {}
    std::size_t field() const { return field_; }

    std::optional<std::string_view> text(const RowAccess& rows, std::size_t row,
                                         std::string&) const override {
        return rows.value(row, field_);
    }
    std::optional<std::string_view> collationKey(const RowAccess& rows, std::size_t row,
                                                 std::string&) const override {
        const std::string_view key = rows.sortKey(row, field_);
        if (key.empty() && !rows.value(row, field_))
            return std::nullopt;
        return key;
    }

private:
    std::size_t field_;
};

// A constant's collation key, made when it is first compared. A search by code compares codes
// with digit constants as bytes, and its table must not build a collation for keys nobody reads.
// The collator is the one the filter was compiled against; the table's outlives its filter.
class LazyKey {
public:
    explicit LazyKey(const Collator& collator) : collator_(&collator) {}
    const std::string& of(std::string_view text) const {
        if (!key_)
            key_ = collator_->sortKey(text);
        return *key_;
    }

private:
    const Collator* collator_;
    mutable std::optional<std::string> key_;
};

class TextConstant final : public TextOperand {
public:
    TextConstant(std::string value, const Collator& keyCollator, bool digitsInByteOrder)
        : value_(std::move(value)), key_(keyCollator), digitsInByteOrder_(digitsInByteOrder) {}
    const std::string& value() const { return value_; }
    const std::string& key() const { return key_.of(value_); }
    const LazyKey& lazyKey() const { return key_; }
    // The constant is digits only, and the collator orders digit texts like their bytes.
    bool digitsInByteOrder() const { return digitsInByteOrder_; }

    std::optional<std::string_view> text(const RowAccess&, std::size_t, std::string&) const override {
        return value_;
    }
    std::optional<std::string_view> collationKey(const RowAccess&, std::size_t, std::string&) const override {
        return key();
    }

private:
    std::string value_;
    LazyKey key_;
    bool digitsInByteOrder_;
};

std::optional<std::string_view> keyOfText(const RowAccess& rows, std::optional<std::string_view> text,
                                          std::string& scratch) {
    if (!text)
        return std::nullopt;
    std::string key = rows.collator().sortKey(*text); // text may live in scratch
    scratch = std::move(key);
    return scratch;
}

// UPPER of a field: the table keeps every column's capitals, made once.
class UpperField final : public TextOperand {
public:
    explicit UpperField(std::size_t field) : field_(field) {}

    std::optional<std::string_view> text(const RowAccess& rows, std::size_t row,
                                         std::string&) const override {
        const std::string_view upper = rows.upperValue(row, field_);
        if (upper.empty() && !rows.value(row, field_))
            return std::nullopt;
        return upper;
    }
    std::optional<std::string_view> collationKey(const RowAccess& rows, std::size_t row,
                                                 std::string& scratch) const override {
        return keyOfText(rows, text(rows, row, scratch), scratch);
    }

private:
    std::size_t field_;
};

class UpperText final : public TextOperand {
public:
    explicit UpperText(TextPtr operand) : operand_(std::move(operand)) {}

    std::optional<std::string_view> text(const RowAccess& rows, std::size_t row,
                                         std::string& scratch) const override {
        std::string inner;
        const std::optional<std::string_view> value = operand_->text(rows, row, inner);
        if (!value)
            return std::nullopt;
        scratch = cp1252::toUpper(*value);
        return scratch;
    }
    std::optional<std::string_view> collationKey(const RowAccess& rows, std::size_t row,
                                                 std::string& scratch) const override {
        return keyOfText(rows, text(rows, row, scratch), scratch);
    }

private:
    TextPtr operand_;
};

// ---- Conditions ---------------------------------------------------------------------------------

class ConstantCondition final : public Condition {
public:
    explicit ConstantCondition(Truth truth) : truth_(truth) {}
    Truth test(const RowAccess&, std::size_t) const override { return truth_; }

private:
    Truth truth_;
};

class KeyComparison final : public Condition {
public:
    KeyComparison(TextPtr left, Comparison comparison, TextPtr right)
        : left_(std::move(left)), right_(std::move(right)), comparison_(comparison) {}

    Truth test(const RowAccess& rows, std::size_t row) const override {
        std::string leftScratch;
        std::string rightScratch;
        const std::optional<std::string_view> left = left_->collationKey(rows, row, leftScratch);
        const std::optional<std::string_view> right = right_->collationKey(rows, row, rightScratch);
        if (!left || !right)
            return Truth::Unknown;
        return truthOf(holds(comparison_, left->compare(*right)));
    }

private:
    TextPtr left_;
    TextPtr right_;
    Comparison comparison_;
};

// One side of a comparison of a field with a constant.
class ConstantBound {
public:
    ConstantBound(Comparison comparison, const TextConstant& constant)
        : value_(constant.value()), key_(constant.lazyKey()), word_(leadingWord(constant.value())),
          digitsInByteOrder_(constant.digitsInByteOrder()), comparison_(comparison) {
        for (int order = -1; order <= 1; ++order) {
            if (holds(comparison, order))
                acceptedOrders_ |= orderBit(order);
        }
    }

    // The range this comparison allows, for the table's range scan (= gives two bounds).
    void addBounds(std::size_t field, std::vector<FieldBound>& bounds) const {
        const auto add = [&](bool lower, bool inclusive) {
            bounds.push_back(FieldBound{field, value_, lower, inclusive});
        };
        switch (comparison_) {
        case Comparison::Equal:
            add(true, true);
            add(false, true);
            break;
        case Comparison::Greater:
        case Comparison::GreaterEqual:
            add(true, comparison_ == Comparison::GreaterEqual);
            break;
        case Comparison::Less:
        case Comparison::LessEqual:
            add(false, comparison_ == Comparison::LessEqual);
            break;
        case Comparison::NotEqual:
            break;
        }
    }

    // valueWord: the value's digitWord().
    bool accepts(const RowAccess& rows, std::size_t row, std::size_t field, std::string_view value,
                 std::uint64_t valueWord) const {
        return (acceptedOrders_ & orderBit(orderOf(rows, row, field, value, valueWord))) != 0;
    }

private:
    static unsigned orderBit(int order) { return order < 0 ? 1U : (order == 0 ? 2U : 4U); }

    // Codes against a constant of digits compare as bytes; anything else by the table's cached key.
    int orderOf(const RowAccess& rows, std::size_t row, std::size_t field, std::string_view value,
                std::uint64_t valueWord) const {
        if (digitsInByteOrder_ && valueWord != NoDigitWord) {
            if (valueWord != word_)
                return valueWord < word_ ? -1 : 1;
            return value_.size() > value.size() ? -1 : 0; // equal words: equal or a prefix
        }
        if (digitsInByteOrder_ && isDigits(value))
            return compareBytes(value, value_);
        return rows.sortKey(row, field).compare(key_.of(value_));
    }

    std::string value_;
    LazyKey key_;
    std::uint64_t word_;
    bool digitsInByteOrder_;
    Comparison comparison_;
    unsigned acceptedOrders_ = 0; // the orderBit()s for which the comparison holds
};

class FieldComparison final : public Condition {
public:
    FieldComparison(std::size_t field, ConstantBound bound) : field_(field), bound_(std::move(bound)) {}
    std::size_t field() const { return field_; }
    const ConstantBound& bound() const { return bound_; }
    void addBounds(std::vector<FieldBound>& bounds) const override { bound_.addBounds(field_, bounds); }

    Truth test(const RowAccess& rows, std::size_t row) const override {
        const FieldValue value = rows.value(row, field_);
        if (!value)
            return Truth::Unknown;
        return truthOf(bound_.accepts(rows, row, field_, *value, digitWord(*value)));
    }

private:
    std::size_t field_;
    ConstantBound bound_;
};

// Two comparisons of the same field, joined by AND: the code search's lower and upper bound.
// The row's value is read and looked at once for both.
class FieldRange final : public Condition {
public:
    FieldRange(std::size_t field, ConstantBound first, ConstantBound second)
        : field_(field), first_(std::move(first)), second_(std::move(second)) {}
    void addBounds(std::vector<FieldBound>& bounds) const override {
        first_.addBounds(field_, bounds);
        second_.addBounds(field_, bounds);
    }

    Truth test(const RowAccess& rows, std::size_t row) const override {
        const FieldValue value = rows.value(row, field_);
        if (!value)
            return Truth::Unknown;
        const std::uint64_t word = digitWord(*value);
        return truthOf(first_.accepts(rows, row, field_, *value, word) &&
                       second_.accepts(rows, row, field_, *value, word));
    }

private:
    std::size_t field_;
    ConstantBound first_;
    ConstantBound second_;
};

class LikeMatch final : public Condition {
public:
    LikeMatch(TextPtr value, std::string_view pattern, bool negated)
        : value_(std::move(value)), pattern_(pattern), negated_(negated) {}

    Truth test(const RowAccess& rows, std::size_t row) const override {
        std::string scratch;
        const std::optional<std::string_view> value = value_->text(rows, row, scratch);
        if (!value)
            return Truth::Unknown;
        return truthOf(pattern_.matches(*value) != negated_);
    }

private:
    TextPtr value_;
    LikePattern pattern_;
    bool negated_;
};

// LIKE with a pattern that differs from row to row.
class RowPatternLike final : public Condition {
public:
    RowPatternLike(TextPtr value, TextPtr pattern, bool negated)
        : value_(std::move(value)), pattern_(std::move(pattern)), negated_(negated) {}

    Truth test(const RowAccess& rows, std::size_t row) const override {
        std::string valueScratch;
        std::string patternScratch;
        const std::optional<std::string_view> value = value_->text(rows, row, valueScratch);
        const std::optional<std::string_view> pattern = pattern_->text(rows, row, patternScratch);
        if (!value || !pattern)
            return Truth::Unknown;
        return truthOf(LikePattern(*pattern).matches(*value) != negated_);
    }

private:
    TextPtr value_;
    TextPtr pattern_;
    bool negated_;
};

class NullTest final : public Condition {
public:
    NullTest(TextPtr operand, bool negated) : operand_(std::move(operand)), negated_(negated) {}

    Truth test(const RowAccess& rows, std::size_t row) const override {
        std::string scratch;
        const bool isNull = !operand_->text(rows, row, scratch);
        return truthOf(isNull != negated_);
    }

private:
    TextPtr operand_;
    bool negated_;
};

// AND (all parts) or OR (any part), over a flat list of parts.
class Junction final : public Condition {
public:
    // The truth that decides the junction at once: false for AND, true for OR.
    explicit Junction(Truth deciding) : deciding_(deciding) {}

    Truth deciding() const { return deciding_; }
    void add(ConditionPtr part) {
        if (auto* junction = dynamic_cast<Junction*>(part.get());
            junction && junction->deciding_ == deciding_) {
            for (ConditionPtr& inner : junction->parts_)
                parts_.push_back(std::move(inner));
            return;
        }
        parts_.push_back(std::move(part));
    }

    void addBounds(std::vector<FieldBound>& bounds) const override {
        if (deciding_ != Truth::False)
            return; // a row passes an OR through any one part
        for (const ConditionPtr& part : parts_)
            part->addBounds(bounds);
    }

    Truth test(const RowAccess& rows, std::size_t row) const override {
        Truth result = deciding_ == Truth::False ? Truth::True : Truth::False;
        for (const ConditionPtr& part : parts_) {
            const Truth truth = part->test(rows, row);
            if (truth == deciding_)
                return truth;
            if (truth == Truth::Unknown)
                result = Truth::Unknown;
        }
        return result;
    }

private:
    Truth deciding_;
    std::vector<ConditionPtr> parts_;
};

class Negation final : public Condition {
public:
    explicit Negation(ConditionPtr operand) : operand_(std::move(operand)) {}

    Truth test(const RowAccess& rows, std::size_t row) const override {
        switch (operand_->test(rows, row)) {
        case Truth::True:
            return Truth::False;
        case Truth::False:
            return Truth::True;
        case Truth::Unknown:
            break;
        }
        return Truth::Unknown;
    }

private:
    ConditionPtr operand_;
};

Comparison mirrored(Comparison comparison) {
    switch (comparison) {
    case Comparison::Less:
        return Comparison::Greater;
    case Comparison::LessEqual:
        return Comparison::GreaterEqual;
    case Comparison::Greater:
        return Comparison::Less;
    case Comparison::GreaterEqual:
        return Comparison::LessEqual;
    case Comparison::Equal:
    case Comparison::NotEqual:
        break;
    }
    return comparison;
}

// A chain "a AND b AND c ..." grows one node rather than copying it at every step.
ConditionPtr makeJunction(Truth deciding, ConditionPtr left, ConditionPtr right) {
    if (auto* chain = dynamic_cast<Junction*>(left.get());
        chain != nullptr && chain->deciding() == deciding) {
        chain->add(std::move(right));
        return left;
    }
    auto junction = std::make_unique<Junction>(deciding);
    junction->add(std::move(left));
    junction->add(std::move(right));
    return junction;
}

} // namespace

bool holds(Comparison comparison, int order) {
    switch (comparison) {
    case Comparison::Equal:
        return order == 0;
    case Comparison::NotEqual:
        return order != 0;
    case Comparison::Less:
        return order < 0;
    case Comparison::LessEqual:
        return order <= 0;
    case Comparison::Greater:
        return order > 0;
    case Comparison::GreaterEqual:
        return order >= 0;
    }
    return false;
}

TextPtr makeField(std::size_t field) {
    return std::make_unique<FieldText>(field);
}

TextPtr makeTextConstant(std::string value, const Collator& keyCollator) {
    const bool digitsInByteOrder = isDigits(value) && keyCollator.ordersLikeBytes("0123456789");
    return std::make_unique<TextConstant>(std::move(value), keyCollator, digitsInByteOrder);
}

TextPtr makeUpper(TextPtr operand, const Collator& keyCollator) {
    if (const std::string* value = constantValue(*operand))
        return makeTextConstant(cp1252::toUpper(*value), keyCollator);
    if (const auto* field = dynamic_cast<const FieldText*>(operand.get()))
        return std::make_unique<UpperField>(field->field());
    // Capitals stay capitals: UPPER(UPPER(x)) is UPPER(x), not a second conversion on every row.
    if (dynamic_cast<const UpperField*>(operand.get()) != nullptr ||
        dynamic_cast<const UpperText*>(operand.get()) != nullptr)
        return operand;
    return std::make_unique<UpperText>(std::move(operand));
}

const std::string* constantValue(const TextOperand& operand) {
    const auto* constant = dynamic_cast<const TextConstant*>(&operand);
    return constant != nullptr ? &constant->value() : nullptr;
}

ConditionPtr makeComparison(TextPtr left, Comparison comparison, TextPtr right) {
    const auto* leftConstant = dynamic_cast<const TextConstant*>(left.get());
    const auto* rightConstant = dynamic_cast<const TextConstant*>(right.get());
    if (leftConstant != nullptr && rightConstant != nullptr)
        return makeConstant(truthOf(holds(comparison, leftConstant->key().compare(rightConstant->key()))));
    const auto* leftField = dynamic_cast<const FieldText*>(left.get());
    const auto* rightField = dynamic_cast<const FieldText*>(right.get());
    if (leftField != nullptr && rightConstant != nullptr)
        return std::make_unique<FieldComparison>(leftField->field(),
                                                 ConstantBound(comparison, *rightConstant));
    if (leftConstant != nullptr && rightField != nullptr)
        return std::make_unique<FieldComparison>(rightField->field(),
                                                 ConstantBound(mirrored(comparison), *leftConstant));
    return std::make_unique<KeyComparison>(std::move(left), comparison, std::move(right));
}

ConditionPtr makeLike(TextPtr value, TextPtr pattern, bool negated) {
    const std::string* constantPattern = constantValue(*pattern);
    if (constantPattern == nullptr)
        return std::make_unique<RowPatternLike>(std::move(value), std::move(pattern), negated);
    if (const std::string* constantText = constantValue(*value))
        return makeConstant(truthOf(LikePattern(*constantPattern).matches(*constantText) != negated));
    return std::make_unique<LikeMatch>(std::move(value), *constantPattern, negated);
}

ConditionPtr makeIsNull(TextPtr operand, bool negated) {
    if (constantValue(*operand) != nullptr)
        return makeConstant(truthOf(negated));
    return std::make_unique<NullTest>(std::move(operand), negated);
}

ConditionPtr makeAll(ConditionPtr left, ConditionPtr right) {
    const auto* first = dynamic_cast<const FieldComparison*>(left.get());
    const auto* second = dynamic_cast<const FieldComparison*>(right.get());
    if (first != nullptr && second != nullptr && first->field() == second->field())
        return std::make_unique<FieldRange>(first->field(), first->bound(), second->bound());
    return makeJunction(Truth::False, std::move(left), std::move(right));
}

ConditionPtr makeAny(ConditionPtr left, ConditionPtr right) {
    return makeJunction(Truth::True, std::move(left), std::move(right));
}

ConditionPtr makeNegation(ConditionPtr operand) {
    return std::make_unique<Negation>(std::move(operand));
}

ConditionPtr makeConstant(Truth truth) {
    return std::make_unique<ConstantCondition>(truth);
}

} // namespace kodexa::filter
