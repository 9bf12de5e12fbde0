#include "ClientDataSet.h"
#include "CodeList.h"
#include "Collation.h"
#include "DatabaseError.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kodexa;

namespace {

// A stand-in filter language for the engine's own rules: "PREFIX x" keeps the codes that begin
// with x, "FIELD name" looks up a field, anything else is malformed.
class PrefixFilterCompiler : public FilterCompiler {
public:
    std::unique_ptr<RowPredicate> compile(std::string_view text, const RowAccess& fields) const override {
        if (text.starts_with("FIELD "))
            throw UnknownFieldError(std::string(text.substr(6)));
        if (!text.starts_with("PREFIX "))
            throw DatabaseError("Ungültiger Filterausdruck");
        ++compiles;
        return std::make_unique<Prefix>(std::string(text.substr(7)), *fields.fieldIndex("CPV_ID"));
    }
    mutable int compiles = 0;

private:
    struct Prefix : RowPredicate {
        Prefix(std::string prefix, std::size_t field) : prefix(std::move(prefix)), field(field) {}
        bool matches(const RowAccess& rows, std::size_t row) const override {
            return rows.value(row, field)->starts_with(prefix);
        }
        std::string prefix;
        std::size_t field;
    };
};

struct CountingObserver : DataSetObserver {
    void dataSetChanged(const TClientDataSet&) override { ++dataChanges; }
    void recordChanged(const TClientDataSet&) override { ++recordChanges; }
    int dataChanges = 0;
    int recordChanges = 0;
};

class ClientDataSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        table.setFilterCompiler(compiler);
        codelist::loadCarried(table);
    }
    std::vector<std::string> codes() {
        std::vector<std::string> result;
        for (table.first(); !table.eof(); table.next())
            result.push_back(table.fieldAsString("CPV_ID"));
        return result;
    }

    std::shared_ptr<PrefixFilterCompiler> compiler = std::make_shared<PrefixFilterCompiler>();
    TClientDataSet table{"ClientDataSet1"};
};

} // namespace

TEST_F(ClientDataSetTest, OpensTheWholeListInCodeOrder) {
    EXPECT_TRUE(table.active());
    EXPECT_EQ(table.recordCount(), 9454U);
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "03000000");
    const std::vector<std::string> all = codes();
    ASSERT_EQ(all.size(), 9454U);
    EXPECT_EQ(all.back(), "98910000");
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
}

TEST_F(ClientDataSetTest, ValuesComeBackAtTheirStoredLength) {
    table.setFilter("PREFIX 66519000");
    table.setFiltered(true);
    EXPECT_EQ(table.fieldAsString("CPV_ID").size(), 8U);
    EXPECT_EQ(table.fieldAsString("CPV_DESC").size(), 161U);
    table.setFilter("PREFIX 33131173");
    EXPECT_EQ(table.fieldAsString("CPV_DESC"), "Zahnmedizinische Aufwachs- &amp; Modellierinstrumente");
    table.setFilter("PREFIX 76431200");
    EXPECT_NE(table.fieldAsString("CPV_DESC").find('"'), std::string::npos);
}

TEST_F(ClientDataSetTest, CursorRulesOfFirstNextAndEnd) {
    EXPECT_TRUE(table.bof());
    EXPECT_FALSE(table.eof());
    table.last();
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "98910000");
    table.first();
    table.next();
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "03100000");
    EXPECT_FALSE(table.bof());
    table.setFilter("PREFIX 98910000");
    table.setFiltered(true);
    EXPECT_EQ(table.recordCount(), 1U);
    EXPECT_FALSE(table.eof());
    table.next();
    EXPECT_TRUE(table.eof());
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "98910000"); // stays on the last row
}

// prior() from the first row stays there and sets BOF; next() from the last stays and sets EOF;
// a move inside the view clears both.
TEST_F(ClientDataSetTest, CursorRulesOfPriorAndLast) {
    table.next();
    table.next();
    table.prior();
    EXPECT_EQ(table.recNo(), 1U);
    EXPECT_FALSE(table.bof());
    EXPECT_FALSE(table.eof());
    table.prior();
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "03000000");
    EXPECT_FALSE(table.bof()); // arrived on the first row by a move, not yet past it
    table.prior();
    EXPECT_TRUE(table.bof());
    EXPECT_FALSE(table.eof());
    EXPECT_EQ(table.recNo(), 0U);
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "03000000");
    table.last();
    EXPECT_TRUE(table.eof());
    EXPECT_FALSE(table.bof());
    EXPECT_EQ(table.recNo(), 9453U);
    table.prior();
    EXPECT_FALSE(table.eof());
    EXPECT_EQ(table.recNo(), 9452U);
    table.next();
    EXPECT_FALSE(table.eof());
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "98910000");
    table.next();
    EXPECT_TRUE(table.eof());
    EXPECT_FALSE(table.bof());
    EXPECT_EQ(table.recNo(), 9453U);

    // One row: it is first and last at once.
    table.setFilter("PREFIX 98910000");
    table.setFiltered(true);
    EXPECT_TRUE(table.bof());
    EXPECT_FALSE(table.eof());
    table.prior();
    EXPECT_TRUE(table.bof());
    EXPECT_FALSE(table.eof());
    table.last();
    EXPECT_TRUE(table.eof());
    EXPECT_FALSE(table.bof());
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "98910000");

    // No row: both ends at once, whatever the move.
    table.setFilter("PREFIX x");
    for (void (TClientDataSet::*move)() :
         {&TClientDataSet::first, &TClientDataSet::next, &TClientDataSet::prior, &TClientDataSet::last}) {
        (table.*move)();
        EXPECT_TRUE(table.bof());
        EXPECT_TRUE(table.eof());
        EXPECT_EQ(table.recNo(), std::nullopt);
    }
}

// A click moves the cursor to a row of the view; a position past its end (a grid that has not yet
// heard of a smaller view) leaves the cursor where it is.
TEST_F(ClientDataSetTest, RecNoMovesOnlyWithinTheView) {
    table.setRecNo(5);
    EXPECT_EQ(table.recNo(), 5U);
    EXPECT_FALSE(table.bof());
    EXPECT_FALSE(table.eof());
    table.setRecNo(9454);
    EXPECT_EQ(table.recNo(), 5U);
    table.setRecNo(9453);
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "98910000");
    EXPECT_FALSE(table.eof());
    table.setFilter("PREFIX 03");
    table.setFiltered(true);
    const std::size_t count = table.recordCount();
    table.setRecNo(count);
    EXPECT_EQ(table.recNo(), 0U);
    table.setRecNo(count - 1);
    EXPECT_EQ(table.recNo(), count - 1);
    EXPECT_TRUE(table.fieldAsString("CPV_ID").starts_with("03"));
}

TEST_F(ClientDataSetTest, AFilterNoRowPassesGivesAnEmptyView) {
    table.setFilter("PREFIX x");
    table.setFiltered(true);
    EXPECT_EQ(table.recordCount(), 0U);
    EXPECT_TRUE(table.eof());
    EXPECT_TRUE(table.bof());
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "");
    EXPECT_EQ(table.fieldValue("CPV_ID"), std::nullopt);
    EXPECT_FALSE(table.getBookmark().valid());
    EXPECT_EQ(table.recNo(), std::nullopt);
}

TEST_F(ClientDataSetTest, FilterTextIsOnlyStoredWhileFilteringIsOff) {
    table.next();
    table.setFilter("not an expression at all");
    EXPECT_EQ(compiler->compiles, 0);
    EXPECT_EQ(table.recordCount(), 9454U);
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "03000000"); // any write goes to the first row
    EXPECT_EQ(table.filter(), "not an expression at all");
}

TEST_F(ClientDataSetTest, FilteringAppliesAtOnceAndEveryWriteGoesToTheFirstRow) {
    table.setFilter("PREFIX 03");
    table.setFiltered(true);
    const std::size_t count = table.recordCount();
    EXPECT_GT(count, 1U);
    EXPECT_EQ(codes().size(), count);
    table.next();
    table.setFiltered(true); // the same value again
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "03000000");
    table.setFilter("PREFIX 09");
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "09000000");
    table.setFiltered(false);
    EXPECT_EQ(table.recordCount(), 9454U);
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "03000000");
    table.setFilter("");
    table.setFiltered(true);
    EXPECT_EQ(table.recordCount(), 9454U); // an empty text filters nothing
}

TEST_F(ClientDataSetTest, ARejectedFilterLeavesFilteringOffAndKeepsTheText) {
    table.setFilter("PREFIX 03");
    table.setFiltered(true);
    table.setFiltered(false);
    table.setFilter("malformed");
    EXPECT_THROW(table.setFiltered(true), DatabaseError);
    EXPECT_FALSE(table.filtered());
    EXPECT_EQ(table.filter(), "malformed");
    EXPECT_EQ(table.recordCount(), 9454U);
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "03000000");
}

TEST_F(ClientDataSetTest, UnknownFieldsAreReportedWithTheTablesName) {
    table.setFilter("FIELD Y");
    try {
        table.setFiltered(true);
        FAIL();
    } catch (const DatabaseError& error) {
        EXPECT_STREQ(error.what(), "ClientDataSet1: Das Feld 'Y' wurde nicht gefunden");
    }
    EXPECT_THROW(table.fieldAsString("CPV_CODE"), DatabaseError);
    EXPECT_THROW(table.setIndexFieldNames("NOPE"), DatabaseError);
    EXPECT_EQ(table.indexFieldNames(), "CPV_ID");
}

TEST_F(ClientDataSetTest, CloseKeepsEveryRowAndReopenStartsAtTheFirst) {
    table.setFilter("PREFIX 03");
    table.setFiltered(true);
    table.next();
    table.close();
    EXPECT_FALSE(table.active());
    EXPECT_EQ(table.recordCount(), 0U);
    EXPECT_EQ(table.savedPacket().size(), 361040U);
    EXPECT_EQ(table.filter(), "PREFIX 03"); // settings stay while closed
    table.setFiltered(false);
    table.open();
    EXPECT_EQ(table.recordCount(), 9454U);
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "03000000");
    EXPECT_EQ(codes().back(), "98910000");
}

TEST_F(ClientDataSetTest, ReopenAppliesTheStoredFilter) {
    table.close();
    table.setFilter("PREFIX 45");
    table.setFiltered(true);
    table.open();
    EXPECT_TRUE(table.filtered());
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "45000000");
}

TEST_F(ClientDataSetTest, OpeningAnOpenTableLeavesTheCursor) {
    table.next();
    table.next();
    table.open();
    table.setActive(true);
    EXPECT_EQ(table.recNo(), 2U);
}

TEST(ClientDataSet, OpeningWithoutAPacketFails) {
    TClientDataSet table("QueryCPVTree");
    try {
        table.open();
        FAIL();
    } catch (const DatabaseError& error) {
        EXPECT_STREQ(error.what(), "QueryCPVTree: Fehlender Daten-Provider oder Datenpaket");
    }
    EXPECT_FALSE(table.active());
}

TEST(ClientDataSet, ADamagedPacketLeavesTheTableClosed) {
    const std::string block(16, 'x');
    TClientDataSet table("ClientDataSet1");
    table.setCarriedBlock(asBytes(block));
    try {
        table.open();
        FAIL();
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(std::string(error.what()).starts_with("ClientDataSet1: Datenpaket fehlerhaft"))
            << error.what();
    }
    EXPECT_FALSE(table.active());
}

// ---- The unique index PRIMARY_KEY ---------------------------------------------------------------

namespace {

// The message of the open, or "opened".
std::string openOutcome(TClientDataSet& table) {
    try {
        table.open();
    } catch (const DatabaseError& error) {
        return error.what();
    }
    return "opened";
}

std::string blockWithKey(std::string_view tsv, std::vector<std::uint64_t> keyFields) {
    PacketSchema schema = codelist::schema();
    std::erase_if(schema.attributes, [](const PacketAttribute& a) { return a.name == "PRIMARY_KEY"; });
    if (!keyFields.empty())
        schema.attributes.push_back(PacketAttribute::unsignedArray("PRIMARY_KEY", 2, keyFields));
    return makeBlock(writePacket(schema, codelist::rowsFromTsv(tsv)));
}

} // namespace

TEST(PrimaryKey, TwoRowsOfOneCodeAreRefusedAndTheTableStaysClosed) {
    const std::string block = codelist::blockFromTsv("CPV_ID\tCPV_DESC\n"
                                                     "03000000\tErzeugnisse\n"
                                                     "03100000\tGartenbau\n"
                                                     "03100000\tGartenbau, zweimal\n"
                                                     "09000000\tBrennstoffe\n");
    TClientDataSet table("ClientDataSet1");
    CountingObserver grid;
    table.addObserver(&grid);
    table.setCarriedBlock(asBytes(block));
    table.setIndexFieldNames("CPV_ID");
    EXPECT_EQ(
        openOutcome(table),
        "ClientDataSet1: Schlüsselverletzung: Der Wert '03100000' kommt im Index PRIMARY_KEY mehrfach vor");
    EXPECT_FALSE(table.active());
    EXPECT_EQ(table.recordCount(), 0U);
    EXPECT_TRUE(table.eof());
    EXPECT_EQ(grid.dataChanges, 0);
    EXPECT_EQ(table.savedPacket(), "");
    // Refused again on every try, and the table takes a sound packet afterwards.
    EXPECT_NE(openOutcome(table), "opened");
    table.setCarriedBlock(codelist::carriedBlock());
    EXPECT_EQ(openOutcome(table), "opened");
    EXPECT_EQ(table.recordCount(), 9454U);
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "03000000");
    EXPECT_EQ(grid.dataChanges, 1);
    table.removeObserver(&grid);
}

TEST(PrimaryKey, DuplicatesAreFoundWhereverTheyAreStoredAndInAnyOrder) {
    for (const char* tsv : {"CPV_ID\tCPV_DESC\n20000000\tB\n10000000\tA\n20000000\tC\n",
                            "CPV_ID\tCPV_DESC\n30000000\tC\n30000000\tC\n",
                            "CPV_ID\tCPV_DESC\n10000000\tA\n20000000\tB\n30000000\tC\n10000000\tD\n"}) {
        const std::string block = codelist::blockFromTsv(tsv);
        TClientDataSet table("QueryCPVTree");
        table.setCarriedBlock(asBytes(block));
        table.setIndexFieldNames("CPV_DESC"); // the view's order plays no part
        EXPECT_TRUE(openOutcome(table).starts_with("QueryCPVTree: Schlüsselverletzung")) << tsv;
        EXPECT_FALSE(table.active());
    }
    // Distinct codes in any stored order open, and the view is in code order.
    const std::string block =
        codelist::blockFromTsv("CPV_ID\tCPV_DESC\n30000000\tC\n10000000\tA\n20000000\tB\n");
    TClientDataSet table("QueryCPVTree");
    table.setCarriedBlock(asBytes(block));
    table.setIndexFieldNames("CPV_ID");
    ASSERT_EQ(openOutcome(table), "opened");
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "10000000");
}

// Keys are equal as the index compares them: in the collation hyphens weigh nothing.
TEST(PrimaryKey, CodesThatDifferOnlyInIgnoredCharactersAreOneKey) {
    const std::string block = codelist::blockFromTsv("CPV_ID\tCPV_DESC\n03000000\tA\n0300-0000\tB\n");
    TClientDataSet table("ClientDataSet1");
    table.setCollator(makeLocaleCollator("de_DE"));
    table.setCarriedBlock(asBytes(block));
    EXPECT_EQ(
        openOutcome(table),
        "ClientDataSet1: Schlüsselverletzung: Der Wert '03000000' kommt im Index PRIMARY_KEY mehrfach vor");
    table.setCollator(std::make_shared<BinaryCollator>()); // bytes tell them apart
    EXPECT_EQ(openOutcome(table), "opened");
    EXPECT_EQ(table.recordCount(), 2U);
}

TEST(PrimaryKey, OnlyTheKeysFieldsCount) {
    const std::string tsv = "CPV_ID\tCPV_DESC\n"
                            "10000000\tA\n"
                            "10000000\tB\n"
                            "20000000\t" +
                            std::string(70, 'x') + "\n20000000\t" + std::string(70, 'x') + "\n";
    // Without a key, duplicates are rows like any others.
    {
        const std::string block = blockWithKey(tsv, {});
        TClientDataSet table("ClientDataSet1");
        table.setCarriedBlock(asBytes(block));
        EXPECT_EQ(openOutcome(table), "opened");
        EXPECT_EQ(table.recordCount(), 4U);
    }
    // On both fields only the last two rows share a key; the message cuts the long value.
    {
        const std::string block = blockWithKey(tsv, {1, 2});
        TClientDataSet table("ClientDataSet1");
        table.setCarriedBlock(asBytes(block));
        EXPECT_EQ(openOutcome(table), "ClientDataSet1: Schlüsselverletzung: Der Wert '20000000; " +
                                          std::string(50, 'x') +
                                          "...' kommt im Index PRIMARY_KEY mehrfach vor");
    }
    // On the description alone, "A" and "B" differ but the long texts do not.
    {
        const std::string block = blockWithKey(tsv, {2});
        TClientDataSet table("ClientDataSet1");
        table.setCarriedBlock(asBytes(block));
        EXPECT_TRUE(openOutcome(table).starts_with("ClientDataSet1: Schlüsselverletzung: Der Wert 'xxx"));
    }
}

// Closing writes the rows in view order; opening again from that packet checks the key anew.
TEST_F(ClientDataSetTest, ReopeningAfterADescriptionOrderCloseKeepsTheKey) {
    table.setIndexFieldNames("CPV_DESC");
    table.close();
    table.setIndexFieldNames("CPV_ID");
    ASSERT_EQ(openOutcome(table), "opened");
    EXPECT_EQ(table.recordCount(), 9454U);
    EXPECT_EQ(codes().front(), "03000000");
}

TEST_F(ClientDataSetTest, SuspendedControlsHearOnceWhenTheCounterReturnsToZero) {
    CountingObserver grid;
    table.addObserver(&grid);
    table.disableControls();
    table.disableControls();
    table.setFilter("PREFIX 03");
    table.setFiltered(true);
    table.next();
    table.enableControls();
    EXPECT_EQ(grid.dataChanges + grid.recordChanges, 0);
    table.enableControls();
    EXPECT_EQ(grid.dataChanges, 1);
    EXPECT_EQ(grid.recordChanges, 0);
    table.enableControls(); // one resume too many changes nothing
    EXPECT_EQ(grid.dataChanges, 1);
    table.next();
    EXPECT_EQ(grid.recordChanges, 1);
    table.removeObserver(&grid);
    table.next();
    EXPECT_EQ(grid.recordChanges, 1);
}

TEST_F(ClientDataSetTest, BookmarksSurviveFilterAndOrderChanges) {
    for (int i = 0; i < 5; ++i)
        table.next();
    Bookmark mark = table.getBookmark();
    const std::string code = table.fieldAsString("CPV_ID");
    table.setFilter("PREFIX 0");
    table.setFiltered(true);
    table.setIndexFieldNames("CPV_DESC");
    table.gotoBookmark(mark);
    EXPECT_EQ(table.fieldAsString("CPV_ID"), code);
    table.freeBookmark(mark);
    EXPECT_FALSE(mark.valid());
    EXPECT_THROW(table.gotoBookmark(mark), DatabaseError);

    table.setFiltered(false);
    table.last();
    Bookmark outside = table.getBookmark();
    table.setFiltered(true);
    EXPECT_FALSE(table.bookmarkValid(outside));
    EXPECT_THROW(table.gotoBookmark(outside), DatabaseError);
}

TEST_F(ClientDataSetTest, IndexChangesKeepTheCurrentRecordAndTheFilter) {
    table.setFilter("PREFIX 44");
    table.setFiltered(true);
    const std::size_t count = table.recordCount();
    for (int i = 0; i < 7; ++i)
        table.next();
    const std::string current = table.fieldAsString("CPV_ID");
    CountingObserver grid;
    table.addObserver(&grid);
    table.setIndexFieldNames("CPV_DESC");
    EXPECT_EQ(grid.dataChanges, 1);
    EXPECT_EQ(table.fieldAsString("CPV_ID"), current);
    EXPECT_EQ(table.recordCount(), count);
    table.setIndexFieldNames("CPV_DESC"); // the same value changes nothing
    EXPECT_EQ(grid.dataChanges, 1);
    table.setIndexFieldNames("CPV_ID");
    EXPECT_EQ(table.fieldAsString("CPV_ID"), current);
    std::vector<std::string> inCodeOrder = codes();
    EXPECT_TRUE(std::is_sorted(inCodeOrder.begin(), inCodeOrder.end()));
    table.removeObserver(&grid);
}

TEST_F(ClientDataSetTest, DescriptionOrderIsStableOverTheStoredOrder) {
    // By byte order, so that the check needs no collation: equal descriptions keep the smaller code first.
    table.setCollator(std::make_shared<BinaryCollator>());
    table.setIndexFieldNames("CPV_DESC");
    std::vector<std::pair<std::string, std::string>> rows;
    for (table.first(); !table.eof(); table.next())
        rows.emplace_back(table.fieldAsString("CPV_DESC"), table.fieldAsString("CPV_ID"));
    ASSERT_EQ(rows.size(), 9454U);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
}

// ---- An order known in advance --------------------------------------------------------------

namespace {

// Byte order that counts what it is asked: a known order that serves asks nothing.
struct CountingCollator : Collator {
    int compare(std::string_view a, std::string_view b) const override { return ask().compare(a, b); }
    std::string sortKey(std::string_view text) const override { return ask().sortKey(text); }
    // Never like bytes, so that a sort would have to ask for keys.
    bool ordersLikeBytes(std::string_view text) const override { return !ask().ordersLikeBytes(text); }
    const BinaryCollator& ask() const {
        ++asked;
        return bytes;
    }
    BinaryCollator bytes;
    mutable int asked = 0;
};

} // namespace

// The given order is the stored order backwards, which no sort by description makes: where the
// view follows it, the table took it.
TEST(KnownOrder, TakenOnlyForItsFieldsItsCollatorAndTheRowsAsCarried) {
    const std::string block = codelist::blockFromTsv(
        "CPV_ID\tCPV_DESC\n03000000\tAckerbau\n09000000\tErdöl\n14000000\tBergbau\n15000000\tBier\n");
    const std::vector<std::string> sortedByBytes{"03000000", "14000000", "15000000", "09000000"};
    const std::vector<std::string> asGiven{"15000000", "14000000", "09000000", "03000000"};
    enum Change { None, OtherCollator, ReopenedFromSaved };
    struct Case {
        const char* what;
        const char* knownFields;
        const char* indexFields;
        std::vector<std::uint32_t> rows;
        Change change;
        bool taken;
    };
    const Case cases[] = {
        {"its fields and collator", "CPV_DESC", "CPV_DESC", {3, 2, 1, 0}, None, true},
        {"another field list", "CPV_DESC", "CPV_DESC;CPV_ID", {3, 2, 1, 0}, None, false},
        {"a field the packet lacks", "CPV_TEXT", "CPV_DESC", {3, 2, 1, 0}, None, false},
        {"another collator", "CPV_DESC", "CPV_DESC", {3, 2, 1, 0}, OtherCollator, false},
        {"rows from the saved packet", "CPV_DESC", "CPV_DESC", {3, 2, 1, 0}, ReopenedFromSaved, false},
        {"a row twice", "CPV_DESC", "CPV_DESC", {3, 2, 1, 1}, None, false},
        {"a row short", "CPV_DESC", "CPV_DESC", {3, 2, 1}, None, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto collator = std::make_shared<CountingCollator>();
        TClientDataSet table("ClientDataSet1");
        table.setCarriedBlock(asBytes(block));
        table.setCollator(collator);
        table.setKnownOrder(c.knownFields, c.rows, collator);
        if (c.change == OtherCollator)
            table.setCollator(std::make_shared<CountingCollator>());
        table.open();
        if (c.change == ReopenedFromSaved) {
            table.close();
            table.open();
        }
        collator->asked = 0;
        table.setIndexFieldNames(c.indexFields);
        std::vector<std::string> codes;
        for (table.first(); !table.eof(); table.next())
            codes.push_back(table.fieldAsString("CPV_ID"));
        EXPECT_EQ(codes, c.taken ? asGiven : sortedByBytes);
        EXPECT_TRUE(!c.taken || collator->asked == 0) << collator->asked << " questions";
    }
}
