#include "FilterLanguage.h"
#include "Collation.h"
#include "Cp1252.h"
#include "DatabaseError.h"
#include "FilterErrors.h"
#include "FilterLexer.h"
#include "LikePattern.h"

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <random>
#include <vector>

using namespace kodexa;
using filter::FilterLexer;
using filter::LikePattern;
using filter::TokenKind;

namespace {

// A few rows as the filter sees a table; CPV_DESC may be null.
class Rows final : public RowAccess {
public:
    explicit Rows(std::vector<std::pair<std::string, std::optional<std::string>>> rows) {
        for (auto& [code, description] : rows) {
            codes_.push_back(cp1252::fromUtf8(code));
            descriptions_.push_back(description ? std::optional(cp1252::fromUtf8(*description))
                                                : std::nullopt);
        }
    }
    std::size_t size() const { return codes_.size(); }

    std::optional<std::size_t> fieldIndex(std::string_view name) const override {
        if (name == "CPV_ID")
            return 0;
        if (name == "CPV_DESC")
            return 1;
        return std::nullopt;
    }
    FieldValue value(std::size_t row, std::size_t field) const override {
        if (field == 0)
            return codes_[row];
        return descriptions_[row] ? FieldValue(*descriptions_[row]) : std::nullopt;
    }
    std::string_view sortKey(std::size_t row, std::size_t field) const override {
        const FieldValue text = value(row, field);
        keys_.push_back(text ? collator_->sortKey(*text) : std::string());
        return keys_.back();
    }
    std::string_view upperValue(std::size_t row, std::size_t field) const override {
        uppers_.push_back(cp1252::toUpper(value(row, field).value_or("")));
        return uppers_.back();
    }
    const Collator& collator() const override { return *collator_; }

private:
    std::shared_ptr<const Collator> collator_ = makeLocaleCollator("de_DE");
    std::vector<std::string> codes_;
    std::vector<std::optional<std::string>> descriptions_;
    mutable std::deque<std::string> keys_;
    mutable std::deque<std::string> uppers_;
};

const Rows& sampleRows() {
    static const Rows rows({{"03000000", "Landwirtschaftliche Erzeugnisse"},
                            {"03110000", "Feldfrüchte"},
                            {"03221000", "Äpfel"},
                            {"09000000", "Obst, Brennstoff"},
                            {"30000000", std::nullopt},
                            {"38416000", "pH-Meter"},
                            {"44423100", "A C und ABC"},
                            {"98910000", "Straße 50%_gültig\\"}});
    return rows;
}

// The codes of the rows for which the expression holds.
std::vector<std::string> select(std::string_view utf8Expression, const Rows& rows = sampleRows()) {
    const std::unique_ptr<RowPredicate> predicate =
        FilterLanguage().compile(cp1252::fromUtf8(utf8Expression), rows);
    std::vector<std::string> codes;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (predicate->matches(rows, row))
            codes.emplace_back(*rows.value(row, 0));
    }
    return codes;
}

// The reader's message for an expression it rejects; the field's name for an unknown one.
std::string rejection(std::string_view utf8Expression) {
    try {
        FilterLanguage().compile(cp1252::fromUtf8(utf8Expression), sampleRows());
    } catch (const UnknownFieldError& error) {
        return "field " + cp1252::toUtf8(error.fieldName());
    } catch (const DatabaseError& error) {
        return error.what();
    }
    return "accepted";
}

std::string firstText(std::string_view utf8Expression) {
    const std::string expression = cp1252::fromUtf8(utf8Expression);
    FilterLexer lexer(expression);
    const filter::Token token = lexer.next();
    EXPECT_EQ(token.kind, TokenKind::Text);
    return cp1252::toUtf8(token.text);
}

using Codes = std::vector<std::string>;

} // namespace

// ---- Reading text constants -----------------------------------------------------------------------

TEST(TextConstant, DoubledQuotesAndTheLastQuote) {
    EXPECT_EQ(firstText("'it''s'"), "it's");
    EXPECT_EQ(firstText("''"), "");
    EXPECT_EQ(firstText("'''' "), "'");
    EXPECT_EQ(firstText("'abc' AND x"), "abc");
    EXPECT_EQ(firstText("'a'b'"), "a'b"); // a quote before a plain word stays
}

TEST(TextConstant, AQuoteEndsTheConstantWhereMoreExpressionFollows) {
    EXPECT_EQ(firstText("'%X' OR Y%'"), "%X");
    EXPECT_EQ(firstText("'%X' or y%'"), "%X");      // keywords without regard to case
    EXPECT_EQ(firstText("'%D'OR%'"), "%D'OR%");     // the word is "OR%'", no keyword
    EXPECT_EQ(firstText("'a' not b'"), "a' not b"); // NOT is not among the words
    for (const char* word : {"AND", "LIKE", "IS", "NULL", "ASC", "ascending", "DESC", "DESCENDING", "SELECT",
                             "FROM", "WHERE", "HAVING", "UNION", "PLAN"})
        EXPECT_EQ(firstText(std::string("'a' ") + word + " b'"), "a") << word;
    EXPECT_EQ(firstText("'a' ) ) or b'"), "a"); // blanks and closing parentheses are skipped
    EXPECT_EQ(firstText("'a' OR(b'"), "a");     // "(" and "," end the word after the quote
    EXPECT_EQ(firstText("'a' OR,b'"), "a");
    EXPECT_EQ(firstText("'a' ORb(c'"), "a' ORb(c");
    EXPECT_EQ(firstText("'a'1b'"), "a");
    EXPECT_EQ(firstText("'a'<b'"), "a");
    EXPECT_EQ(firstText("'a'=b'"), "a");
    EXPECT_EQ(firstText("'a'>b'"), "a");
    EXPECT_EQ(firstText("'a'x.y z'"), "a");
    EXPECT_EQ(firstText("'a'x/*y z'"), "a");
    EXPECT_EQ(firstText("'a'x//y z'"), "a");
    EXPECT_EQ(firstText("'a'x/y z'"), "a'x/y z");
}

TEST(TextConstant, QuotedPartsInTheNextWord) {
    EXPECT_EQ(firstText("'a' \"b c\" d'"), "a");      // the double quote occurs again
    EXPECT_EQ(firstText("'a' x`b` d'"), "a");         // so does the backquote
    EXPECT_EQ(firstText("'a' b\"c d'"), "a' b\"c d"); // a lone double quote is an ordinary character
    EXPECT_EQ(firstText("'a' b'c x'y d'"), "a");      // the single quote occurs again
}

TEST(TextConstant, GroupOrderAndForCountOnlyWithTheirSecondWord) {
    EXPECT_EQ(firstText("'a' GROUP BY x'"), "a");
    EXPECT_EQ(firstText("'a' order  by x'"), "a");
    EXPECT_EQ(firstText("'a' FOR UPDATE x'"), "a");
    EXPECT_EQ(firstText("'a' group x'"), "a' group x");
    EXPECT_EQ(firstText("'a' for by'"), "a' for by");
    EXPECT_EQ(firstText("'a' by x'"), "a' by x");
}

// After a quote only the blank is skipped, and only a blank, a line break, "(" or "," ends the
// next word: a tab belongs to the word, so "or<TAB>y" is no keyword.
TEST(TextConstant, OnlyTheBlankSeparatesTheWordAfterAQuote) {
    EXPECT_EQ(firstText("'%X' OR\tY%'"), "%X' OR\tY%");
    EXPECT_EQ(firstText("'%X'\tOR Y%'"), "%X'\tOR Y%");
    EXPECT_EQ(firstText("'%X' \tOR Y%'"), "%X' \tOR Y%");
    EXPECT_EQ(firstText("'a' )\tor b'"), "a' )\tor b");
    EXPECT_EQ(firstText("'a'\t1b'"), "a'\t1b"); // the word begins with the tab, not the digit
    EXPECT_EQ(firstText("'a'\t=b'"), "a'\t=b");
    EXPECT_EQ(firstText("'a' GROUP\tBY x'"), "a' GROUP\tBY x");
    EXPECT_EQ(firstText("'a' x\t.y z'"), "a"); // a full stop still cuts the word short
    // A line break ends the word; CR counts as one, so CR LF reads as LF does.
    EXPECT_EQ(firstText("'%X' OR\nY%'"), "%X");
    EXPECT_EQ(firstText("'%X' OR\r\nY%'"), "%X");
    EXPECT_EQ(firstText("'%X' OR\rY%'"), "%X");
    // A line break right after the quote is not skipped: the word is empty and no keyword.
    EXPECT_EQ(firstText("'%X'\nOR Y%'"), "%X'\nOR Y%");
    EXPECT_EQ(firstText("'a' GROUP\nBY x'"), "a' GROUP\nBY x");
    // The blank and the closing parenthesis are skipped as before.
    EXPECT_EQ(firstText("'%X' OR Y%'"), "%X");
    EXPECT_EQ(firstText("'a'  ) )  or b'"), "a");
}

// Between tokens, tabs and line breaks separate as blanks do; only right after a closing quote
// that is not the last one does the look-ahead want a blank before the next word.
TEST(FilterEvaluation, TabsAndLineBreaksSeparateTokens) {
    EXPECT_EQ(select("CPV_ID\t>=\r\n'03'"), (Codes{"03000000", "03110000", "03221000", "09000000", "30000000",
                                                   "38416000", "44423100", "98910000"}));
    EXPECT_EQ(select("\tCPV_ID\n<\t'04' AND\rCPV_ID\t>=\t'0300'\r\n"),
              (Codes{"03000000", "03110000", "03221000"}));
    EXPECT_EQ(rejection("CPV_ID < '04'\r\nAND CPV_ID >= '0300'"), "Filterausdruck fehlerhaft abgeschlossen");
    EXPECT_EQ(select("UPPER(\tCPV_DESC\t)\tLIKE\n'%FRÜCHTE%'"), Codes{"03110000"});
}

TEST(TextConstant, LongConstantsAreCutTo255Characters) {
    const std::string text(600, 'x');
    EXPECT_EQ(firstText("'" + text + "'"), std::string(255, 'x'));
    EXPECT_EQ(select("CPV_ID < '" + std::string(300, '9') + "'").size(), 8U);
}

TEST(TextConstant, AnUnclosedConstantIsRejected) {
    EXPECT_EQ(rejection("CPV_ID = 'abc"), "Nicht begrenzte String-Konstante");
    EXPECT_EQ(rejection("CPV_ID = 'abc''"), "Nicht begrenzte String-Konstante");
}

// ---- Rejections -------------------------------------------------------------------------------------

TEST(FilterRejection, EveryMessageOfTheReader) {
    EXPECT_EQ(rejection("CPV_ID = 'x' % 3"), "Ungültiges Zeichen in Filterausdruck: '%'");
    EXPECT_EQ(rejection("CPV_ID = 'x' \\"), "Ungültiges Zeichen in Filterausdruck: '\\'");
    EXPECT_EQ(rejection("CPV_ID = 'x'."), "Ungültiges Zeichen in Filterausdruck: '.'");
    EXPECT_EQ(rejection("CPV_ID = €"), "Ungültiges Zeichen in Filterausdruck: '€'");
    EXPECT_EQ(rejection("CPV_ID = "), "Ausdruck erwartet, jedoch leer vorgefunden");
    EXPECT_EQ(rejection("CPV_ID = )"), "Ausdruck erwartet, jedoch ')' vorgefunden");
    EXPECT_EQ(rejection("CPV_ID = and 'x'"), "Ausdruck erwartet, jedoch 'and' vorgefunden");
    EXPECT_EQ(rejection("CPV_ID >= <= 'x'"), "Ausdruck erwartet, jedoch '<=' vorgefunden");
    EXPECT_EQ(rejection("UPPER()"), "Ausdruck erwartet, jedoch ')' vorgefunden");
    EXPECT_EQ(rejection("CPV_ID = 'x' 'y'"), "Filterausdruck fehlerhaft abgeschlossen");
    EXPECT_EQ(rejection("(CPV_ID = 'x'"), "Filterausdruck fehlerhaft abgeschlossen");
    EXPECT_EQ(rejection("UPPER(CPV_ID, 'x') = 'y'"), "Filterausdruck fehlerhaft abgeschlossen");
    EXPECT_EQ(rejection("CPV_ID = 5"), "Fehlende Typübereinstimmung im Ausdruck");
    EXPECT_EQ(rejection("CPV_DESC LIKE 5"), "Fehlende Typübereinstimmung im Ausdruck");
    EXPECT_EQ(rejection("UPPER(1) = 'x'"), "Fehlende Typübereinstimmung im Ausdruck");
    EXPECT_EQ(rejection("CPV_ID >= 'x' = 'y'"), "Fehlende Typübereinstimmung im Ausdruck");
    EXPECT_EQ(rejection("Y = 'x'"), "field Y");
    EXPECT_EQ(rejection("Größe = 'x'"), "field Größe");
    EXPECT_EQ(rejection("CPV_ID IS 'x'"), "Ungültige Verwendung eines Schlüsselworts");
    EXPECT_EQ(rejection("CPV_ID IS NOT 'x'"), "Ungültige Verwendung eines Schlüsselworts");
    EXPECT_EQ(rejection("CPV_ID = NULL"), "Ungültige Verwendung eines Schlüsselworts");
    EXPECT_EQ(rejection("CPV_ID NOT = 'x'"), "Ungültige Verwendung eines Schlüsselworts");
    EXPECT_EQ(rejection("CPV_ID"), "Ungültiger Filterausdruck");
    EXPECT_EQ(rejection("'x'"), "Ungültiger Filterausdruck");
    EXPECT_EQ(rejection("CPV_ID = 'x' AND 'y'"), "Ungültiger Filterausdruck");
    EXPECT_EQ(rejection("NOT CPV_ID"), "Ungültiger Filterausdruck");
}

TEST(FilterRejection, AnUnknownNameIsReportedBeforeAnythingAfterIt) {
    // The rest of the expression holds a stray character and an unclosed constant.
    EXPECT_EQ(rejection(" UPPER(CPV_DESC) LIKE '%X' OR Y%' "), "field Y");
    EXPECT_EQ(rejection("UPPER = 'x'"), "field UPPER"); // a function name only before "("
}

TEST(FilterRejection, DeepNestingIsRejectedNotOverflowed) {
    const std::string deep = std::string(100000, '(') + "CPV_ID = 'x'" + std::string(100000, ')');
    EXPECT_EQ(rejection(deep), "Ungültiger Filterausdruck");
    std::string nots;
    for (int i = 0; i < 100000; ++i)
        nots += "NOT ";
    EXPECT_EQ(rejection(nots + "CPV_ID = 'x'"), "Ungültiger Filterausdruck");
    const std::string nested = std::string(10, '(') + "CPV_ID = '03000000'" + std::string(10, ')');
    EXPECT_EQ(select(nested), Codes{"03000000"});
}

// Every row is tested against every comparison: an expression of more than MaxComparisons is
// refused before any row is, whatever the comparisons are; AND, OR and parentheses cost nothing.
TEST(FilterRejection, TooManyComparisonsAreRefused) {
    auto joined = [](std::string_view comparison, std::size_t count, std::string_view junction) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
            text += (i == 0 ? "" : std::string(junction)) + std::string(comparison);
        return text;
    };
    const std::string refused = "Filterausdruck zu umfangreich: mehr als 256 Vergleiche";
    const struct {
        std::string_view comparison;
        std::size_t rows;
    } cases[] = {{"CPV_DESC LIKE CPV_DESC", 7},
                 {"CPV_DESC NOT LIKE '%q0%'", 7},
                 {"CPV_DESC IS NOT NULL", 7},
                 {"(CPV_ID >= '0')", 8}};
    for (const auto& [comparison, rows] : cases) {
        EXPECT_EQ(select(joined(comparison, filter::MaxComparisons, " AND ")).size(), rows) << comparison;
        EXPECT_EQ(rejection(joined(comparison, filter::MaxComparisons + 1, " OR ")), refused) << comparison;
    }
    // Nested capitals are one conversion, not one per level.
    EXPECT_EQ(select(joined("UPPER(", 60, "") + "CPV_DESC" + std::string(60, ')') + " LIKE '%ÄPFEL%'"),
              Codes{"03221000"});
}

// ---- Evaluation -------------------------------------------------------------------------------------

TEST(FilterEvaluation, ComparisonsFollowTheCollation) {
    EXPECT_EQ(select("CPV_ID >= '03' AND CPV_ID < '039999999'"), (Codes{"03000000", "03110000", "03221000"}));
    EXPECT_EQ(select("CPV_ID >= '0-3' AND CPV_ID < '0-39999999'"),
              (Codes{"03000000", "03110000", "03221000"}));
    EXPECT_EQ(select("CPV_ID >= ' 03' AND CPV_ID < ' 039999999'"), Codes{});
    EXPECT_EQ(select("'09' <= CPV_ID AND '3' > CPV_ID"), Codes{"09000000"});
    EXPECT_EQ(select("cpv_id = '09000000'"), Codes{"09000000"}); // a field name in capitals
    EXPECT_EQ(select("CPV_ID <> '09000000' AND CPV_ID < '1'"), (Codes{"03000000", "03110000", "03221000"}));
    // Letters alphabetically, case and umlauts only between equal texts: "Äpfel" < "Feldfrüchte" <
    // "pH-Meter".
    EXPECT_EQ(select("CPV_DESC < 'B'"), (Codes{"03221000", "44423100"}));
    EXPECT_EQ(select("CPV_DESC > 'o' AND CPV_DESC < 'q'"), (Codes{"09000000", "38416000"}));
    EXPECT_EQ(select("CPV_DESC = 'ph-meter'"), Codes{});
    EXPECT_EQ(select("UPPER(CPV_DESC) = 'PH-METER'"), Codes{"38416000"});
    EXPECT_EQ(select("UPPER(CPV_DESC) = UPPER('ph-Meter')"), Codes{"38416000"});
    EXPECT_EQ(select("CPV_DESC = CPV_DESC AND CPV_ID > '3'"), (Codes{"38416000", "44423100", "98910000"}));
    EXPECT_EQ(select("1 < 2.5 AND CPV_ID = '03000000'"), Codes{"03000000"});
}

// Codes compare with a constant of digits by their bytes; that shortcut must agree with the
// collation for every length on either side, and texts of other characters take the keys.
TEST(FilterEvaluation, DigitShortcutAgreesWithTheCollation) {
    const std::vector<std::string> texts = {"",           "0",        "03",      "030",       "0300",
                                            "03000000",   "03000001", "0300000", "030000000", "039999999",
                                            "0399999999", "1",        "3",       "99999999",  "999999999",
                                            "0-3",        " 03",      "03a",     "0300000a",  "030000000a"};
    std::vector<std::pair<std::string, std::optional<std::string>>> content;
    for (const std::string& code : texts)
        content.emplace_back(code, "x");
    const Rows rows(content);
    const LocaleCollator german("de_DE");
    for (const std::string& constant : texts) {
        for (const char* sign : {"<", "<=", "=", "<>", ">=", ">"}) {
            Codes expected;
            for (const std::string& code : texts) {
                const int order = german.compare(code, constant);
                const std::string_view op = sign;
                const bool holds = op == "<"    ? order < 0
                                   : op == "<=" ? order <= 0
                                   : op == "="  ? order == 0
                                   : op == "<>" ? order != 0
                                   : op == ">=" ? order >= 0
                                                : order > 0;
                if (holds)
                    expected.push_back(code);
            }
            const std::string single = "CPV_ID " + std::string(sign) + " '" + constant + "'";
            EXPECT_EQ(select(single, rows), expected) << single;
            // The same comparison as half of a range, read once for both halves.
            EXPECT_EQ(select(single + " AND CPV_ID >= ''", rows), expected) << single;
        }
    }
}

TEST(FilterEvaluation, LikeOnCapitals) {
    EXPECT_EQ(select("UPPER(CPV_DESC) LIKE '%FRÜCHTE%'"), Codes{"03110000"});
    EXPECT_EQ(select("UPPER(CPV_DESC) LIKE '%STRASSE%'"), Codes{});
    EXPECT_EQ(select("UPPER(CPV_DESC) LIKE '%STRAßE%'"), Codes{"98910000"}); // ß has no capital
    EXPECT_EQ(select("UPPER(CPV_DESC) LIKE '%A_C%'"), (Codes{"44423100"}));
    EXPECT_EQ(select("CPV_DESC LIKE '%obst%'"), Codes{}); // without UPPER, case counts
    EXPECT_EQ(select("CPV_DESC LIKE 'Obst%'"), Codes{"09000000"});
    EXPECT_EQ(select("CPV_DESC LIKE '%Meter'"), Codes{"38416000"});
    EXPECT_EQ(select("CPV_DESC LIKE 'Meter'"), Codes{});               // anchored at both ends
    EXPECT_EQ(select("CPV_DESC NOT LIKE '%e%'"), (Codes{"44423100"})); // the null row is unknown, not kept
    // Function names and keywords in any case.
    EXPECT_EQ(select("upper(CPV_DESC) like '%FRÜCHTE%'"), Codes{"03110000"});
    EXPECT_EQ(select("Upper(CPV_DESC) Not Like '%E%' and cpv_desc is not null"), (Codes{"44423100"}));
}

// Without "%" a pattern must cover the whole text: no prefix, no suffix, no part of it.
TEST(FilterEvaluation, LikeWithoutAWildcardMatchesTheWholeText) {
    EXPECT_EQ(select("CPV_DESC LIKE 'Obst'"), Codes{});
    EXPECT_EQ(select("CPV_DESC LIKE 'Brennstoff'"), Codes{});
    EXPECT_EQ(select("CPV_DESC LIKE 'Obst, Brennstoff'"), Codes{"09000000"});
    EXPECT_EQ(select("CPV_DESC LIKE 'Obst, Brennstof'"), Codes{});
    EXPECT_EQ(select("CPV_DESC LIKE 'Obst, Brennstoffe'"), Codes{});
    EXPECT_EQ(select("CPV_DESC LIKE '_bst, Brennstof_'"), Codes{"09000000"});
    EXPECT_EQ(select("CPV_DESC LIKE '_bst'"), Codes{});
    EXPECT_EQ(select("CPV_ID LIKE '0300000'"), Codes{});
    EXPECT_EQ(select("CPV_ID LIKE '03000000'"), Codes{"03000000"});
    EXPECT_EQ(select("CPV_ID NOT LIKE '0300000'").size(), 8U);
}

TEST(FilterEvaluation, NullsOrAndNotAndParentheses) {
    EXPECT_EQ(select("CPV_DESC IS NULL"), Codes{"30000000"});
    EXPECT_EQ(select("CPV_DESC IS NOT NULL AND CPV_ID < '04'").size(), 3U);
    EXPECT_EQ(select("NOT (CPV_DESC = 'Äpfel') AND CPV_ID < '1'"),
              (Codes{"03000000", "03110000", "09000000"}));
    EXPECT_EQ(select("CPV_ID = '09000000' OR CPV_DESC = 'Äpfel'"), (Codes{"03221000", "09000000"}));
    EXPECT_EQ(select("CPV_ID < '04' AND (CPV_DESC LIKE 'F%' OR CPV_DESC LIKE 'L%')"),
              (Codes{"03000000", "03110000"}));
    EXPECT_EQ(select("CPV_ID > '04' AND CPV_DESC LIKE 'F%' OR CPV_DESC LIKE 'L%'"), Codes{"03000000"});
    EXPECT_EQ(select("CPV_ID > '04' AND (CPV_DESC LIKE 'F%' OR CPV_DESC LIKE 'L%')"), Codes{});
    EXPECT_EQ(select("NOT CPV_ID = '03000000' AND NOT CPV_ID > '1'"),
              (Codes{"03110000", "03221000", "09000000"}));
    EXPECT_EQ(select("CPV_DESC = 'x' OR CPV_ID = '30000000'"), Codes{"30000000"}); // unknown OR true
}

// AND binds tighter than OR, whichever side the OR stands on; NOT binds looser than a comparison.
TEST(FilterEvaluation, AndBindsTighterThanOr) {
    EXPECT_EQ(select("CPV_DESC LIKE 'L%' OR CPV_ID > '04' AND CPV_DESC LIKE 'F%'"), Codes{"03000000"});
    EXPECT_EQ(select("CPV_ID = '03000000' OR CPV_ID = '09000000' AND CPV_DESC IS NULL"), Codes{"03000000"});
    EXPECT_EQ(select("(CPV_ID = '03000000' OR CPV_ID = '09000000') AND CPV_DESC IS NULL"), Codes{});
    EXPECT_EQ(select("CPV_ID < '04' AND CPV_ID > '03' OR CPV_DESC LIKE 'S%' AND CPV_ID > '9'"),
              (Codes{"03000000", "03110000", "03221000", "98910000"}));
    EXPECT_EQ(select("NOT CPV_ID < '09' AND CPV_ID < '3' OR CPV_ID = '03000000'"),
              (Codes{"03000000", "09000000"}));
    EXPECT_EQ(select("NOT (CPV_ID < '09' AND CPV_ID < '3') OR CPV_ID = '03000000'").size(), 6U);
}

// A comparison with a null is unknown, and so is NOT of it; an OR or AND with an unknown part is
// unknown unless another part decides it. Only true keeps a row.
TEST(FilterEvaluation, UnknownStaysUnknownThroughNotAndOrAndAnd) {
    const Codes everyRowButTheNull = {"03000000", "03110000", "03221000", "09000000",
                                      "38416000", "44423100", "98910000"};
    EXPECT_EQ(select("NOT CPV_DESC = 'x'"), everyRowButTheNull);
    EXPECT_EQ(select("NOT UPPER(CPV_DESC) LIKE 'X'"), everyRowButTheNull);
    EXPECT_EQ(select("NOT (CPV_DESC = 'x' OR CPV_ID = '03000000')"),
              (Codes{"03110000", "03221000", "09000000", "38416000", "44423100", "98910000"}));
    EXPECT_EQ(select("NOT (CPV_DESC = 'x' AND CPV_ID = '30000000')"), everyRowButTheNull);
    EXPECT_EQ(select("NOT (CPV_DESC = 'x' AND CPV_ID = '03000000')").size(), 8U); // false decides an AND
    EXPECT_EQ(select("CPV_DESC = 'x' OR CPV_ID >= '3'"),
              (Codes{"30000000", "38416000", "44423100", "98910000"}));
    EXPECT_EQ(select("NOT (CPV_DESC <> 'x' AND CPV_ID >= '3')"),
              (Codes{"03000000", "03110000", "03221000", "09000000"}));
    EXPECT_EQ(select("NOT (CPV_DESC < CPV_ID)"), everyRowButTheNull); // digits before letters
}

// Each comparison sign at the value itself and either way round: = and <= and >= take the equal
// row, < and > do not, and a constant on the left mirrors the sign.
TEST(FilterEvaluation, EachSignTakesOrLeavesTheEqualRow) {
    EXPECT_EQ(select("CPV_ID < '03110000'"), Codes{"03000000"});
    EXPECT_EQ(select("CPV_ID <= '03110000'"), (Codes{"03000000", "03110000"}));
    EXPECT_EQ(select("CPV_ID > '44423100'"), Codes{"98910000"});
    EXPECT_EQ(select("CPV_ID >= '44423100'"), (Codes{"44423100", "98910000"}));
    EXPECT_EQ(select("CPV_ID = '44423100'"), Codes{"44423100"});
    EXPECT_EQ(select("CPV_ID <> '44423100'").size(), 7U);
    EXPECT_EQ(select("'03110000' > CPV_ID"), Codes{"03000000"});
    EXPECT_EQ(select("'03110000' >= CPV_ID"), (Codes{"03000000", "03110000"}));
    EXPECT_EQ(select("'44423100' < CPV_ID"), Codes{"98910000"});
    EXPECT_EQ(select("'44423100' <= CPV_ID"), (Codes{"44423100", "98910000"}));
    EXPECT_EQ(select("'44423100' = CPV_ID"), Codes{"44423100"});
    EXPECT_EQ(select("'44423100' <> CPV_ID").size(), 7U);
    // Texts of letters by the collation's keys, with the same rule at the value.
    EXPECT_EQ(select("CPV_DESC < 'Feldfrüchte'"), (Codes{"03221000", "44423100"}));
    EXPECT_EQ(select("CPV_DESC <= 'Feldfrüchte'"), (Codes{"03110000", "03221000", "44423100"}));
    EXPECT_EQ(select("'pH-Meter' <= CPV_DESC"), (Codes{"38416000", "98910000"}));
    EXPECT_EQ(select("'pH-Meter' < CPV_DESC"), Codes{"98910000"});
    // Two constants compare once, for every row alike.
    EXPECT_EQ(select("'b' <= 'b' AND CPV_ID = '03000000'"), Codes{"03000000"});
    EXPECT_EQ(select("'b' < 'b' OR CPV_ID = '03000000'"), Codes{"03000000"});
    EXPECT_EQ(select("2 >= 2 AND CPV_ID = '03000000'"), Codes{"03000000"});
    EXPECT_EQ(select("2 > 2 OR CPV_ID = '03000000'"), Codes{"03000000"});
}

// A constant, text or number, always has a value; UPPER of one too.
TEST(FilterEvaluation, AConstantIsNeverNull) {
    for (const char* constant : {"'x'", "''", "5", "UPPER('x')"}) {
        const std::string text = constant;
        EXPECT_EQ(select(text + " IS NULL OR CPV_ID = '03000000'"), Codes{"03000000"}) << constant;
        EXPECT_EQ(select(text + " IS NOT NULL AND CPV_ID = '03000000'"), Codes{"03000000"}) << constant;
    }
}

// A pattern taken from a field differs from row to row; NOT LIKE keeps the rows it does not cover.
TEST(FilterEvaluation, LikeWithAPatternFromTheRow) {
    const Codes everyRowButTheNull = {"03000000", "03110000", "03221000", "09000000",
                                      "38416000", "44423100", "98910000"};
    EXPECT_EQ(select("CPV_DESC LIKE CPV_DESC"), everyRowButTheNull);
    EXPECT_EQ(select("CPV_DESC NOT LIKE CPV_DESC"), Codes{});
    EXPECT_EQ(select("CPV_ID NOT LIKE CPV_DESC"), everyRowButTheNull);
    EXPECT_EQ(select("'Obst, Brennstoff' LIKE CPV_DESC"), Codes{"09000000"});
    EXPECT_EQ(select("'Obst, Brennstoff' NOT LIKE CPV_DESC"),
              (Codes{"03000000", "03110000", "03221000", "38416000", "44423100", "98910000"}));
    EXPECT_EQ(select("'pH-Meter' LIKE UPPER(CPV_DESC)"), Codes{});
    EXPECT_EQ(select("'PH-METER' LIKE UPPER(CPV_DESC)"), Codes{"38416000"});
}

TEST(FilterEvaluation, TheLongestChainMakesOneFlatNode) {
    std::string chain = "CPV_ID = '38416000'";
    for (std::size_t i = 1; i < filter::MaxComparisons; ++i)
        chain += " OR CPV_ID = 'x'";
    EXPECT_EQ(select(chain), Codes{"38416000"});
}

// ---- LIKE patterns ----------------------------------------------------------------------------------

TEST(Like, WildcardsAndEscapes) {
    EXPECT_TRUE(LikePattern("%").matches(""));
    EXPECT_TRUE(LikePattern("%%").matches("abc"));
    EXPECT_FALSE(LikePattern("_").matches(""));
    EXPECT_TRUE(LikePattern("%_%").matches("x"));
    EXPECT_TRUE(LikePattern("a_c").matches("a c"));
    EXPECT_FALSE(LikePattern("a_c").matches("ac"));
    EXPECT_TRUE(LikePattern("a\\_c").matches("a_c"));
    EXPECT_FALSE(LikePattern("a\\_c").matches("abc"));
    EXPECT_TRUE(LikePattern("50\\%").matches("50%"));
    EXPECT_FALSE(LikePattern("%OBST\\%").matches("OBST"));
    EXPECT_TRUE(LikePattern("%OBST\\%").matches("KERNOBST%"));
    EXPECT_TRUE(LikePattern("a\\\\b").matches("a\\b"));
    EXPECT_TRUE(LikePattern("ab\\").matches("ab\\")); // a final lone backslash stands for itself
    EXPECT_FALSE(LikePattern("ab\\").matches("ab"));
}

TEST(Like, WithoutAPercentThePatternCoversTheWholeText) {
    EXPECT_TRUE(LikePattern("Obst").matches("Obst"));
    EXPECT_FALSE(LikePattern("Obst").matches("Obst, Brennstoff"));
    EXPECT_FALSE(LikePattern("Obst").matches("Kernobst"));
    EXPECT_FALSE(LikePattern("Obst").matches("Obs"));
    EXPECT_FALSE(LikePattern("O_st").matches("Obst "));
    EXPECT_TRUE(LikePattern("").matches(""));
    EXPECT_FALSE(LikePattern("").matches("a"));
    EXPECT_FALSE(LikePattern("a").matches(""));
}

TEST(Like, LaterPlacesAreTriedWhenTheRestFails) {
    EXPECT_TRUE(LikePattern("%ab%abc").matches("ab ab abc"));
    EXPECT_TRUE(LikePattern("%a_c%d").matches("abx abc d"));
    EXPECT_FALSE(LikePattern("%abc%abc").matches("abcab"));
    EXPECT_TRUE(LikePattern("x%y%z").matches("xyz"));
    EXPECT_FALSE(LikePattern("xy%yz").matches("xyz"));  // the pieces may not overlap
    EXPECT_FALSE(LikePattern("a%b%bc").matches("abc")); // nor reach into the last one
    EXPECT_TRUE(LikePattern("a%b%bc").matches("abbc"));
    EXPECT_FALSE(LikePattern("%b%bc").matches("bc"));
    // A piece between is sought only after the one before it, on short texts and long ones.
    EXPECT_FALSE(LikePattern("%ab%ba%").matches("abax"));
    EXPECT_FALSE(LikePattern("%ab%ba%").matches("aba" + std::string(15, 'x')));
    EXPECT_FALSE(LikePattern("%ab%ba%").matches("aba" + std::string(40, 'x')));
    EXPECT_TRUE(LikePattern("%ab%ba%").matches("abba"));
    EXPECT_TRUE(LikePattern("%ab%ba%").matches("ab" + std::string(15, 'x') + "ba"));
    EXPECT_FALSE(LikePattern("%a%b%").matches("xa")); // every piece between counts
    EXPECT_TRUE(LikePattern("%a%b%").matches("xaxb"));
    EXPECT_TRUE(LikePattern("a%%c").matches("abc")); // "%%" is one "%"
    EXPECT_TRUE(LikePattern("a%%").matches("a"));
    EXPECT_TRUE(LikePattern("%A%").matches(std::string(40, 'B') + "A"));
    EXPECT_FALSE(LikePattern("%BA%").matches(std::string(40, 'B')));
    EXPECT_TRUE(LikePattern("%" + std::string(20, 'B') + "A%")
                    .matches(std::string(40, 'B') + "A" + std::string(30, 'C')));
}

// The plain meaning of a pattern without escapes, by dynamic programming over pattern and text.
bool plainLike(std::string_view pattern, std::string_view text) {
    std::vector<std::vector<bool>> fits(pattern.size() + 1, std::vector<bool>(text.size() + 1, false));
    fits[0][0] = true;
    for (std::size_t p = 1; p <= pattern.size(); ++p) {
        for (std::size_t t = 0; t <= text.size(); ++t) {
            if (pattern[p - 1] == '%')
                fits[p][t] = fits[p - 1][t] || (t > 0 && fits[p][t - 1]);
            else
                fits[p][t] =
                    t > 0 && fits[p - 1][t - 1] && (pattern[p - 1] == '_' || pattern[p - 1] == text[t - 1]);
        }
    }
    return fits[pattern.size()][text.size()];
}

// The matcher seeks a piece with wildcards by its longest run of ordinary characters; over many
// patterns and texts, short and longer than one vector block, it agrees with the plain meaning.
TEST(Like, AgreesWithThePlainMeaning) {
    std::mt19937 random(20261210);
    auto draw = [&](std::string_view alphabet, std::size_t length) {
        std::string drawn;
        for (std::size_t i = 0; i < length; ++i)
            drawn += alphabet[random() % alphabet.size()];
        return drawn;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string pattern = draw("ab_%", 1 + random() % 8);
        const std::string text = draw("ab", random() % (round % 2 == 0 ? 8 : 40));
        ASSERT_EQ(LikePattern(pattern).matches(text), plainLike(pattern, text)) << pattern << " on " << text;
    }
}

TEST(Like, ManyWildcardsOnALongTextStayLinear) {
    const std::string text(20000, 'a');
    EXPECT_FALSE(LikePattern("%a%a%a%a%a%a%a%a%a%a%b").matches(text));
    EXPECT_FALSE(LikePattern("%_a_a_a_a_a_a_a_b%").matches(text));
    EXPECT_TRUE(LikePattern("%a%a%a%a%a%a%a%a%a%a%").matches(text));
}
