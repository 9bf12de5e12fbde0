#pragma once

#include "DataConnection.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace kodexa {
class TClientDataSet;
class Bookmark;
} // namespace kodexa

namespace kodexa::report {

// The data connection over a table (TRvDataSetConnection): the report walks the table in its
// current filter and order, with the table's bound controls suspended, and leaves it as it was.
class TRvDataSetConnection final : public DataConnection {
public:
    explicit TRvDataSetConnection(std::string name);
    ~TRvDataSetConnection() override;

    void setDataSet(TClientDataSet* dataSet) { dataSet_ = dataSet; }
    TClientDataSet* dataSet() const { return dataSet_; }
    // Put the table back (open state, filter, record) after a walk; on by default.
    void setRestoreDataSet(bool restore) { restoreDataSet_ = restore; }
    bool restoreDataSet() const { return restoreDataSet_; }
    // Suspend the table's bound controls during a walk; on by default.
    void setDisableDataSource(bool disable) { disableDataSource_ = disable; }
    bool disableDataSource() const { return disableDataSource_; }

    std::string_view name() const override { return name_; }
    // If open() throws, it has already undone what it did.
    void open() override;
    void restore() override;
    std::vector<ConnectionField> fields() const override;
    void first() override;
    void next() override;
    bool atEnd() override;
    void currentRow(std::vector<ConnectionValue>& values) const override;

private:
    TClientDataSet& table() const;
    // Open state, filter and record as they were before the walk.
    void putTableBack(TClientDataSet& data);

    std::string name_;
    TClientDataSet* dataSet_ = nullptr;
    bool restoreDataSet_ = true;
    bool disableDataSource_ = true;

    // The table's state when the walk began
    bool opened_ = false;
    bool wasActive_ = false;
    bool controlsDisabled_ = false;
    std::unique_ptr<Bookmark> bookmark_;
    std::string savedFilter_;
    bool savedFiltered_ = false;

    bool firstAtEndTest_ = true;
    std::size_t columnCount_ = 0;
};

} // namespace kodexa::report
