// Codes pasted into the Merkliste from the texts buyers copy: what is taken, what is refused and
// how the outcome reads.
#include "Paste.h"
#include "ClientDataSet.h"
#include "CodeList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kodexa;
using namespace kodexa::merkliste;

namespace {

const CodeTerms& listTerms() {
    static const CodeTerms terms = [] {
        TClientDataSet table("ClientDataSet1");
        codelist::loadCarried(table);
        CodeTerms all;
        for (std::size_t row = 0; row < table.recordCount(); ++row)
            all.add(std::string(table.valueAt(row, 0).value_or("")),
                    std::string(table.valueAt(row, 1).value_or("")));
        return all;
    }();
    return terms;
}

struct PasteCase {
    const char* what;
    std::string clipboard;
    std::vector<std::string> codes;
    std::string summary;
};

TEST(Paste, RealisticClipboardTextsGiveTheirCodesInOrderAndTellTheRest) {
    const PasteCase cases[] = {
        {"a notice's CPV section",
         "II.1.2) CPV-Code Hauptteil\n45000000-7 Bauarbeiten\nII.2.2) Weitere CPV-Codes\n"
         "45233140-2 Straßenarbeiten\r\n45233141-9 Straßeninstandhaltungsarbeiten\n",
         {"45000000", "45233140", "45233141"},
         "3 Codes hinzugefügt; 2 Zeilen ohne Code"},
        {"a portal's field",
         "CPV: 90911200-8, 90910000-9; 79530000",
         {"90911200", "90910000", "79530000"},
         "3 Codes hinzugefügt"},
        {"a spreadsheet column that lost its leading zeros",
         "Code\tBezeichnung\n3111000\tSaatgut\n72000000\tIT\n",
         {"03111000", "72000000"},
         "2 Codes hinzugefügt; 1 Zeile ohne Code"},
        {"a tender text with codes in sentences",
         "Gegenstand sind Straßenarbeiten (CPV 45233140-9) und Planung (71000000\u20138), "
         "Az. 2026-0815, Angebote bis 12.01.2027 an Tel. 089 12345678.",
         {"71000000"},
         "1 Code hinzugefügt; nicht übernommen: 45233140-9 (Prüfziffer), 12345678 (unbekannt)"},
        {"the same code twice and a code of another edition",
         "45000000-7 45000000 45000000-7 99999999-1",
         {"45000000"},
         "1 Code hinzugefügt; nicht übernommen: 99999999-1 (unbekannt)"},
        {"garbage",
         std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xFE", 18),
         {},
         "Kein Code gefunden; die Merkliste bleibt, wie sie war."},
        {"nothing", "", {}, "Kein Code gefunden; die Merkliste bleibt, wie sie war."},
    };
    for (const PasteCase& c : cases) {
        Merkliste list;
        const PasteOutcome outcome = pasteCodes(list, c.clipboard, listTerms());
        std::vector<std::string> codes;
        for (const Entry& entry : list.entries())
            codes.push_back(entry.code);
        EXPECT_EQ(codes, c.codes) << c.what;
        EXPECT_EQ(pasteSummary(outcome), c.summary) << c.what;
    }
}

TEST(Paste, CodesAlreadyThereStayWhereTheyAreAndManyRefusalsAreCounted) {
    Merkliste list;
    list.add("72000000", "IT-Dienste");
    std::string text = "72000000-5\n45000000-7\n";
    for (int i = 0; i < 8; ++i)
        text += "9999999" + std::to_string(i) + '\n';
    const PasteOutcome outcome = pasteCodes(list, text, listTerms());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.entries()[0].code, "72000000");
    EXPECT_EQ(list.roleOf(0), Role::Main);
    EXPECT_EQ(pasteSummary(outcome), "1 Code hinzugefügt; 1 schon auf der Merkliste; nicht übernommen: "
                                     "99999990 (unbekannt), 99999991 (unbekannt), 99999992 (unbekannt), "
                                     "99999993 (unbekannt), 99999994 (unbekannt) und 3 weitere");
}

TEST(Paste, AWholeListRoundTripsAndATooLargeTextIsRefusedWhole) {
    Merkliste every;
    std::string text;
    // Every code of the list, as "Liste kopieren" hands them on: 9,454 lines.
    TClientDataSet table("ClientDataSet1");
    codelist::loadCarried(table);
    for (std::size_t row = 0; row < table.recordCount(); ++row)
        every.add(std::string(table.valueAt(row, 0).value_or("")),
                  std::string(table.valueAt(row, 1).value_or("")));
    Merkliste pasted;
    EXPECT_EQ(pasteSummary(pasteCodes(pasted, every.copyText(), listTerms())), "9.454 Codes hinzugefügt");
    EXPECT_TRUE(pasted.sameCodesAs(every));

    Merkliste list;
    list.add("72000000", "IT-Dienste");
    const std::string huge(MaxPastedBytes + 1, '4');
    const PasteOutcome outcome = pasteCodes(list, huge, listTerms());
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(pasteSummary(outcome),
              "Der Text ist zu groß zum Einfügen (mehr als 4 MB); die Merkliste bleibt, wie sie war.");
}

} // namespace
