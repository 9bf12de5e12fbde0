// The data connection's walk over the table, seen from the engine's side.
#include "DataSetConnection.h"
#include "TestTable.h"

#include <gtest/gtest.h>

using namespace kodexa;
using namespace kodexa::report;

namespace {

class DataSetConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::loadTestTable(table);
        connection.setDataSet(&table);
    }

    std::string currentCode() const {
        std::vector<ConnectionValue> row;
        connection.currentRow(row);
        return row.at(0).displayText;
    }

    TClientDataSet table{"ClientDataSet1"};
    TRvDataSetConnection connection{"RvDataSetConnection1"};
};

} // namespace

TEST_F(DataSetConnectionTest, ReportsTheTablesFieldsAndTheCurrentRow) {
    connection.open();
    const std::vector<ConnectionField> fields = connection.fields();
    ASSERT_EQ(fields.size(), 2U);
    EXPECT_EQ(fields[0].name, "CPV_ID");
    EXPECT_EQ(fields[0].type, ConnectionFieldType::String);
    EXPECT_EQ(fields[0].size, 10U);
    EXPECT_EQ(fields[1].name, "CPV_DESC");
    EXPECT_EQ(fields[1].size, 250U);

    connection.first();
    connection.next();
    std::vector<ConnectionValue> row;
    connection.currentRow(row);
    ASSERT_EQ(row.size(), 2U);
    EXPECT_EQ(row[0].value, "03100000");
    EXPECT_EQ(row[0].displayText, "03100000");
    EXPECT_EQ(row[1].displayText, "Landwirtschafts- und Gartenbauerzeugnisse");
    connection.restore();
}

TEST_F(DataSetConnectionTest, TheFirstEndTestAsksForEndAndBeginningTogether) {
    table.last(); // at the end, not at the beginning
    connection.open();
    EXPECT_FALSE(connection.atEnd());
    EXPECT_TRUE(connection.atEnd());
    connection.restore();

    testsupport::applyTestFilter(table, "PREFIX x");
    connection.open();
    EXPECT_TRUE(connection.atEnd());
    std::vector<ConnectionValue> row;
    connection.currentRow(row);
    EXPECT_FALSE(row.at(0).value.has_value()); // no record: null, printed as nothing
    EXPECT_EQ(row.at(0).displayText, "");
    EXPECT_NO_THROW(connection.restore()); // an empty view has no record to return to
    EXPECT_EQ(table.filter(), "PREFIX x");
}

TEST_F(DataSetConnectionTest, SuspendsTheControlsOnlyDuringTheWalk) {
    connection.open();
    EXPECT_TRUE(table.controlsDisabled());
    connection.restore();
    EXPECT_FALSE(table.controlsDisabled());
    connection.restore(); // a second restore changes nothing
    EXPECT_FALSE(table.controlsDisabled());

    connection.setDisableDataSource(false);
    connection.open();
    EXPECT_FALSE(table.controlsDisabled());
    connection.restore();
}

TEST_F(DataSetConnectionTest, WithoutRestoreTheTableStaysWhereTheWalkEnded) {
    table.setRecNo(5);
    connection.setRestoreDataSet(false);
    connection.open();
    connection.first();
    connection.next();
    connection.restore();
    EXPECT_EQ(table.recNo(), 1U);
    EXPECT_FALSE(table.controlsDisabled());
}

TEST_F(DataSetConnectionTest, WithoutATableEveryStepFailsWithTheConnectionsName) {
    TRvDataSetConnection unbound("RvDataSetConnection1");
    try {
        unbound.open();
        FAIL();
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "RvDataSetConnection1: no data set assigned");
    }
    EXPECT_NO_THROW(unbound.restore());
}
