#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kodexa::filter {

enum class TokenKind : std::uint8_t {
    End,
    Name,
    Text,
    Number,
    LeftParen,
    RightParen,
    Comma,
    Equal,
    NotEqual,
    Less,
    LessEqual,
    Greater,
    GreaterEqual,
    And,
    Or,
    Not,
    Like,
    Is,
    Null,
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view source; // the token as written; empty at the end
    std::string text;        // the value of a text constant
};

// Splits a filter expression into tokens one at a time, so that a fault further on is found only
// when the parser gets there (the parser looks up a field name before it asks for the next token).
//
// Text constants are read as the table engine always has: a quote that is not doubled ends the
// constant only when no quote follows anywhere after it, or when the word after it looks like
// more expression (a keyword, an operator, a number, a quoted part...). Otherwise it is an
// ordinary character of the constant, so "d'or" in a search text stays one constant.
class FilterLexer {
public:
    explicit FilterLexer(std::string_view expression);

    // Throws DatabaseError for an unclosed text constant or a character the language does not use.
    Token next();
    // Whether the next character after blanks is c (a name followed by "(" calls a function).
    bool nextCharacterIs(char c) const;

private:
    struct WordAhead {
        std::string_view word;
        bool quotedPart = false; // the word holds a quote character that occurs again later
        std::size_t end = 0;
    };

    Token readName();
    Token readNumber();
    Token readText();
    Token readOperator();
    // Blanks, tabs and line breaks between tokens.
    std::size_t skipBlanks(std::size_t position) const;
    // The blank alone, as the look-ahead after a quote skips it.
    std::size_t skipSpaces(std::size_t position) const;
    bool endsTextConstant(std::size_t quote) const;
    WordAhead wordAt(std::size_t start) const;
    bool occursAgain(char quoteCharacter, std::size_t position) const;

    std::string_view expression_;
    std::size_t pos_ = 0;
    // Last position of ', " and `, to answer "does it occur again?" at once.
    std::array<std::size_t, 3> lastQuote_{};
};

} // namespace kodexa::filter
