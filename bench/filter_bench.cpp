// The search and the switch to description order, side by side with SQLite doing the same over an
// in-memory copy of the list (table CPV_CODE, UTF-8 text). Both sides produce the new view: our
// table its vector of row numbers, SQLite the row ids its query returns, in the current order.
#include "ClientDataSet.h"
#include "CodeList.h"
#include "Collation.h"
#include "Cp1252.h"
#include "Search.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using kodexa::TClientDataSet;

std::unique_ptr<TClientDataSet> loadedTable() {
    auto table = std::make_unique<TClientDataSet>("ClientDataSet1");
    kodexa::codelist::loadCarried(*table);
    return table;
}

// ---- Our table ----------------------------------------------------------------------------------

void runSearch(benchmark::State& state, const char* code, const char* description) {
    const std::unique_ptr<TClientDataSet> table = loadedTable();
    kodexa::applySearch(*table, code, description); // caches of the first search (capitals, keys)
    for (auto _ : state) {
        kodexa::applySearch(*table, code, description);
        benchmark::DoNotOptimize(table->recordCount());
    }
    state.counters["rows"] = static_cast<double>(table->recordCount());
}

void Kodexa_SearchDescription(benchmark::State& state) {
    runSearch(state, "", "obst");
}
void Kodexa_SearchCode(benchmark::State& state) {
    runSearch(state, "03", "");
}
void Kodexa_SearchBoth(benchmark::State& state) {
    runSearch(state, "03", "obst");
}

// The first search of a table, which also makes the column's capitals.
void Kodexa_FirstSearchDescription(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TClientDataSet> table = loadedTable();
        state.ResumeTiming();
        kodexa::applySearch(*table, "", "obst");
        benchmark::DoNotOptimize(table->recordCount());
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
}

// The first switch of a fresh table. In a German (or C) locale the table reads the order carried
// with the list; in any other it builds the collation keys of all descriptions and sorts, as the
// Sorted case does under the German collation itself.
void firstSwitch(benchmark::State& state, bool sortHere) {
    const std::shared_ptr<const kodexa::Collator> german = kodexa::userLocaleCollator(); // once per program
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TClientDataSet> table = loadedTable();
        if (sortHere)
            table->setCollator(german); // not the collator the carried order was made for
        state.ResumeTiming();
        table->setIndexFieldNames("CPV_DESC");
        benchmark::DoNotOptimize(table->recordCount());
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.SetLabel(kodexa::userCollationLocaleName());
}

void Kodexa_FirstSwitchToDescriptionOrder(benchmark::State& state) {
    firstSwitch(state, false);
}

void Kodexa_FirstSwitchToDescriptionOrder_Sorted(benchmark::State& state) {
    firstSwitch(state, true);
}

// Later switches, alternating between the two orders that the table keeps.
void Kodexa_LaterSwitch(benchmark::State& state) {
    const std::unique_ptr<TClientDataSet> table = loadedTable();
    table->setIndexFieldNames("CPV_DESC");
    table->setIndexFieldNames("CPV_ID");
    bool byDescription = false;
    for (auto _ : state) {
        byDescription = !byDescription;
        table->setIndexFieldNames(byDescription ? "CPV_DESC" : "CPV_ID");
        benchmark::DoNotOptimize(table->recordCount());
    }
}

void Kodexa_LaterSwitchUnderCodeFilter(benchmark::State& state) {
    const std::unique_ptr<TClientDataSet> table = loadedTable();
    kodexa::applySearch(*table, "03", "");
    table->setIndexFieldNames("CPV_DESC");
    table->setIndexFieldNames("CPV_ID");
    bool byDescription = false;
    for (auto _ : state) {
        byDescription = !byDescription;
        table->setIndexFieldNames(byDescription ? "CPV_DESC" : "CPV_ID");
        benchmark::DoNotOptimize(table->recordCount());
    }
}

// ---- SQLite -------------------------------------------------------------------------------------

// The list as an SQLite table, either plain (every query scans all rows, as our filter does) or
// with CPV_ID as primary key (an index that serves the code search's range).
class Database {
public:
    explicit Database(bool primaryKey) {
        if (sqlite3_open(":memory:", &db_) != SQLITE_OK)
            throw std::runtime_error("sqlite3_open");
        execute(primaryKey ? "CREATE TABLE CPV_CODE (CPV_ID TEXT PRIMARY KEY, CPV_DESC TEXT)"
                           : "CREATE TABLE CPV_CODE (CPV_ID TEXT, CPV_DESC TEXT)");
        execute("BEGIN");
        sqlite3_stmt* insert = prepare("INSERT INTO CPV_CODE VALUES (?, ?)");
        const std::unique_ptr<TClientDataSet> table = loadedTable();
        for (table->first(); !table->eof(); table->next()) {
            const std::string code = kodexa::cp1252::toUtf8(table->fieldText("CPV_ID"));
            const std::string description = kodexa::cp1252::toUtf8(table->fieldText("CPV_DESC"));
            sqlite3_bind_text(insert, 1, code.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, description.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        execute("COMMIT");
    }
    ~Database() { sqlite3_close(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void execute(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
    }
    sqlite3_stmt* prepare(const char* sql) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
        return statement;
    }
    // The row ids the statement returns, as our view holds row numbers.
    static void collectRows(sqlite3_stmt* statement, std::vector<sqlite3_int64>& rows) {
        rows.clear();
        while (sqlite3_step(statement) == SQLITE_ROW)
            rows.push_back(sqlite3_column_int64(statement, 0));
        sqlite3_reset(statement);
    }

private:
    sqlite3* db_ = nullptr;
};

// The query text is read at every run, as our filter text is at every search.
void runQueryOn(benchmark::State& state, Database& database, const char* sql) {
    std::vector<sqlite3_int64> rows;
    for (auto _ : state) {
        sqlite3_stmt* statement = database.prepare(sql);
        Database::collectRows(statement, rows);
        sqlite3_finalize(statement);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = static_cast<double>(rows.size());
}

void runQuery(benchmark::State& state, bool primaryKey, const char* sql) {
    Database database(primaryKey);
    runQueryOn(state, database, sql);
}

// The statement prepared once: SQLite's best case.
void runPreparedQuery(benchmark::State& state, bool primaryKey, const char* sql) {
    Database database(primaryKey);
    std::vector<sqlite3_int64> rows;
    sqlite3_stmt* statement = database.prepare(sql);
    for (auto _ : state) {
        Database::collectRows(statement, rows);
        benchmark::DoNotOptimize(rows.data());
    }
    sqlite3_finalize(statement);
    state.counters["rows"] = static_cast<double>(rows.size());
}

// Rows come back in code order, as our view is in code order: by row id for the plain table
// (filled in code order), by the primary key's index for the other.
constexpr const char* DescriptionCondition = "UPPER(CPV_DESC) LIKE '%OBST%'";
constexpr const char* CodeCondition = "CPV_ID >= '03' AND CPV_ID < '039999999'";

std::string query(const char* condition, bool primaryKey) {
    return std::string("SELECT rowid FROM CPV_CODE WHERE ") + condition +
           (primaryKey ? " ORDER BY CPV_ID" : " ORDER BY rowid");
}
std::string bothConditions() {
    return std::string(CodeCondition) + " AND " + DescriptionCondition;
}

void SQLite_SearchDescription_Scan(benchmark::State& state) {
    runQuery(state, false, query(DescriptionCondition, false).c_str());
}
void SQLite_SearchCode_Scan(benchmark::State& state) {
    runQuery(state, false, query(CodeCondition, false).c_str());
}
void SQLite_SearchBoth_Scan(benchmark::State& state) {
    runQuery(state, false, query(bothConditions().c_str(), false).c_str());
}
void SQLite_SearchDescription_PrimaryKey(benchmark::State& state) {
    runQuery(state, true, query(DescriptionCondition, true).c_str());
}
void SQLite_SearchCode_PrimaryKey(benchmark::State& state) {
    runQuery(state, true, query(CodeCondition, true).c_str());
}
void SQLite_SearchBoth_PrimaryKey(benchmark::State& state) {
    runQuery(state, true, query(bothConditions().c_str(), true).c_str());
}
void SQLite_SearchCode_PrimaryKeyPrepared(benchmark::State& state) {
    runPreparedQuery(state, true, query(CodeCondition, true).c_str());
}

constexpr const char* DescriptionOrderQuery = "SELECT rowid FROM CPV_CODE ORDER BY CPV_DESC, rowid";

// Without an index SQLite sorts at every switch (by bytes, not by a locale's collation).
void SQLite_SwitchToDescriptionOrder_Sort(benchmark::State& state) {
    runQuery(state, false, DescriptionOrderQuery);
}

// With an index on the description, made at the first switch and read at later ones.
void SQLite_FirstSwitchToDescriptionOrder_Index(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto database = std::make_unique<Database>(false);
        std::vector<sqlite3_int64> rows;
        state.ResumeTiming();
        database->execute("CREATE INDEX DESCINDEX ON CPV_CODE (CPV_DESC)");
        sqlite3_stmt* statement = database->prepare(DescriptionOrderQuery);
        Database::collectRows(statement, rows);
        sqlite3_finalize(statement);
        state.PauseTiming();
        database.reset();
        state.ResumeTiming();
    }
}

void SQLite_LaterSwitch_Index(benchmark::State& state) {
    Database database(false);
    database.execute("CREATE INDEX DESCINDEX ON CPV_CODE (CPV_DESC)");
    runQueryOn(state, database, DescriptionOrderQuery);
}

} // namespace

BENCHMARK(Kodexa_SearchDescription)->Unit(benchmark::kMicrosecond);
BENCHMARK(SQLite_SearchDescription_Scan)->Unit(benchmark::kMicrosecond);
BENCHMARK(SQLite_SearchDescription_PrimaryKey)->Unit(benchmark::kMicrosecond);
BENCHMARK(Kodexa_SearchCode)->Unit(benchmark::kMicrosecond);
BENCHMARK(SQLite_SearchCode_Scan)->Unit(benchmark::kMicrosecond);
BENCHMARK(SQLite_SearchCode_PrimaryKey)->Unit(benchmark::kMicrosecond);
BENCHMARK(SQLite_SearchCode_PrimaryKeyPrepared)->Unit(benchmark::kMicrosecond);
BENCHMARK(Kodexa_SearchBoth)->Unit(benchmark::kMicrosecond);
BENCHMARK(SQLite_SearchBoth_Scan)->Unit(benchmark::kMicrosecond);
BENCHMARK(SQLite_SearchBoth_PrimaryKey)->Unit(benchmark::kMicrosecond);
BENCHMARK(Kodexa_FirstSearchDescription)->Unit(benchmark::kMicrosecond);
BENCHMARK(Kodexa_FirstSwitchToDescriptionOrder)->Unit(benchmark::kMicrosecond);
BENCHMARK(Kodexa_FirstSwitchToDescriptionOrder_Sorted)->Unit(benchmark::kMicrosecond);
BENCHMARK(SQLite_FirstSwitchToDescriptionOrder_Index)->Unit(benchmark::kMicrosecond);
BENCHMARK(SQLite_SwitchToDescriptionOrder_Sort)->Unit(benchmark::kMicrosecond);
BENCHMARK(Kodexa_LaterSwitch)->Unit(benchmark::kMicrosecond);
BENCHMARK(Kodexa_LaterSwitchUnderCodeFilter)->Unit(benchmark::kMicrosecond);
BENCHMARK(SQLite_LaterSwitch_Index)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
