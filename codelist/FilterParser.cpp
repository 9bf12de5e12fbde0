#include "FilterParser.h"

#include "Cp1252.h"
#include "FilterErrors.h"
#include "FilterLexer.h"

#include <array>
#include <charconv>

namespace kodexa::filter {
namespace {

constexpr int LowestPrecedence = 1;
constexpr int NotPrecedence = 3; // NOT binds looser than a comparison and tighter than AND
// Parentheses, NOT and function calls nest the parser's recursion; chains of AND and OR do not.
constexpr int MaxNesting = 64;

enum class Operation : std::uint8_t { Any, All, Compare, Like, NotLike, IsNull };

struct BinaryOperator {
    TokenKind token;
    int precedence;
    Operation operation;
    Comparison comparison = Comparison::Equal;
};

// The binary operators, loosest first. "NOT LIKE" and the suffix "IS [NOT] NULL" stand at the
// comparisons' level.
constexpr std::array<BinaryOperator, 11> BinaryOperators = {{
    {TokenKind::Or, 1, Operation::Any},
    {TokenKind::And, 2, Operation::All},
    {TokenKind::Equal, 4, Operation::Compare, Comparison::Equal},
    {TokenKind::NotEqual, 4, Operation::Compare, Comparison::NotEqual},
    {TokenKind::Less, 4, Operation::Compare, Comparison::Less},
    {TokenKind::LessEqual, 4, Operation::Compare, Comparison::LessEqual},
    {TokenKind::Greater, 4, Operation::Compare, Comparison::Greater},
    {TokenKind::GreaterEqual, 4, Operation::Compare, Comparison::GreaterEqual},
    {TokenKind::Like, 4, Operation::Like},
    {TokenKind::Not, 4, Operation::NotLike},
    {TokenKind::Is, 4, Operation::IsNull},
}};

const BinaryOperator* binaryOperatorFor(TokenKind kind) {
    for (const BinaryOperator& op : BinaryOperators) {
        if (op.token == kind)
            return &op;
    }
    return nullptr;
}

bool isUpperFunction(std::string_view name) {
    return cp1252::toUpper(name) == "UPPER";
}

enum class ValueType : std::uint8_t { Text, Number, Condition };

// What a part of the expression yields: a text, a number (constants only: the table's fields are
// texts) or a condition.
struct Value {
    ValueType type = ValueType::Condition;
    TextPtr text;
    ConditionPtr condition;
    double number = 0;
};

Value textValue(TextPtr text) {
    return {ValueType::Text, std::move(text), nullptr, 0};
}
Value conditionValue(ConditionPtr condition) {
    return {ValueType::Condition, nullptr, std::move(condition), 0};
}
Value numberValue(double number) {
    return {ValueType::Number, nullptr, nullptr, number};
}

class Parser {
public:
    Parser(std::string_view expression, const RowAccess& fields) : lexer_(expression), fields_(fields) {
        advance();
    }

    ConditionPtr parseWhole();

private:
    void advance() { token_ = lexer_.next(); }
    Value parseBinary(int minPrecedence);
    Value parsePrefix();
    Value parseOperand();
    Value parseNamed();
    Value applyOperator(const BinaryOperator& op, Value left);
    Value parseNullTest(Value operand);
    Value combine(const BinaryOperator& op, Value left, Value right) const;
    void expectClosingParen();
    std::optional<std::size_t> findField(std::string_view name) const;

    FilterLexer lexer_;
    const RowAccess& fields_;
    Token token_;
    int nesting_ = 0;
    std::size_t comparisons_ = 0;
};

// filter -> binary(lowest) End
ConditionPtr Parser::parseWhole() {
    Value whole = parseBinary(LowestPrecedence);
    if (token_.kind != TokenKind::End)
        throw badEnding();
    if (whole.type != ValueType::Condition)
        throw notACondition();
    return std::move(whole.condition);
}

// binary(p) -> prefix { operator binary(precedence + 1) | IS [NOT] NULL }
//              taking the operators of BinaryOperators whose precedence is at least p
Value Parser::parseBinary(int minPrecedence) {
    if (++nesting_ > MaxNesting)
        throw notACondition();
    Value left = parsePrefix();
    for (const BinaryOperator* op = binaryOperatorFor(token_.kind);
         op != nullptr && op->precedence >= minPrecedence; op = binaryOperatorFor(token_.kind))
        left = applyOperator(*op, std::move(left));
    --nesting_;
    return left;
}

// prefix -> NOT binary(above NOT) | operand
Value Parser::parsePrefix() {
    if (token_.kind != TokenKind::Not)
        return parseOperand();
    advance();
    Value operand = parseBinary(NotPrecedence + 1);
    if (operand.type != ValueType::Condition)
        throw notACondition();
    return conditionValue(makeNegation(std::move(operand.condition)));
}

// operand -> Text | Number | "(" binary(lowest) ")" | named
Value Parser::parseOperand() {
    switch (token_.kind) {
    case TokenKind::Text: {
        Value constant = textValue(makeTextConstant(std::move(token_.text), fields_.collator()));
        advance();
        return constant;
    }
    case TokenKind::Number: {
        double number = 0;
        std::from_chars(token_.source.data(), token_.source.data() + token_.source.size(), number);
        advance();
        return numberValue(number);
    }
    case TokenKind::LeftParen: {
        advance();
        Value inner = parseBinary(LowestPrecedence);
        expectClosingParen();
        return inner;
    }
    case TokenKind::Name:
        return parseNamed();
    case TokenKind::Null:
        throw keywordMisuse();
    default:
        throw operandExpected(token_.source); // empty at the end: "leer"
    }
}

// named -> UPPER "(" binary(lowest) ")" | field
Value Parser::parseNamed() {
    const std::string_view name = token_.source;
    if (isUpperFunction(name) && lexer_.nextCharacterIs('(')) {
        advance();
        advance();
        Value argument = parseBinary(LowestPrecedence);
        expectClosingParen();
        if (argument.type != ValueType::Text)
            throw typeMismatch();
        return textValue(makeUpper(std::move(argument.text), fields_.collator()));
    }
    // Looked up before the next token is read, so that nothing after an unknown name is reported
    // in its place.
    const std::optional<std::size_t> field = findField(name);
    if (!field)
        throw UnknownFieldError(std::string(name));
    advance();
    return textValue(makeField(*field));
}

// After a left operand: operator binary(precedence + 1), NOT LIKE binary(...) or IS [NOT] NULL.
Value Parser::applyOperator(const BinaryOperator& op, Value left) {
    if (op.operation != Operation::Any && op.operation != Operation::All && ++comparisons_ > MaxComparisons)
        throw tooManyComparisons();
    advance();
    if (op.operation == Operation::IsNull)
        return parseNullTest(std::move(left));
    if (op.operation == Operation::NotLike) {
        if (token_.kind != TokenKind::Like)
            throw keywordMisuse();
        advance();
    }
    Value right = parseBinary(op.precedence + 1);
    return combine(op, std::move(left), std::move(right));
}

// nullTest -> operand IS [ NOT ] NULL
Value Parser::parseNullTest(Value operand) {
    const bool negated = token_.kind == TokenKind::Not;
    if (negated)
        advance();
    if (token_.kind != TokenKind::Null)
        throw keywordMisuse();
    advance();
    switch (operand.type) {
    case ValueType::Text:
        return conditionValue(makeIsNull(std::move(operand.text), negated));
    case ValueType::Number:
        return conditionValue(makeConstant(truthOf(negated)));
    case ValueType::Condition:
        break;
    }
    throw typeMismatch();
}

Value Parser::combine(const BinaryOperator& op, Value left, Value right) const {
    switch (op.operation) {
    case Operation::Any:
    case Operation::All:
        if (left.type != ValueType::Condition || right.type != ValueType::Condition)
            throw notACondition();
        return conditionValue(op.operation == Operation::All
                                  ? makeAll(std::move(left.condition), std::move(right.condition))
                                  : makeAny(std::move(left.condition), std::move(right.condition)));
    case Operation::Compare:
        if (left.type == ValueType::Text && right.type == ValueType::Text)
            return conditionValue(makeComparison(std::move(left.text), op.comparison, std::move(right.text)));
        if (left.type == ValueType::Number && right.type == ValueType::Number) {
            const int order = left.number < right.number ? -1 : (left.number > right.number ? 1 : 0);
            return conditionValue(makeConstant(truthOf(holds(op.comparison, order))));
        }
        throw typeMismatch();
    case Operation::Like:
    case Operation::NotLike:
        if (left.type != ValueType::Text || right.type != ValueType::Text)
            throw typeMismatch();
        return conditionValue(
            makeLike(std::move(left.text), std::move(right.text), op.operation == Operation::NotLike));
    case Operation::IsNull:
        break;
    }
    throw notACondition(); // IS is applied by parseNullTest
}

void Parser::expectClosingParen() {
    if (token_.kind != TokenKind::RightParen)
        throw badEnding();
    advance();
}

std::optional<std::size_t> Parser::findField(std::string_view name) const {
    if (const std::optional<std::size_t> field = fields_.fieldIndex(name))
        return field;
    return fields_.fieldIndex(cp1252::toUpper(name));
}

} // namespace

ConditionPtr parseFilter(std::string_view expression, const RowAccess& fields) {
    return Parser(expression, fields).parseWhole();
}

} // namespace kodexa::filter
