#pragma once

// The code list table as the main window holds it, with a stand-in filter language for the tests
// of the report: "PREFIX x" keeps the codes that begin with x, "DESC x" the descriptions that
// contain x.
#include "ClientDataSet.h"
#include "CodeList.h"
#include "DatabaseError.h"
#include "RowFilter.h"

#include <memory>
#include <string>

namespace kodexa::testsupport {

class TestFilterCompiler final : public FilterCompiler {
public:
    std::unique_ptr<RowPredicate> compile(std::string_view text, const RowAccess& fields) const override {
        if (text.starts_with("PREFIX "))
            return std::make_unique<Match>(std::string(text.substr(7)), *fields.fieldIndex("CPV_ID"), true);
        if (text.starts_with("DESC "))
            return std::make_unique<Match>(std::string(text.substr(5)), *fields.fieldIndex("CPV_DESC"),
                                           false);
        throw DatabaseError("Ungültiger Filterausdruck");
    }

private:
    struct Match final : RowPredicate {
        Match(std::string text, std::size_t field, bool prefix)
            : text(std::move(text)), field(field), prefix(prefix) {}
        bool matches(const RowAccess& rows, std::size_t row) const override {
            const std::string_view value = rows.value(row, field).value_or(std::string_view());
            return prefix ? value.starts_with(text) : value.find(text) != std::string_view::npos;
        }
        std::string text;
        std::size_t field;
        bool prefix;
    };
};

inline void loadTestTable(TClientDataSet& table) {
    table.setFilterCompiler(std::make_shared<TestFilterCompiler>());
    codelist::loadCarried(table);
}

inline void applyTestFilter(TClientDataSet& table, const std::string& expression) {
    table.setFilter(expression);
    table.setFiltered(true);
}

} // namespace kodexa::testsupport
