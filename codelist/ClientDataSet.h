#pragma once

#include "Collator.h"
#include "DataPacket.h"
#include "RowFilter.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kodexa {

class TClientDataSet;

// A control bound to a table (the grid's model, the report's data connection). It hears of
// changes only while the table's controls are not suspended.
class DataSetObserver {
public:
    virtual ~DataSetObserver() = default;
    // The view changed as a whole: new rows, new order, opened or closed.
    virtual void dataSetChanged(const TClientDataSet& table) = 0;
    // The cursor moved within the same view.
    virtual void recordChanged(const TClientDataSet& table) = 0;
};

// A position that survives re-sorting and filtering: the stored row it names.
class Bookmark {
public:
    Bookmark() = default;
    bool valid() const { return row_.has_value(); }

private:
    friend class TClientDataSet;
    explicit Bookmark(std::uint32_t row) : row_(row) {}
    std::optional<std::uint32_t> row_;
};

// The in-memory table engine. Rows are stored once per instance (RowStore); the view is a vector
// of row numbers in the current order under the current filter, and the cursor a position in it.
class TClientDataSet final : private RowAccess {
public:
    explicit TClientDataSet(std::string name);
    ~TClientDataSet() override;
    TClientDataSet(const TClientDataSet&) = delete;
    TClientDataSet& operator=(const TClientDataSet&) = delete;

    const std::string& name() const { return name_; }

    // The carried block (length and packet) that the first open reads. Kept as a view: the
    // bytes must outlive the table (the embedded list does).
    void setCarriedBlock(std::span<const std::byte> block);
    // The packet that a close wrote; empty until the first close.
    const std::string& savedPacket() const { return savedPacket_; }

    void setCollator(std::shared_ptr<const Collator> collator);
    // An order of the carried block's rows known before anything is compared (made when the
    // program was built): the stored row numbers by the fields named, under the collator given.
    // The table takes it instead of sorting while it holds the block's rows as read and compares
    // by that very collator; otherwise, or when the rows given are no permutation of its rows, it
    // sorts. The rows must outlive the table (the embedded order does).
    void setKnownOrder(std::string_view fieldNames, std::span<const std::uint32_t> rows,
                       std::shared_ptr<const Collator> collator);
    void setFilterCompiler(std::shared_ptr<const FilterCompiler> compiler);

    // Active
    bool active() const { return open_; }
    void setActive(bool active);
    void open() { setActive(true); }
    void close() { setActive(false); }

    const PacketSchema& schema() const { return schema_; }
    std::optional<std::size_t> fieldIndex(std::string_view name) const override;

    // Filter and Filtered
    const std::string& filter() const { return filterText_; }
    void setFilter(std::string_view text);
    bool filtered() const { return filtered_; }
    void setFiltered(bool filtered);
    // Whether a filter whose conditions bound a field tests only the rows between the bounds in
    // the order by that field, as an index serves a range (the default). Off, it tests every row:
    // the plain way that the range scan must always agree with. Applies from the next filtering.
    bool rangeScan() const { return rangeScan_; }
    void setRangeScan(bool enabled) { rangeScan_ = enabled; }

    // IndexFieldNames: one field name, or several separated by ';'; empty for the stored order.
    const std::string& indexFieldNames() const { return indexFieldNames_; }
    void setIndexFieldNames(std::string_view names);

    // Navigation over the view
    std::size_t recordCount() const { return view_.size(); }
    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    // Position of the cursor in the view, counted from 0; nullopt on an empty or closed view.
    std::optional<std::size_t> recNo() const;
    // Moves the cursor to the given position of the view (a grid click).
    void setRecNo(std::size_t position);
    // The stored row number at a position of the view; the grid reads rows this way.
    std::uint32_t rowAt(std::size_t position) const { return view_[position]; }
    FieldValue valueAt(std::size_t position, std::size_t field) const {
        return rows_.value(view_[position], field);
    }

    // Field values of the current row
    std::string fieldAsString(std::string_view fieldName) const;
    // The same text without a copy; valid until the table closes.
    std::string_view fieldText(std::string_view fieldName) const;
    // By field number (fieldIndex), for walks that read a field per row.
    std::string_view fieldText(std::size_t field) const;
    // The field number of a name; fails with "Das Feld ... wurde nicht gefunden".
    std::size_t fieldByName(std::string_view fieldName) const { return requireField(fieldName); }
    std::optional<std::string> fieldValue(std::string_view fieldName) const;

    // Bound controls
    void addObserver(DataSetObserver* observer);
    void removeObserver(DataSetObserver* observer);
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return disableCount_ > 0; }

    // Bookmarks
    Bookmark getBookmark() const;
    void gotoBookmark(const Bookmark& bookmark);
    void freeBookmark(Bookmark& bookmark);
    bool bookmarkValid(const Bookmark& bookmark) const;

private:
    // RowAccess, for the filter expression
    FieldValue value(std::size_t row, std::size_t field) const override { return rows_.value(row, field); }
    std::string_view sortKey(std::size_t row, std::size_t field) const override;
    const std::vector<std::string>& sortKeysOf(std::size_t field) const;
    std::string_view upperValue(std::size_t row, std::size_t field) const override;
    const Collator& collator() const override { return *collator_; }

    [[noreturn]] void fail(const std::string& message) const;
    void requireOpen() const;
    std::size_t requireField(std::string_view fieldName) const;

    void openFromPacket();
    void createPrimaryKey();
    void releaseWorkingTable();
    bool fieldOrdersLikeBytes(std::size_t field) const;
    // Compares two stored rows on some fields as the order by those fields does (defined in the
    // source file).
    class RowComparison;
    RowComparison comparisonFor(const std::vector<std::size_t>& fields) const;
    // The stretch of the order by the first bound's field that holds every row within the bounds;
    // a view into the cached order, valid until the orders are rebuilt.
    std::span<const std::uint32_t> candidateRows(const std::vector<FieldBound>& bounds);
    std::vector<std::size_t> parseIndexFields(std::string_view names) const;
    const std::vector<std::uint32_t>& orderFor(const std::vector<std::size_t>& fields);
    bool knownOrderServes(const std::vector<std::size_t>& fields) const;
    void compileFilter();
    void rebuildView(std::optional<std::uint32_t> keepRow);
    bool rowPasses(std::uint32_t row) const;

    void notifyDataChanged();
    void notifyRecordChanged();

    std::string name_;
    std::span<const std::byte> carriedBlock_;
    std::string savedPacket_;
    std::shared_ptr<const Collator> collator_;
    std::shared_ptr<const FilterCompiler> filterCompiler_;
    struct KnownOrder {
        std::string fieldNames;
        std::span<const std::uint32_t> rows;
        std::shared_ptr<const Collator> collator;
    };
    std::optional<KnownOrder> knownOrder_;

    // Settings that live while the table is closed
    std::string filterText_;
    bool filtered_ = false;
    bool rangeScan_ = true;
    std::string indexFieldNames_;

    // The working table, present while open
    bool open_ = false;
    PacketSchema schema_;
    RowStore rows_;
    bool rowsAsCarried_ = false; // read from the carried block, not from a saved packet
    std::vector<std::size_t> indexFields_;
    std::map<std::vector<std::size_t>, std::vector<std::uint32_t>> orders_;
    std::unique_ptr<RowPredicate> predicate_;
    std::vector<bool> passes_;                               // per stored row, valid while predicate_ is set
    mutable std::vector<std::vector<std::string>> sortKeys_; // per field, built on first need
    mutable std::vector<std::vector<std::string>> upperTexts_; // per field, built on first need
    enum ByteOrder : signed char { Unknown, Yes, No };
    mutable std::vector<ByteOrder> bytesOrdered_; // per field: do its values order like bytes?
    std::vector<std::uint32_t> view_;
    std::size_t cursor_ = 0;
    bool bof_ = true;
    bool eof_ = true;

    int disableCount_ = 0;
    std::vector<DataSetObserver*> observers_;
};

} // namespace kodexa
