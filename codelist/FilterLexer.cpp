#include "FilterLexer.h"

#include "FilterErrors.h"

#include <algorithm>

namespace kodexa::filter {
namespace {

enum class CharClass : std::uint8_t {
    Other, // not part of the language
    Blank,
    Letter,
    Digit,
    Quote,
    LeftParen,
    RightParen,
    Comma,
    Less,
    Equal,
    Greater,
};

constexpr std::array<CharClass, 256> makeCharClasses() {
    std::array<CharClass, 256> classes{};
    for (unsigned char c : {' ', '\t', '\r', '\n'})
        classes[c] = CharClass::Blank;
    for (int c = 'A'; c <= 'Z'; ++c) {
        classes[c] = CharClass::Letter;
        classes[c + ('a' - 'A')] = CharClass::Letter;
    }
    classes['_'] = CharClass::Letter;
    // The code page's letters, so that a German word outside a constant reads as a (missing)
    // field name rather than as a stray character.
    for (int c = 0xC0; c <= 0xFF; ++c) {
        if (c != 0xD7 && c != 0xF7) // multiplication and division signs
            classes[c] = CharClass::Letter;
    }
    for (int c : {0x83, 0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F, 0xAA, 0xB5, 0xBA})
        classes[c] = CharClass::Letter;
    for (int c = '0'; c <= '9'; ++c)
        classes[c] = CharClass::Digit;
    classes['\''] = CharClass::Quote;
    classes['('] = CharClass::LeftParen;
    classes[')'] = CharClass::RightParen;
    classes[','] = CharClass::Comma;
    classes['<'] = CharClass::Less;
    classes['='] = CharClass::Equal;
    classes['>'] = CharClass::Greater;
    return classes;
}

constexpr std::array<CharClass, 256> CharClasses = makeCharClasses();

CharClass classOf(char c) {
    return CharClasses[static_cast<unsigned char>(c)];
}

// The words the reader knows: the language's own keywords, and the further words that end a text
// constant when they follow a quote (some only together with the word after them).
struct Keyword {
    std::string_view word;
    TokenKind kind; // Name for words that are no keyword of the language
    bool endsTextConstant;
    std::string_view requiredNextWord;
};

constexpr std::array<Keyword, 19> Keywords = {{
    {"AND", TokenKind::And, true, {}},        {"OR", TokenKind::Or, true, {}},
    {"NOT", TokenKind::Not, false, {}},       {"LIKE", TokenKind::Like, true, {}},
    {"IS", TokenKind::Is, true, {}},          {"NULL", TokenKind::Null, true, {}},
    {"ASC", TokenKind::Name, true, {}},       {"ASCENDING", TokenKind::Name, true, {}},
    {"DESC", TokenKind::Name, true, {}},      {"DESCENDING", TokenKind::Name, true, {}},
    {"SELECT", TokenKind::Name, true, {}},    {"FROM", TokenKind::Name, true, {}},
    {"WHERE", TokenKind::Name, true, {}},     {"HAVING", TokenKind::Name, true, {}},
    {"UNION", TokenKind::Name, true, {}},     {"PLAN", TokenKind::Name, true, {}},
    {"GROUP", TokenKind::Name, true, "BY"},   {"ORDER", TokenKind::Name, true, "BY"},
    {"FOR", TokenKind::Name, true, "UPDATE"},
}};

bool equalsIgnoringCase(std::string_view text, std::string_view upperWord) {
    return text.size() == upperWord.size() &&
           std::equal(text.begin(), text.end(), upperWord.begin(), [](char a, char b) {
               return (a >= 'a' && a <= 'z' ? static_cast<char>(a - 'a' + 'A') : a) == b;
           });
}

const Keyword* findKeyword(std::string_view word) {
    for (const Keyword& keyword : Keywords) {
        if (equalsIgnoringCase(word, keyword.word))
            return &keyword;
    }
    return nullptr;
}

// The comparison signs, longer spellings first.
struct OperatorSpelling {
    std::string_view spelling;
    TokenKind kind;
};

constexpr std::array<OperatorSpelling, 6> Operators = {{
    {"<=", TokenKind::LessEqual},
    {"<>", TokenKind::NotEqual},
    {">=", TokenKind::GreaterEqual},
    {"<", TokenKind::Less},
    {">", TokenKind::Greater},
    {"=", TokenKind::Equal},
}};

// A constant collects at most this many characters; a text constant keeps at most the second.
constexpr std::size_t CollectedLimit = 512;
constexpr std::size_t TextConstantLimit = 255;

void appendLimited(std::string& text, std::string_view more) {
    if (text.size() < CollectedLimit)
        text.append(more.substr(0, CollectedLimit - text.size()));
}

constexpr std::string_view QuoteCharacters = "'\"`";

// The look-ahead after a quote reads words as the table engine always has: only the blank
// separates them, besides a line break, "(" and ","; a tab is part of a word. A line break is LF,
// and CR too, so that a word before a CR LF pair reads as the one before a lone LF.
bool isLineBreak(char c) {
    return c == '\n' || c == '\r';
}

bool endsWord(char c) {
    return c == ' ' || isLineBreak(c) || c == '(' || c == ',';
}

} // namespace

FilterLexer::FilterLexer(std::string_view expression) : expression_(expression) {
    for (std::size_t i = 0; i < QuoteCharacters.size(); ++i)
        lastQuote_[i] = expression_.rfind(QuoteCharacters[i]);
}

std::size_t FilterLexer::skipBlanks(std::size_t position) const {
    while (position < expression_.size() && classOf(expression_[position]) == CharClass::Blank)
        ++position;
    return position;
}

std::size_t FilterLexer::skipSpaces(std::size_t position) const {
    while (position < expression_.size() && expression_[position] == ' ')
        ++position;
    return position;
}

bool FilterLexer::nextCharacterIs(char c) const {
    const std::size_t position = skipBlanks(pos_);
    return position < expression_.size() && expression_[position] == c;
}

Token FilterLexer::next() {
    pos_ = skipBlanks(pos_);
    if (pos_ == expression_.size())
        return {};
    const char c = expression_[pos_];
    switch (classOf(c)) {
    case CharClass::Letter:
        return readName();
    case CharClass::Digit:
        return readNumber();
    case CharClass::Quote:
        return readText();
    case CharClass::LeftParen:
        return {TokenKind::LeftParen, expression_.substr(pos_++, 1), {}};
    case CharClass::RightParen:
        return {TokenKind::RightParen, expression_.substr(pos_++, 1), {}};
    case CharClass::Comma:
        return {TokenKind::Comma, expression_.substr(pos_++, 1), {}};
    case CharClass::Less:
    case CharClass::Equal:
    case CharClass::Greater:
        return readOperator();
    case CharClass::Blank: // skipped above
    case CharClass::Other:
        break;
    }
    throw invalidCharacter(c);
}

Token FilterLexer::readName() {
    const std::size_t start = pos_;
    while (pos_ < expression_.size() && (classOf(expression_[pos_]) == CharClass::Letter ||
                                         classOf(expression_[pos_]) == CharClass::Digit))
        ++pos_;
    const std::string_view word = expression_.substr(start, pos_ - start);
    const Keyword* keyword = findKeyword(word);
    return {keyword != nullptr ? keyword->kind : TokenKind::Name, word, {}};
}

// number -> digits [ "." digits ]
Token FilterLexer::readNumber() {
    const std::size_t start = pos_;
    const auto skipDigits = [&] {
        while (pos_ < expression_.size() && classOf(expression_[pos_]) == CharClass::Digit)
            ++pos_;
    };
    skipDigits();
    if (pos_ + 1 < expression_.size() && expression_[pos_] == '.' &&
        classOf(expression_[pos_ + 1]) == CharClass::Digit) {
        ++pos_;
        skipDigits();
    }
    return {TokenKind::Number, expression_.substr(start, pos_ - start), {}};
}

Token FilterLexer::readOperator() {
    const std::string_view rest = expression_.substr(pos_);
    for (const OperatorSpelling& op : Operators) {
        if (rest.starts_with(op.spelling)) {
            pos_ += op.spelling.size();
            return {op.kind, rest.substr(0, op.spelling.size()), {}};
        }
    }
    throw invalidCharacter(rest.front()); // not reached: next() calls only for '<', '=' and '>'
}

Token FilterLexer::readText() {
    const std::size_t open = pos_;
    const std::size_t lastSingleQuote = lastQuote_[0];
    std::string value;
    std::size_t from = open + 1;
    for (;;) {
        const std::size_t quote = expression_.find('\'', from);
        if (quote == std::string_view::npos)
            throw unclosedText();
        appendLimited(value, expression_.substr(from, quote - from));
        if (quote + 1 < expression_.size() && expression_[quote + 1] == '\'') {
            appendLimited(value, "'"); // a doubled quote stands for one
            from = quote + 2;
            continue;
        }
        if (quote == lastSingleQuote || endsTextConstant(quote)) {
            pos_ = quote + 1;
            break;
        }
        appendLimited(value, "'");
        from = quote + 1;
    }
    if (value.size() > TextConstantLimit)
        value.resize(TextConstantLimit);
    return {TokenKind::Text, expression_.substr(open, pos_ - open), std::move(value)};
}

bool FilterLexer::occursAgain(char quoteCharacter, std::size_t position) const {
    const std::size_t last = lastQuote_[QuoteCharacters.find(quoteCharacter)];
    return last != std::string_view::npos && last > position;
}

// The word at start runs up to a blank, a line break, "(" or ","; a quote character in it reaches
// to its next occurrence. Reading stops at such a quoted part: it decides the matter.
FilterLexer::WordAhead FilterLexer::wordAt(std::size_t start) const {
    std::size_t end = start;
    while (end < expression_.size() && !endsWord(expression_[end])) {
        const char c = expression_[end];
        if (QuoteCharacters.find(c) != std::string_view::npos && occursAgain(c, end))
            return {expression_.substr(start, end - start), true, end};
        ++end;
    }
    return {expression_.substr(start, end - start), false, end};
}

// Whether the quote at `quote` (neither doubled nor the last one) ends the constant: it does when
// the next word, after blanks and closing parentheses, reads as more expression. Only the blank
// itself is skipped here: a tab after the quote belongs to the word, a line break leaves it empty.
bool FilterLexer::endsTextConstant(std::size_t quote) const {
    std::size_t start = skipSpaces(quote + 1);
    while (start < expression_.size() && expression_[start] == ')')
        start = skipSpaces(start + 1);
    if (start < expression_.size()) {
        const char first = expression_[start];
        if (classOf(first) == CharClass::Digit || first == '<' || first == '=' || first == '>')
            return true;
    }
    const WordAhead ahead = wordAt(start);
    if (ahead.quotedPart)
        return true;
    const std::string_view word = ahead.word;
    if (word.find('.') != std::string_view::npos || word.find("/*") != std::string_view::npos ||
        word.find("//") != std::string_view::npos)
        return true;
    const Keyword* keyword = findKeyword(word);
    if (keyword == nullptr || !keyword->endsTextConstant)
        return false;
    if (keyword->requiredNextWord.empty())
        return true;
    const WordAhead following = wordAt(skipSpaces(ahead.end));
    return !following.quotedPart && equalsIgnoringCase(following.word, keyword->requiredNextWord);
}

} // namespace kodexa::filter
