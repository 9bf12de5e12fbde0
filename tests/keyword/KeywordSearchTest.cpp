#include "Evaluation.h"
#include "Folding.h"
#include "KeywordIndex.h"
#include "Vocabulary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

using namespace kodexa::keyword;

namespace {

std::vector<std::string> keysOf(std::string_view utf8) {
    std::vector<std::string> keys;
    for (const FoldedWord& word : foldUtf8(utf8))
        keys.push_back(word.key);
    return keys;
}

TEST(KeywordFolding, SpellingsOfOneWordShareItsKey) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"Büro buero BURO Buro", {"buro", "buro", "buro", "buro"}},
        {"Straße STRASSE", {"strasse", "strasse"}},
        {"Stühle stuehle", {"stuhle", "stuhle"}},
        {"Café Crème Ångström Łódź", {"cafe", "creme", "angstrom", "lodz"}},
        {"E-Mail O'Brien Kinder’garten", {"email", "obrien", "kindergarten"}},
        {"Fischerei-, Forst- und", {"fischerei", "forst", "und"}},
        {"  (PC)/Server:2007  ", {"pc", "server", "2007"}},
        {"", {}},
        {"\xFF\xC3 ab\xE2\x82", {"ab"}}, // malformed bytes end words
    };
    for (const auto& [text, keys] : cases)
        EXPECT_EQ(keysOf(text), keys) << text;
    // The list's own text is Windows-1252: ä, ß.
    std::vector<FoldedWord> words = foldCp1252("Computer-B\xE4nke Stra\xDF"
                                               "e");
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].key, "computerbanke");
    EXPECT_EQ(words[0].parts, (std::vector<std::string>{"computer", "banke"}));
    EXPECT_EQ(words[1].key, "strasse");
}

// The typo test stands in for the edit distance: it must agree with the plain computation.
int editDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<int>> d(a.size() + 1, std::vector<int>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = static_cast<int>(i);
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

TEST(KeywordFolding, OneEditAgreesWithThePlainEditDistance) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> length(0, 6), letter(0, 2);
    for (int round = 0; round < 20000; ++round) {
        std::string a, b;
        for (int i = length(random); i > 0; --i)
            a += static_cast<char>('a' + letter(random));
        for (int i = length(random); i > 0; --i)
            b += static_cast<char>('a' + letter(random));
        ASSERT_EQ(withinOneEdit(a, b), editDistance(a, b) <= 1) << a << " / " << b;
    }
}

TEST(KeywordVocabulary, ReadsItsLinesAndRefusesBrokenOnes) {
    Vocabulary vocabulary =
        Vocabulary::parse("# comment\n\nLaptop\ttragbare Computer; Notebook\r\n"
                          "facility management\tgebäudemanagement\nlaptops\tklapprechner\n");
    ASSERT_EQ(vocabulary.entries().size(), 3u);
    const VocabularyEntry* laptop = vocabulary.find("laptop");
    ASSERT_NE(laptop, nullptr);
    EXPECT_EQ(laptop->alternatives,
              (std::vector<std::vector<std::string>>{{"tragbare", "computer"}, {"notebook"}}));
    ASSERT_NE(vocabulary.find("facility management"), nullptr);
    EXPECT_EQ(vocabulary.find("facility management")->alternatives.front().front(), "gebaudemanagement");
    // Phrases that fold alike are one entry.
    Vocabulary merged = Vocabulary::parse("büro\tbüromaterial\nbuero\tschreibwaren\n");
    ASSERT_EQ(merged.entries().size(), 1u);
    EXPECT_EQ(merged.entries().front().alternatives.size(), 2u);
    for (std::string_view broken : {"no tab here\n", "x\t;;\n", "\tword\n", " - \tword\n"}) {
        try {
            Vocabulary::parse("# first\n" + std::string(broken));
            ADD_FAILURE() << broken;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find("line 2"), std::string::npos) << error.what();
        }
    }
}

// A small list of the kinds of term that ranking must tell apart.
class KeywordRanking : public ::testing::Test {
protected:
    static std::vector<CodeTerms> codes() {
        return {
            {"90919000", "B\xFCro-, Schul- und B\xFCroausstattungsreinigung",
             "Office, school and office equipment cleaning services"},
            {"90919200", "B\xFCroreinigung", "Office cleaning services"},
            {"90919300", "Reinigung von Schulen", "School cleaning services"},
            {"90910000", "Reinigungsdienste", "Cleaning services"},
            {"90470000", "Reinigung von Abw\xE4sserk\xE4n\xE4len", "Sewer cleaning services"},
            {"77211400", "F\xE4llen von B\xE4umen", "Tree-cutting services"},
            {"30213100", "Tragbare Computer", "Portable computers"},
            {"30213000", "Personalcomputer", "Personal computers"},
            {"39112000", "St\xFChle", "Chairs"},
            {"34430000", "Fahrr\xE4\x64\x65r", "Bicycles"},
            {"18444112", "Fahrradhelme", "Bicycle helmets"},
            {"35111300", "Feuerl\xF6scher", "Fire extinguishers"},
            {"55520000", "Verpflegungsdienste", "Catering services"},
            {"45000000", "Bauarbeiten", "Construction work"},
            {"45233120", "Stra\xDF\x65nbauarbeiten", "Road construction works"},
        };
    }
    static const KeywordIndex& index() {
        static const KeywordIndex built(codes(), Vocabulary::parse("laptop\ttragbare computer\n"
                                                                   "b\xC3\xBCrostuhl\tst\xC3\xBChle\n"));
        return built;
    }
    static std::string first(std::string_view query) {
        auto hits = index().search(query, 5);
        return hits.empty() ? std::string("none") : hits.front().code;
    }
};

TEST_F(KeywordRanking, EachWayOfTypingFindsItsCodeFirst) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Büroreinigung", "90919200"},     // as the list writes it
        {"reinigung büro", "90919200"},    // words of a compound, in another order
        {"büroreinigungen", "90919200"},   // inflected
        {"bueroreinigung", "90919200"},    // ue for ü
        {"buroreinigung", "90919200"},     // the dots dropped
        {"büroreinigng", "90919200"},      // one letter missing
        {"kanalreinigung", "90470000"},    // a compound of words inside other words
        {"baumfällung", "77211400"},       // a derived form across two words
        {"schulen reinigung", "90919300"}, // all words before one of them
        {"fahrrad", "34430000"},           // the word with an ending before a longer compound
        {"dienstfahrräder", "34430000"},   // a compound the list lacks, by its head noun
        {"feuerlöscer", "35111300"},       // a typo in a longer word
        {"strassenbau", "45233120"},       // ss for ß, the start of a compound
        {"laptop", "30213100"},            // the everyday vocabulary
        {"laptops", "30213100"},           // and its inflection
        {"bürostühle", "39112000"},        // a vocabulary entry inflected
        {"catering", "55520000"},          // the English terms
        {"chairs", "39112000"},
        {"cleaning services", "90910000"}, // an English phrase, by the English terms it covers
    };
    for (const auto& [query, code] : cases)
        EXPECT_EQ(first(query), code) << query;
}

TEST_F(KeywordRanking, NonsenseFillersAndEmptyQueriesFindNothing) {
    for (std::string_view query : {"xqzt", "qwrtzpl", "", "   ", "---", "zz"})
        EXPECT_TRUE(index().search(query, 10).empty()) << query;
    // Filler words alone are searched as they stand, and find no subject.
    EXPECT_TRUE(index().search("und von", 10).empty());
}

TEST_F(KeywordRanking, CodesMeetingAllWordsComeBeforeThoseMeetingSome) {
    auto hits = index().search("reinigung schulen", 10);
    ASSERT_GE(hits.size(), 3u);
    EXPECT_EQ(hits[0].code, "90919300");
    // The broad parent meets both words too ("Schul-", "-reinigung") and follows the specific code.
    EXPECT_EQ(hits[1].code, "90919000");
    // Codes that meet one word only come after both.
    EXPECT_TRUE(hits[2].code == "90919200" || hits[2].code == "90470000") << hits[2].code;
    // The limit holds, and the count of all codes met is told beside it.
    std::size_t found = 0;
    EXPECT_EQ(index().search("reinigung", 2, &found).size(), 2u);
    EXPECT_EQ(found, index().search("reinigung", 100).size());
    EXPECT_TRUE(index().search("reinigung", 0, &found).empty());
    EXPECT_GT(found, 2u);
}

TEST_F(KeywordRanking, LongQueriesAreCutNotRefused) {
    std::string longQuery;
    for (int i = 0; i < 500; ++i)
        longQuery += "reinigung ";
    longQuery += std::string(10000, 'b');
    EXPECT_EQ(index().search(longQuery, 3).front().code.substr(0, 4), "9091");
}

// The carried list, its English terms and vocabulary, measured on the buyer queries.
std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(CarriedKeywordSearch, KeepsItsLevelOnTheBuyerQueries) {
    struct Level {
        std::string file;
        double hitAt1, hitAt10;
    };
    for (const Level& level :
         {Level{"development-queries.tsv", 0.93, 1.00}, Level{"further-queries.tsv", 0.88, 0.98},
          Level{"english-everyday-queries.tsv", 0.83, 0.96}}) {
        auto queries = parseBuyerQueries(fileText(std::string(KODEXA_TEST_DIR) + "/" + level.file));
        ASSERT_GE(queries.size(), 30u) << level.file;
        Evaluation evaluation = evaluate(KeywordIndex::carried(), queries);
        EXPECT_GE(evaluation.all.hitAt1(), level.hitAt1) << level.file;
        EXPECT_GE(evaluation.all.hitAt10(), level.hitAt10) << level.file;
    }
}

// The program carries the index made when it was built; it must be the one its sources make now.
TEST(CarriedKeywordSearch, IsTheIndexTheSourcesMake) {
    const std::string data = KODEXA_DATA_DIR;
    KeywordIndex made(
        codeTermsFromSources(fileText(data + "/cpv2007-de.tsv"), fileText(data + "/cpv2007-en.tsv")),
        Vocabulary());
    auto carried = KeywordIndex::carried().image();
    ASSERT_EQ(made.image().size(), carried.size());
    EXPECT_TRUE(std::equal(carried.begin(), carried.end(), made.image().begin()));
    // An image cut short is refused, not read past its end.
    EXPECT_THROW(KeywordIndex(carried.first(carried.size() - 1), Vocabulary()), std::runtime_error);
    EXPECT_THROW(KeywordIndex(carried.first(8), Vocabulary()), std::runtime_error);
}

TEST(CarriedKeywordSearch, EveryVocabularyEntryFindsCodesAndNonsenseNone) {
    const KeywordIndex& index = KeywordIndex::carried();
    EXPECT_EQ(index.codeCount(), 9454u);
    Vocabulary vocabulary =
        Vocabulary::parse(fileText(std::string(KODEXA_DATA_DIR) + "/keyword-vocabulary.tsv"));
    EXPECT_GE(vocabulary.entries().size(), 400u);
    for (const VocabularyEntry& entry : vocabulary.entries())
        EXPECT_FALSE(index.search(entry.buyerWords, 1).empty()) << entry.buyerWords;
    for (std::string_view nonsense : {"xqzt", "qwrtzpl", "zzxxyy", "asdfghjk", "qqq yyyv"})
        EXPECT_TRUE(index.search(nonsense, 10).empty()) << nonsense;
}

} // namespace
