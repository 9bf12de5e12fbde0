// The one place where the report meets the table engine.
#include "DataSetConnection.h"

#include "ClientDataSet.h"
#include "DataPacket.h"

#include <stdexcept>
#include <utility>

namespace kodexa::report {

TRvDataSetConnection::TRvDataSetConnection(std::string name)
    : name_(std::move(name)), bookmark_(std::make_unique<Bookmark>()) {}

TRvDataSetConnection::~TRvDataSetConnection() = default;

TClientDataSet& TRvDataSetConnection::table() const {
    if (dataSet_ == nullptr)
        throw std::runtime_error(name_ + ": no data set assigned");
    return *dataSet_;
}

void TRvDataSetConnection::open() {
    TClientDataSet& data = table();
    wasActive_ = data.active();
    *bookmark_ = wasActive_ ? data.getBookmark() : Bookmark();
    controlsDisabled_ = disableDataSource_;
    if (controlsDisabled_)
        data.disableControls();
    savedFilter_ = data.filter();
    savedFiltered_ = data.filtered();
    opened_ = true;
    try {
        if (!wasActive_) {
            data.open();
            data.first();
        }
        columnCount_ = data.schema().columns.size();
    } catch (...) {
        restore();
        throw;
    }
    firstAtEndTest_ = true;
}

void TRvDataSetConnection::restore() {
    if (!opened_)
        return;
    opened_ = false;
    TClientDataSet& data = table();
    // The controls learn of the table once it is back as it was, also when putting it back
    // fails: a grid then shows the record on the line it stood on, as after a change of order,
    // rather than following the walk to its end.
    const bool enableControls = std::exchange(controlsDisabled_, false);
    try {
        putTableBack(data);
    } catch (...) {
        if (enableControls)
            data.enableControls();
        throw;
    }
    if (enableControls)
        data.enableControls();
}

void TRvDataSetConnection::putTableBack(TClientDataSet& data) {
    if (!restoreDataSet_)
        return;
    if (!wasActive_)
        data.close();
    data.setFilter(savedFilter_);
    data.setFiltered(savedFiltered_);
    // An empty view had no record to mark; going to that mark would fail after every such print.
    if (wasActive_ && data.bookmarkValid(*bookmark_))
        data.gotoBookmark(*bookmark_);
    data.freeBookmark(*bookmark_);
}

std::vector<ConnectionField> TRvDataSetConnection::fields() const {
    std::vector<ConnectionField> result;
    for (const PacketColumn& column : table().schema().columns) {
        ConnectionField field{column.name, ConnectionFieldType::Other, column.width()};
        const std::uint32_t kind = packet::kindOf(column.typeWord);
        if (kind == packet::KindString)
            field.type = ConnectionFieldType::String;
        else if (kind == packet::KindSignedInt || kind == packet::KindUnsignedInt)
            field.type = ConnectionFieldType::Integer;
        if (field.size == 0)
            field.size = packet::sizeOf(column.typeWord);
        result.push_back(std::move(field));
    }
    return result;
}

void TRvDataSetConnection::first() {
    table().first();
}

void TRvDataSetConnection::next() {
    table().next();
}

// Right after opening, a table counts as at its end only when it has no record at all.
bool TRvDataSetConnection::atEnd() {
    const TClientDataSet& data = table();
    if (firstAtEndTest_) {
        firstAtEndTest_ = false;
        return data.eof() && data.bof();
    }
    return data.eof();
}

void TRvDataSetConnection::currentRow(std::vector<ConnectionValue>& values) const {
    const TClientDataSet& data = table();
    const std::optional<std::size_t> position = data.recNo();
    values.resize(columnCount_);
    for (std::size_t column = 0; column < columnCount_; ++column) {
        const FieldValue value = position ? data.valueAt(*position, column) : std::nullopt;
        values[column].value = value ? std::optional<std::string>(*value) : std::nullopt;
        values[column].displayText = value ? std::string(*value) : std::string();
    }
}

} // namespace kodexa::report
