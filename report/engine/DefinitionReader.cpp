#include "DefinitionReader.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <string>

namespace kodexa::report {

namespace {

// ---- Lexer ------------------------------------------------------------------------------------

enum class Token {
    End,
    Name,
    Number,
    String,
    Object,
    EndKeyword,
    Colon,
    Equals,
    Dot,
    Comma,
    OpenSet,
    CloseSet
};

enum CharClass : std::uint8_t { Other, Space, Newline, Letter, Digit, Minus, Quote, Slash, Punct };

constexpr std::array<CharClass, 256> makeCharClasses() {
    std::array<CharClass, 256> classes{};
    for (int c = 'a'; c <= 'z'; ++c)
        classes[c] = Letter;
    for (int c = 'A'; c <= 'Z'; ++c)
        classes[c] = Letter;
    for (int c = '0'; c <= '9'; ++c)
        classes[c] = Digit;
    classes['_'] = Letter;
    classes[' '] = Space;
    classes['\t'] = Space;
    classes['\r'] = Space;
    classes['\n'] = Newline;
    classes['-'] = Minus;
    classes['\''] = Quote;
    classes['/'] = Slash;
    for (char c : std::string_view(":=.,[]"))
        classes[static_cast<unsigned char>(c)] = Punct;
    return classes;
}
constexpr std::array<CharClass, 256> CharClasses = makeCharClasses();

struct Keyword {
    std::string_view word;
    Token token;
};
constexpr std::array<Keyword, 2> Keywords{{{"object", Token::Object}, {"end", Token::EndKeyword}}};

std::string describe(Token token) {
    switch (token) {
    case Token::End:
        return "end of text";
    case Token::Name:
        return "a name";
    case Token::Number:
        return "a number";
    case Token::String:
        return "a string";
    case Token::Object:
        return "'object'";
    case Token::EndKeyword:
        return "'end'";
    case Token::Colon:
        return "':'";
    case Token::Equals:
        return "'='";
    case Token::Dot:
        return "'.'";
    case Token::Comma:
        return "','";
    case Token::OpenSet:
        return "'['";
    case Token::CloseSet:
        return "']'";
    }
    return "?";
}

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) { advance(); }

    Token token() const { return token_; }
    int line() const { return tokenLine_; }
    std::string_view spelling() const { return spelling_; }
    double number() const { return number_; }
    const std::string& stringValue() const { return string_; }

    [[noreturn]] void fail(const std::string& message) const {
        throw DefinitionError("report definition, line " + std::to_string(tokenLine_) + ": " + message);
    }

    void advance() {
        skipSpaceAndComments();
        tokenLine_ = line_;
        const std::size_t start = pos_;
        if (pos_ >= text_.size()) {
            token_ = Token::End;
            spelling_ = {};
            return;
        }
        const char c = text_[pos_];
        switch (classOf(c)) {
        case Letter:
            readName();
            break;
        case Digit:
        case Minus:
            readNumber();
            break;
        case Quote:
            readString();
            break;
        case Punct:
            ++pos_;
            token_ = punctuation(c);
            break;
        default:
            fail("unexpected character '" + std::string(1, c) + "'");
        }
        spelling_ = text_.substr(start, pos_ - start);
    }

private:
    static CharClass classOf(char c) { return CharClasses[static_cast<unsigned char>(c)]; }

    static Token punctuation(char c) {
        switch (c) {
        case ':':
            return Token::Colon;
        case '=':
            return Token::Equals;
        case '.':
            return Token::Dot;
        case ',':
            return Token::Comma;
        case '[':
            return Token::OpenSet;
        default:
            return Token::CloseSet;
        }
    }

    void skipSpaceAndComments() {
        while (pos_ < text_.size()) {
            const CharClass charClass = classOf(text_[pos_]);
            if (charClass == Newline) {
                ++line_;
                ++pos_;
            } else if (charClass == Space) {
                ++pos_;
            } else if (charClass == Slash && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n')
                    ++pos_;
            } else {
                return;
            }
        }
    }

    void readName() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (classOf(text_[pos_]) == Letter || classOf(text_[pos_]) == Digit))
            ++pos_;
        const std::string_view word = text_.substr(start, pos_ - start);
        token_ = Token::Name;
        for (const Keyword& keyword : Keywords) {
            if (keyword.word == word)
                token_ = keyword.token;
        }
    }

    void readNumber() {
        const std::size_t start = pos_;
        if (text_[pos_] == '-')
            ++pos_;
        auto isNumberChar = [](char c) { return classOf(c) == Digit || c == '.' || c == 'e' || c == 'E'; };
        while (pos_ < text_.size() &&
               (isNumberChar(text_[pos_]) || ((text_[pos_] == '-' || text_[pos_] == '+') &&
                                              (text_[pos_ - 1] == 'e' || text_[pos_ - 1] == 'E'))))
            ++pos_;
        const std::string_view spelling = text_.substr(start, pos_ - start);
        const auto [end, error] =
            std::from_chars(spelling.data(), spelling.data() + spelling.size(), number_);
        if (error != std::errc() || end != spelling.data() + spelling.size())
            fail("malformed number '" + std::string(spelling) + "'");
        token_ = Token::Number;
    }

    // 'text' with '' standing for one quote; a string ends on its line.
    void readString() {
        string_.clear();
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size() || text_[pos_] == '\n')
                fail("string not closed on its line");
            const char c = text_[pos_++];
            if (c != '\'') {
                string_ += c;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == '\'') {
                string_ += '\'';
                ++pos_;
                continue;
            }
            break;
        }
        token_ = Token::String;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int tokenLine_ = 1;
    Token token_ = Token::End;
    std::string_view spelling_;
    double number_ = 0;
    std::string string_;
};

// ---- Parser -----------------------------------------------------------------------------------

constexpr int MaxNesting = 16;

class Parser {
public:
    explicit Parser(std::string_view text) : lexer_(text) {}

    // definition -> object END
    DefinitionObject parseDefinition() {
        DefinitionObject root = parseObject(0);
        expect(Token::End);
        return root;
    }

private:
    void expect(Token token) {
        if (lexer_.token() != token)
            lexer_.fail("expected " + describe(token) + ", found " + found());
    }

    std::string found() const {
        if (lexer_.token() == Token::End)
            return describe(Token::End);
        return "'" + std::string(lexer_.spelling()) + "'";
    }

    QString takeName() {
        expect(Token::Name);
        QString name = QString::fromUtf8(lexer_.spelling());
        lexer_.advance();
        return name;
    }

    // object -> 'object' NAME ':' NAME { object | property } 'end'
    DefinitionObject parseObject(int depth) {
        if (depth >= MaxNesting)
            lexer_.fail("objects nested too deeply");
        expect(Token::Object);
        DefinitionObject object;
        object.line = lexer_.line();
        lexer_.advance();
        object.name = takeName();
        expect(Token::Colon);
        lexer_.advance();
        object.className = takeName();
        for (;;) {
            if (lexer_.token() == Token::Object)
                object.children.push_back(parseObject(depth + 1));
            else if (lexer_.token() == Token::Name)
                object.properties.push_back(parseProperty());
            else
                break;
        }
        expect(Token::EndKeyword);
        lexer_.advance();
        return object;
    }

    // property -> NAME { '.' NAME } '=' value
    DefinitionProperty parseProperty() {
        DefinitionProperty property;
        property.line = lexer_.line();
        property.name = takeName();
        while (lexer_.token() == Token::Dot) {
            lexer_.advance();
            property.name += u'.' + takeName();
        }
        expect(Token::Equals);
        lexer_.advance();
        property.value = parseValue();
        return property;
    }

    // value -> NUMBER | STRING | NAME | set
    DefinitionValue parseValue() {
        DefinitionValue value;
        switch (lexer_.token()) {
        case Token::Number:
            value.kind = DefinitionValue::Kind::Number;
            value.number = lexer_.number();
            break;
        case Token::String:
            value.kind = DefinitionValue::Kind::String;
            value.text = QString::fromStdString(lexer_.stringValue());
            break;
        case Token::Name:
            value.kind = DefinitionValue::Kind::Name;
            value.text = QString::fromUtf8(lexer_.spelling());
            break;
        case Token::OpenSet:
            return parseSet();
        default:
            lexer_.fail("expected a value, found " + found());
        }
        lexer_.advance();
        return value;
    }

    // set -> '[' [ NAME { ',' NAME } ] ']'
    DefinitionValue parseSet() {
        DefinitionValue value;
        value.kind = DefinitionValue::Kind::Set;
        lexer_.advance();
        if (lexer_.token() != Token::CloseSet) {
            value.names.push_back(takeName());
            while (lexer_.token() == Token::Comma) {
                lexer_.advance();
                value.names.push_back(takeName());
            }
        }
        expect(Token::CloseSet);
        lexer_.advance();
        return value;
    }

    Lexer lexer_;
};

} // namespace

DefinitionObject readDefinition(std::string_view utf8Text) {
    return Parser(utf8Text).parseDefinition();
}

} // namespace kodexa::report
