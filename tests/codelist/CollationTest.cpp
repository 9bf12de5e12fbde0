#include "Collation.h"
#include "ClientDataSet.h"
#include "CodeList.h"
#include "Cp1252.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <random>
#include <stdexcept>
#include <vector>

using namespace kodexa;

namespace {

int sign(int order) {
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

std::string text(const char* utf8) {
    return cp1252::fromUtf8(utf8);
}

class GermanCollation : public ::testing::Test {
protected:
    int compare(const char* left, const char* right) const {
        return collator->compare(text(left), text(right));
    }

    std::shared_ptr<const LocaleCollator> collator = makeLocaleCollator("de_DE");
};

} // namespace

TEST(CollationLocale, FirstSetVariableWinsAndCOrPosixMeanGerman) {
    EXPECT_EQ(collationLocaleName("fr_FR.UTF-8", "en_GB", "sv_SE"), "fr_FR");
    EXPECT_EQ(collationLocaleName("", "en_GB.ISO-8859-1", "sv_SE"), "en_GB");
    EXPECT_EQ(collationLocaleName(nullptr, nullptr, "de_AT.UTF-8@euro"), "de_AT");
    EXPECT_EQ(collationLocaleName(nullptr, nullptr, nullptr), "de_DE");
    EXPECT_EQ(collationLocaleName("C", "fr_FR", nullptr), "de_DE");
    EXPECT_EQ(collationLocaleName(nullptr, "POSIX", nullptr), "de_DE");
    EXPECT_EQ(collationLocaleName(nullptr, nullptr, "C.UTF-8"), "de_DE");
}

TEST(CollationLocale, CodeSetAndModifierAreCutOff) {
    EXPECT_EQ(collationLocaleName(nullptr, nullptr, "de_DE@euro"), "de_DE");
    EXPECT_EQ(collationLocaleName(nullptr, nullptr, "de_DE.UTF-8@euro"), "de_DE");
    EXPECT_EQ(collationLocaleName("sv_SE.ISO-8859-15@euro", nullptr, nullptr), "sv_SE");
    EXPECT_EQ(collationLocaleName(nullptr, nullptr, "C@euro"), "de_DE");
    EXPECT_EQ(collationLocaleName(nullptr, nullptr, ".UTF-8"), "de_DE"); // nothing before the code set
}

// A locale name from the environment that ICU cannot open falls back to German instead of stopping
// the program; asked for by name, the same locale still fails.
TEST(CollationLocale, AnUnusableLocaleNameMeansGerman) {
    const std::shared_ptr<const LocaleCollator> german = makeLocaleCollator("de_DE");
    const std::vector<std::string> texts = {text("Ärlig"), text("Zebra"), text("Apfel"), text("co-op"),
                                            text("Coop"),  text("03"),    text("0-3")};
    for (const char* name :
         {"Germanyyyyyyyy", "Germanyyyyyy", "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"}) {
        EXPECT_THROW(makeLocaleCollator(name), std::runtime_error) << name;
        const std::shared_ptr<const LocaleCollator> fallback = makeUserLocaleCollator(name);
        for (const std::string& t : texts)
            EXPECT_EQ(fallback->sortKey(t), german->sortKey(t)) << name;
        EXPECT_LT(fallback->compare(text("Ärlig"), text("Zebra")), 0) << name;
    }
    // A usable locale keeps its own order.
    EXPECT_GT(makeUserLocaleCollator("sv_SE")->compare(text("Ärlig"), text("Zebra")), 0);
}

TEST(CollationLocale, TheUsersCollatorIsMadeOnceAndShared) {
    EXPECT_EQ(userLocaleCollator(), userLocaleCollator());
}

TEST_F(GermanCollation, BlanksAndPunctuationBeforeDigitsBeforeLetters) {
    EXPECT_LT(compare(" ", "0"), 0);
    for (const char* punctuation : {",", ";", ".", "(", "/", "&", "\"", "%", "*", "_", "="})
        EXPECT_LT(compare(punctuation, "0"), 0) << punctuation;
    EXPECT_LT(compare("9", "a"), 0);
    EXPECT_LT(compare(" 03", "03000000"), 0);
    EXPECT_LT(compare("03 ", "03000000"), 0); // the blank sorts before the digit "0"
    EXPECT_LT(compare("03 9999999", "03000000"), 0);
    EXPECT_LT(compare("03000000", "abc"), 0);
}

TEST_F(GermanCollation, HyphenAndApostropheWeighNothing) {
    // Where "03" sits among the codes, "0-3" and "03-" sit too.
    EXPECT_LT(compare("0-3", "03000000"), 0);
    EXPECT_LT(compare("03-", "03000000"), 0);
    EXPECT_LT(compare("03999999", "0-39999999"), 0);
    EXPECT_LT(compare("03999999", "03-9999999"), 0);
    EXPECT_GT(compare("04000000", "0-39999999"), 0);
    EXPECT_LT(compare("co-op", "coopa"), 0);
    EXPECT_LT(compare("d'or", "dos"), 0);
    // Not even case, accents or length bring them back: they are not there at all.
    EXPECT_EQ(compare("03-", "03"), 0);
    EXPECT_EQ(compare("0-3", "03"), 0);
    EXPECT_EQ(compare("0'3", "03"), 0);
    EXPECT_EQ(compare("co-op", "coop"), 0);
    EXPECT_EQ(compare("-'-", ""), 0);
    for (const char* code :
         {"0300000-0", "03-000000", "03000000-", "-03000000", "0'3000000", "0-3-0-0-0-0-0-0"})
        EXPECT_EQ(compare(code, "03000000"), 0) << code;
    EXPECT_LT(compare("co-op", "Coop"), 0); // case still decides between letters
    EXPECT_LT(compare("d'or", "D'or"), 0);
    EXPECT_EQ(collator->sortKey(text("0-3")), collator->sortKey(text("03")));
    EXPECT_EQ(collator->sortKey(text("'-")), collator->sortKey(""));
    // ICU's own keys agree: the characters are ignorable there, not only in the table.
    EXPECT_EQ(collator->icuSortKey(text("0300000-0")), collator->icuSortKey(text("03000000")));
    EXPECT_EQ(collator->icuSortKey(text("d'-or")), collator->icuSortKey(text("dor")));
    EXPECT_EQ(collator->icuCompare(text("-03000000"), text("03000000")), 0);
    // Other punctuation keeps its weight, before the digits.
    for (const char* other : {"03 ", "03.", "03/", "03_", "03\"", "03,"}) {
        EXPECT_GT(compare(other, "03"), 0) << other;
        EXPECT_LT(compare(other, "030"), 0) << other;
    }
}

TEST_F(GermanCollation, CaseAndUmlautsDecideOnlyBetweenOtherwiseEqualTexts) {
    EXPECT_LT(compare("a", "A"), 0);
    EXPECT_LT(compare("A", "b"), 0);
    EXPECT_LT(compare("biometrische Sensoren", "Zahnbürsten"), 0);
    EXPECT_GT(compare("biometrische Sensoren", "Bier"), 0);
    EXPECT_LT(compare("Apfel", "Äpfel"), 0);
    EXPECT_LT(compare("Äpfel", "Apfelsinen"), 0);
    EXPECT_LT(compare("Öl", "Ost"), 0);
    EXPECT_LT(compare("Über", "Uhr"), 0);
    EXPECT_NE(compare("Straße", "Strasse"), 0);
    EXPECT_EQ(compare("Glocken", "Glocken"), 0);
}

TEST_F(GermanCollation, DigitTextsOrderLikeBytesOthersDoNot) {
    EXPECT_TRUE(collator->ordersLikeBytes("03111000"));
    EXPECT_FALSE(collator->ordersLikeBytes("0-3"));
    EXPECT_FALSE(collator->ordersLikeBytes("a"));
}

// The keys come from a table of per-character weights, not from ICU's key writer: they must order
// exactly as ICU compares, for every text of the code page.
TEST_F(GermanCollation, TableKeysOrderExactlyAsIcuCompares) {
    ASSERT_TRUE(collator->usesCharacterWeights());
    std::vector<std::string> texts;
    for (int first = 1; first < 256; ++first) {
        texts.emplace_back(1, static_cast<char>(first));
        for (int second = 1; second < 256; second += 3)
            texts.push_back({static_cast<char>(first), static_cast<char>(second)});
        texts.push_back({'-', static_cast<char>(first)});
        texts.push_back({static_cast<char>(first), '\''});
    }
    // "l" with the middle dot is one collation element; so are the expansions of ß, æ, ½...
    for (const char* sample : {"l·", "L·", "l·l", "al·b", "l··", "ll·", "Straße", "Strasse", "Ærø", "½ Liter",
                               "…", "œuvre", "™", "Œ", "co-op", "coop", "d'or", "Dor"})
        texts.push_back(text(sample));
    // Hyphen and apostrophe weigh nothing: next to, between and around other characters, alone
    // and in runs, and the codes with them.
    for (const char* sample : {"-",
                               "'",
                               "--",
                               "'-'",
                               "-a",
                               "a-",
                               "'a",
                               "a'",
                               "-A",
                               "A'",
                               "l-·",
                               "l·-",
                               "ß-",
                               "-ß",
                               "0300000-0",
                               "03-000000",
                               "03000000-",
                               "-03000000",
                               "0'3000000",
                               "03000000",
                               "0300000",
                               "Fischerei-, Forst-",
                               "Fischerei, Forst",
                               "pH-Meter",
                               "pHMeter",
                               "PH-Meter",
                               "ph-Meter"})
        texts.push_back(text(sample));
    std::vector<std::string> keys;
    for (const std::string& t : texts)
        keys.push_back(collator->sortKey(t));

    std::mt19937 random(2007);
    std::uniform_int_distribution<std::size_t> pick(0, texts.size() - 1);
    for (int i = 0; i < 200000; ++i) {
        const std::size_t a = pick(random);
        const std::size_t b = i < 20000 ? texts.size() - 1 - static_cast<std::size_t>(i % 19) : pick(random);
        ASSERT_EQ(sign(keys[a].compare(keys[b])), collator->icuCompare(texts[a], texts[b]))
            << cp1252::toUtf8(texts[a]) << " / " << cp1252::toUtf8(texts[b]);
        ASSERT_EQ(collator->compare(texts[a], texts[b]), sign(keys[a].compare(keys[b])));
    }
}

TEST_F(GermanCollation, TableKeysSortTheListAsIcuDoes) {
    TClientDataSet table("ClientDataSet1");
    codelist::loadCarried(table);
    std::vector<std::string> descriptions;
    for (table.first(); !table.eof(); table.next())
        descriptions.push_back(table.fieldAsString("CPV_DESC"));
    std::vector<std::size_t> byKeys(descriptions.size());
    std::iota(byKeys.begin(), byKeys.end(), std::size_t{0});
    std::vector<std::size_t> byIcu = byKeys;
    std::vector<std::string> keys;
    for (const std::string& description : descriptions)
        keys.push_back(collator->sortKey(description));
    std::stable_sort(byKeys.begin(), byKeys.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::stable_sort(byIcu.begin(), byIcu.end(), [&](std::size_t a, std::size_t b) {
        return collator->icuCompare(descriptions[a], descriptions[b]) < 0;
    });
    EXPECT_EQ(byKeys, byIcu);
}

// The program carries the description order that the German collation gives, made when it was
// built; ICU's own comparison over every stored row must give the same order, so that a new ICU or
// a changed list cannot leave it behind unseen.
TEST(CarriedDescriptionOrder, IsIcusGermanOrderOfTheWholeList) {
    const std::shared_ptr<const LocaleCollator> german =
        makeUserLocaleCollator(std::string(GermanCollationLocale));
    TClientDataSet table("ClientDataSet1");
    codelist::loadCarried(table);
    const std::size_t field = table.fieldByName("CPV_DESC");
    std::vector<std::string> descriptions(table.recordCount());
    for (std::size_t position = 0; position < descriptions.size(); ++position)
        descriptions[table.rowAt(position)] = std::string(table.valueAt(position, field).value_or(""));
    std::vector<std::uint32_t> byIcu(descriptions.size());
    std::iota(byIcu.begin(), byIcu.end(), 0U);
    std::stable_sort(byIcu.begin(), byIcu.end(), [&](std::uint32_t a, std::uint32_t b) {
        return german->icuCompare(descriptions[a], descriptions[b]) < 0;
    });
    const std::span<const std::uint32_t> carried = codelist::carriedDescriptionOrder();
    ASSERT_EQ(byIcu.size(), 9454U);
    EXPECT_EQ(std::vector<std::uint32_t>(carried.begin(), carried.end()), byIcu);
}

// Hyphen and apostrophe once weighed at the case level, after everything else. Ignoring them
// altogether must not move a single row of the carried list in description order: sorted by ICU
// with the former rule and by the table's keys now, every row keeps its place, and the only
// descriptions that now compare equal are the nine that are stored twice.
TEST_F(GermanCollation, IgnoringHyphensMovesNoRowOfTheListInDescriptionOrder) {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* base = ucol_open("de_DE", &status);
    ASSERT_TRUE(U_SUCCESS(status));
    int32_t length = 0;
    const UChar* baseRules = ucol_getRules(base, &length);
    std::u16string rules(baseRules, static_cast<std::size_t>(length));
    ucol_close(base);
    rules += u"&[last tertiary ignorable]<<<'-'<<<''";
    UParseError parseError;
    std::unique_ptr<UCollator, decltype(&ucol_close)> former(
        ucol_openRules(rules.data(), static_cast<int32_t>(rules.size()), UCOL_DEFAULT, UCOL_TERTIARY,
                       &parseError, &status),
        ucol_close);
    ASSERT_TRUE(U_SUCCESS(status));
    const auto formerCompare = [&](const std::string& a, const std::string& b) {
        const std::u16string left = utf16FromCodePage(a);
        const std::u16string right = utf16FromCodePage(b);
        return ucol_strcoll(former.get(), left.data(), static_cast<int32_t>(left.size()), right.data(),
                            static_cast<int32_t>(right.size()));
    };
    // The former rule really did weigh the hyphen, so the comparison below is not of one rule with itself.
    ASSERT_EQ(formerCompare(text("co-op"), text("coop")), UCOL_GREATER);
    ASSERT_EQ(compare("co-op", "coop"), 0);

    TClientDataSet table("ClientDataSet1");
    codelist::loadCarried(table);
    std::vector<std::string> descriptions;
    for (table.first(); !table.eof(); table.next())
        descriptions.push_back(table.fieldAsString("CPV_DESC"));
    ASSERT_EQ(descriptions.size(), 9454U);
    const auto withHyphens =
        std::count_if(descriptions.begin(), descriptions.end(),
                      [](const std::string& d) { return d.find('-') != std::string::npos; });
    EXPECT_GT(withHyphens, 500); // hyphens are common in the list: the check has something to check

    std::vector<std::size_t> before(descriptions.size());
    std::iota(before.begin(), before.end(), std::size_t{0});
    std::vector<std::size_t> now = before;
    std::stable_sort(before.begin(), before.end(), [&](std::size_t a, std::size_t b) {
        return formerCompare(descriptions[a], descriptions[b]) == UCOL_LESS;
    });
    std::vector<std::string> keys;
    for (const std::string& description : descriptions)
        keys.push_back(collator->sortKey(description));
    std::stable_sort(now.begin(), now.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::size_t moved = 0;
    for (std::size_t i = 0; i < now.size(); ++i)
        moved += now[i] != before[i] ? 1 : 0;
    EXPECT_EQ(moved, 0U);

    int equalNeighbours = 0;
    for (std::size_t i = 0; i + 1 < now.size(); ++i) {
        if (keys[now[i]] != keys[now[i + 1]])
            continue;
        ++equalNeighbours;
        EXPECT_EQ(descriptions[now[i]], descriptions[now[i + 1]]);
    }
    EXPECT_EQ(equalNeighbours, 9);
}

// A collation the table cannot express (French accents compare from the end) leaves every key to
// ICU, with compare() and sortKey() still in agreement.
TEST(OtherCollation, IcuKeysWhereTheTableCannotServe) {
    const std::shared_ptr<const LocaleCollator> french = makeLocaleCollator("fr_CA");
    EXPECT_FALSE(french->usesCharacterWeights());
    const std::vector<std::string> texts = {text("cote"), text("coté"),  text("côte"),
                                            text("côté"), text("co-te"), text("Cote"),
                                            text("0-3"),  text("03"),    text(" 03")};
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            EXPECT_EQ(french->compare(a, b), sign(french->sortKey(a).compare(french->sortKey(b))));
            EXPECT_EQ(french->compare(a, b), french->icuCompare(a, b));
        }
    }
    EXPECT_GT(french->compare(text("coté"), text("côte")), 0); // accents compared from the end
    EXPECT_EQ(french->compare(text("0-3"), text("03")), 0);
    EXPECT_EQ(french->compare(text("c'ote"), text("cote")), 0);
}

TEST(OtherCollation, SwedishKeepsItsOwnLetterOrder) {
    const std::shared_ptr<const LocaleCollator> swedish = makeLocaleCollator("sv_SE");
    EXPECT_GT(swedish->compare(text("Ärlig"), text("Zebra")), 0); // Ä is a letter after Z in Swedish
    EXPECT_EQ(sign(swedish->sortKey(text("Ärlig")).compare(swedish->sortKey(text("Zebra")))), 1);
    EXPECT_EQ(swedish->compare(text("03-"), text("03")), 0); // hyphens weigh nothing in every locale
    EXPECT_LT(swedish->compare(text("03-"), text("030")), 0);
}
