// The Merkliste's model: adding once, roles, kinds of contract, copying, and its file and export
// formats read and written.
#include "Merkliste.h"

#include <gtest/gtest.h>

#include <utility>

using namespace kodexa::merkliste;

namespace {

// Three codes of three kinds, with a term that needs quoting in the export and one with ä (Windows-1252).
constexpr std::pair<const char*, const char*> ThreeCodes[] = {{"90919200", "Reinigung von B\xFCros"},
                                                              {"45000000", "Bauarbeiten"},
                                                              {"30213100", "Tragbare Computer; \"Laptops\""}};

Merkliste threeKinds() {
    Merkliste list;
    for (const auto& [code, term] : ThreeCodes)
        list.add(code, term);
    return list;
}

CodeTerms knownTerms() {
    CodeTerms terms;
    for (const auto& [code, term] : ThreeCodes)
        terms.add(code, term);
    return terms;
}

} // namespace

TEST(Merkliste, KindOfContractFollowsTheDivision) {
    const std::pair<const char*, ContractKind> cases[] = {
        {"03000000", ContractKind::Supplies}, {"44000000", ContractKind::Supplies},
        {"48000000", ContractKind::Supplies}, {"45000000", ContractKind::Works},
        {"50000000", ContractKind::Services}, {"98000000", ContractKind::Services},
        {"49000000", ContractKind::None},     {"02000000", ContractKind::None},
        {"99000000", ContractKind::None},     {"4", ContractKind::None},
        {"x5000000", ContractKind::None},
    };
    for (const auto& [code, kind] : cases)
        EXPECT_EQ(kindOf(code), kind) << code;
    EXPECT_EQ(kindName(ContractKind::Supplies), "Lieferung");
    EXPECT_EQ(kindName(ContractKind::Works), "Bauleistung");
    EXPECT_EQ(kindName(ContractKind::Services), "Dienstleistung");
}

TEST(Merkliste, ACodeIsAddedOnceAndTheFirstIsTheMainCode) {
    Merkliste list = threeKinds();
    EXPECT_EQ(list.add("45000000", "Bauarbeiten"), Merkliste::Added::AlreadyThere);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.roleOf(0), Role::Main);
    EXPECT_EQ(list.roleOf(1), Role::Additional);
    EXPECT_EQ(roleName(Role::Main), "Hauptgegenstand");
    EXPECT_EQ(roleName(Role::Additional), "Zusatz");

    list.makeMain(2);
    EXPECT_EQ(list.mainIndex(), 2u);
    EXPECT_EQ(list.roleOf(0), Role::Additional);
    // The main code keeps its role when it moves; moving past either end does nothing.
    EXPECT_EQ(list.move(2, -1), 1u);
    EXPECT_EQ(list.mainIndex(), 1u);
    EXPECT_EQ(list.move(0, -1), 0u);
    EXPECT_EQ(list.move(2, +1), 2u);
    // Without its main code the list's first code becomes the main one.
    list.remove(1);
    EXPECT_EQ(list.mainIndex(), 0u);
    list.remove(0);
    list.remove(0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.mainIndex(), std::nullopt);
    EXPECT_THROW(list.remove(0), std::out_of_range);
    // A removed code may come back.
    EXPECT_EQ(list.add("45000000", "Bauarbeiten"), Merkliste::Added::Added);
}

TEST(Merkliste, MixedKindsAreToldAndTheMainCodeIsCopiedFirst) {
    Merkliste list;
    list.add("90919200", "Reinigung von B\xFCros");
    list.add("90911300", "Fensterreinigung");
    EXPECT_FALSE(list.mixesKinds());
    list.add("45000000", "Bauarbeiten");
    EXPECT_TRUE(list.mixesKinds());
    list.makeMain(1);
    EXPECT_EQ(list.copyText(),
              "90911300-9 Fensterreinigung\n90919200-4 Reinigung von B\xFCros\n45000000-7 Bauarbeiten\n");
}

TEST(Merkliste, TheFileIsReadBackAsItWasWritten) {
    Merkliste list = threeKinds();
    list.makeMain(1);
    const std::string text = list.fileText();
    EXPECT_EQ(text, "Code\tBezeichnung\tRolle\n"
                    "90919200\tReinigung von B\xC3\xBC"
                    "ros\tZusatz\n"
                    "45000000\tBauarbeiten\tHauptgegenstand\n"
                    "30213100\tTragbare Computer; \"Laptops\"\tZusatz\n");
    const ReadList read = readFileText(text, knownTerms());
    EXPECT_FALSE(read.damaged);
    ASSERT_EQ(read.list.size(), 3u);
    EXPECT_EQ(read.list.fileText(), text);
    EXPECT_EQ(read.list.entries()[0].term, "Reinigung von B\xFCros");
    // An empty file is an empty list, as is one with the header alone, with CR LF line ends too.
    for (const char* empty : {"", "Code\tBezeichnung\tRolle\n", "Code\tBezeichnung\tRolle\r\n"}) {
        const ReadList none = readFileText(empty, knownTerms());
        EXPECT_FALSE(none.damaged) << empty;
        EXPECT_TRUE(none.list.empty());
    }
}

// A damaged file gives the lines that can be read and says so.
TEST(Merkliste, ADamagedFileGivesTheLinesThatCanBeRead) {
    const struct {
        const char* what;
        const char* text;
        std::size_t kept;
    } cases[] = {
        {"unknown code", "Code\tBezeichnung\tRolle\n99999999\tx\tZusatz\n45000000\tBauarbeiten\tZusatz\n", 1},
        {"no role", "Code\tBezeichnung\tRolle\n45000000\tBauarbeiten\n", 0},
        {"unknown role", "Code\tBezeichnung\tRolle\n45000000\tBauarbeiten\tChef\n", 0},
        {"twice the same code",
         "Code\tBezeichnung\tRolle\n45000000\tBauarbeiten\tZusatz\n45000000\tBauarbeiten\tZusatz\n", 1},
        {"no header", "45000000\tBauarbeiten\tHauptgegenstand\n", 1}, // told as such, see below
        {"nonsense", "\x89PNG\r\n\x1a\n", 0},
        {"short code", "Code\tBezeichnung\tRolle\n4500000\tBauarbeiten\tZusatz\n", 0},
    };
    for (const auto& c : cases) {
        const ReadList read = readFileText(c.text, knownTerms());
        EXPECT_TRUE(read.damaged) << c.what;
        EXPECT_EQ(read.list.size(), c.kept) << c.what;
    }
    EXPECT_TRUE(readFileText("45000000\tBauarbeiten\tZusatz\n", knownTerms()).headerMissing);
    EXPECT_FALSE(readFileText("Code\tBezeichnung\tRolle\n4\n", knownTerms()).headerMissing);
    // A file without a main code takes its first code as the main one.
    const ReadList noMain = readFileText(
        "Code\tBezeichnung\tRolle\n45000000\tBauarbeiten\tZusatz\n90919200\tx\tZusatz\n", knownTerms());
    EXPECT_FALSE(noMain.damaged);
    EXPECT_EQ(noMain.list.mainIndex(), 0u);
    // Blank lines, as editors add at the end, are no damage.
    for (const char* text : {"Code\tBezeichnung\tRolle\n45000000\tBauarbeiten\tZusatz\n\n",
                             "Code\tBezeichnung\tRolle\r\n\r\n45000000\tBauarbeiten\tZusatz\r\n \t\n"}) {
        const ReadList blank = readFileText(text, knownTerms());
        EXPECT_FALSE(blank.damaged) << text;
        EXPECT_EQ(blank.list.size(), 1u) << text;
    }
}

// Two programs' changes to one list, each written as "codes in order, * before the main code".
TEST(Merkliste, TwoProgramsChangesAreJoined) {
    auto listOf = [](std::string_view codes) {
        Merkliste list;
        std::string main;
        for (std::size_t at = 0; at < codes.size();) {
            std::size_t end = std::min(codes.find(' ', at), codes.size());
            std::string code(codes.substr(at, end - at));
            if (code.starts_with('*'))
                main = code = code.substr(1);
            list.add(code, "t");
            at = end + 1;
        }
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list.entries()[i].code == main)
                list.makeMain(i);
        return list;
    };
    auto shown = [](const Merkliste& list) {
        std::string text;
        for (std::size_t i = 0; i < list.size(); ++i)
            text += (i ? " " : "") + std::string(list.roleOf(i) == Role::Main ? "*" : "") +
                    list.entries()[i].code;
        return text;
    };
    const struct {
        const char* what;
        const char* base;
        const char* ours;
        const char* theirs;
        const char* joined;
    } cases[] = {
        {"both add", "*A B", "*A B C", "*A B D", "*A B D C"},
        {"both add to an empty list", "", "*C", "*D", "*D C"},
        {"we remove, they add", "*A B", "*A", "*A B D", "*A D"},
        {"they remove what we keep", "*A B C", "*A B C E", "*A C", "*A C E"},
        {"both remove the same", "*A B", "*A", "*A", "*A"},
        {"we reorder, they add", "*A B C", "*C A B", "*A B C D", "*C A B D"},
        {"they reorder, we add", "*A B C", "*A B C E", "*B C A", "*B C A E"},
        {"we choose the main code", "*A B", "A *B", "*A B D", "A *B D"},
        {"they choose it", "*A B", "*A B C", "A *B", "A *B C"},
        {"they remove the main code", "*A B", "*A B C", "*B", "*B C"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shown(mergeChanges(listOf(c.base), listOf(c.ours), listOf(c.theirs))), c.joined) << c.what;
}

TEST(Merkliste, TheExportIsACsvForGermanSpreadsheets) {
    Merkliste list = threeKinds();
    EXPECT_EQ(list.csvText(), "\xEF\xBB\xBF"
                              "Code;Bezeichnung;Art;Rolle\r\n"
                              "90919200-4;Reinigung von B\xC3\xBC"
                              "ros;Dienstleistung;Hauptgegenstand\r\n"
                              "45000000-7;Bauarbeiten;Bauleistung;Zusatz\r\n"
                              "30213100-6;\"Tragbare Computer; \"\"Laptops\"\"\";Lieferung;Zusatz\r\n");
}
