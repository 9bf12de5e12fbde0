#include "ClientDataSet.h"

#include "Collation.h"
#include "Cp1252.h"
#include "DatabaseError.h"
#include "FilterLanguage.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace kodexa {

// A table compares text by the user's locale and reads filters in the program's filter language
// unless told otherwise. The collation is built when a comparison first needs it.
TClientDataSet::TClientDataSet(std::string name)
    : name_(std::move(name)), collator_(userTableCollator()), filterCompiler_(filterLanguage()) {}

TClientDataSet::~TClientDataSet() = default;

void TClientDataSet::fail(const std::string& message) const {
    throw DatabaseError(name_ + ": " + message);
}

void TClientDataSet::requireOpen() const {
    if (!open_)
        fail("Operation für eine geschlossene Datenmenge nicht möglich");
}

std::optional<std::size_t> TClientDataSet::fieldIndex(std::string_view name) const {
    if (!open_)
        return std::nullopt;
    return schema_.columnIndex(name);
}

std::size_t TClientDataSet::requireField(std::string_view fieldName) const {
    const std::optional<std::size_t> index = fieldIndex(fieldName);
    if (!index)
        fail("Das Feld '" + cp1252::toUtf8(fieldName) + "' wurde nicht gefunden");
    return *index;
}

void TClientDataSet::setCarriedBlock(std::span<const std::byte> block) {
    carriedBlock_ = block;
}

void TClientDataSet::setCollator(std::shared_ptr<const Collator> collator) {
    // The compiled filter keeps the old collator's address for the keys of its constants: it goes
    // before the collator does.
    const bool wasFiltered = predicate_ != nullptr;
    predicate_.reset();
    collator_ = collator ? std::move(collator) : std::make_shared<BinaryCollator>();
    sortKeys_.assign(schema_.columns.size(), {});
    bytesOrdered_.clear();
    orders_.clear();
    if (!open_)
        return;
    const std::optional<std::uint32_t> current = view_.empty() ? std::nullopt : std::optional(view_[cursor_]);
    if (wasFiltered)
        compileFilter(); // comparisons depend on the collation
    rebuildView(current);
    notifyDataChanged();
}

void TClientDataSet::setKnownOrder(std::string_view fieldNames, std::span<const std::uint32_t> rows,
                                   std::shared_ptr<const Collator> collator) {
    knownOrder_ = KnownOrder{std::string(fieldNames), rows, std::move(collator)};
    orders_.clear(); // from the next order asked for; the view in hand stays as it is
}

void TClientDataSet::setFilterCompiler(std::shared_ptr<const FilterCompiler> compiler) {
    filterCompiler_ = std::move(compiler);
}

// ---- Comparing rows as an order does ----------------------------------------------------------

class TClientDataSet::RowComparison {
public:
    RowComparison(const RowStore& rows, std::vector<std::size_t> fields, bool byBytes,
                  std::vector<const std::vector<std::string>*> keys)
        : rows_(rows), fields_(std::move(fields)), byBytes_(byBytes), keys_(std::move(keys)) {}

    int operator()(std::uint32_t left, std::uint32_t right) const {
        for (std::size_t index = 0; index < fields_.size(); ++index) {
            const int order = compareField(index, left, right);
            if (order != 0)
                return order;
        }
        return 0;
    }

private:
    int compareField(std::size_t index, std::uint32_t left, std::uint32_t right) const {
        if (byBytes_) {
            const std::size_t field = fields_[index];
            return rows_.value(left, field)
                .value_or(std::string_view())
                .compare(rows_.value(right, field).value_or(std::string_view()));
        }
        return (*keys_[index])[left].compare((*keys_[index])[right]);
    }

    const RowStore& rows_;
    std::vector<std::size_t> fields_;
    bool byBytes_;
    std::vector<const std::vector<std::string>*> keys_;
};

TClientDataSet::RowComparison TClientDataSet::comparisonFor(const std::vector<std::size_t>& fields) const {
    const bool byBytes = std::all_of(fields.begin(), fields.end(),
                                     [this](std::size_t field) { return fieldOrdersLikeBytes(field); });
    // The keys of every field are looked up once, not per comparison.
    std::vector<const std::vector<std::string>*> keys;
    if (!byBytes) {
        for (std::size_t field : fields)
            keys.push_back(&sortKeysOf(field));
    }
    return RowComparison(rows_, fields, byBytes, std::move(keys));
}

// ---- Active ---------------------------------------------------------------------------------

void TClientDataSet::setActive(bool active) {
    if (active == open_)
        return;
    if (active) {
        openFromPacket();
    } else {
        // The rows go into the saved packet, all of them, in the current index order; a filter
        // only hides rows from the view and must not lose them.
        const std::vector<std::uint32_t>& order = orderFor(indexFields_);
        savedPacket_ = writePacket(schema_, rows_, order);
        releaseWorkingTable();
    }
    notifyDataChanged();
}

void TClientDataSet::openFromPacket() {
    DataPacket packet;
    try {
        rowsAsCarried_ = savedPacket_.empty();
        if (!savedPacket_.empty())
            packet = readPacket(asBytes(savedPacket_));
        else if (!carriedBlock_.empty())
            packet = readBlock(carriedBlock_);
        else
            fail("Fehlender Daten-Provider oder Datenpaket");
    } catch (const PacketError& error) {
        fail(error.what());
    }
    schema_ = std::move(packet.schema);
    rows_ = std::move(packet.rows);
    sortKeys_.assign(schema_.columns.size(), {});
    upperTexts_.assign(schema_.columns.size(), {});
    open_ = true;
    try {
        createPrimaryKey();
        indexFields_ = parseIndexFields(indexFieldNames_);
        if (filtered_ && !filterText_.empty())
            compileFilter();
    } catch (...) {
        releaseWorkingTable();
        throw;
    }
    rebuildView(std::nullopt);
}

// PRIMARY_KEY: unique on the packet's key fields. Keys are equal as the order by them compares
// them, so texts that differ only in characters the collation ignores are one key.
void TClientDataSet::createPrimaryKey() {
    std::vector<std::size_t> fields;
    for (std::size_t number : schema_.primaryKey())
        fields.push_back(number - 1); // counted from 1; the reader refuses numbers out of range
    if (fields.empty())
        return;
    const RowComparison compare = comparisonFor(fields);
    // The carried list is stored in strictly ascending key order: one pass over it proves the key
    // unique and is the order by the key, which the view (in code order) then takes as it is.
    std::size_t row = 1;
    while (row < rows_.rowCount() &&
           compare(static_cast<std::uint32_t>(row - 1), static_cast<std::uint32_t>(row)) < 0)
        ++row;
    if (row >= rows_.rowCount()) {
        std::vector<std::uint32_t> stored(rows_.rowCount());
        std::iota(stored.begin(), stored.end(), 0U);
        orders_.emplace(fields, std::move(stored));
        return;
    }
    // Otherwise rows that share a key stand side by side in the order by the key.
    const std::vector<std::uint32_t>& order = orderFor(fields);
    const auto duplicate =
        std::adjacent_find(order.begin(), order.end(), [&](std::uint32_t left, std::uint32_t right) {
            return compare(left, right) == 0;
        });
    if (duplicate == order.end())
        return;
    // The value as the message shows it: the key's fields joined, cut where a foreign packet
    // would make the message unreadable.
    constexpr std::size_t ShownLength = 60;
    std::string value;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            value += "; ";
        value += rows_.value(*duplicate, fields[i]).value_or(std::string_view());
    }
    if (value.size() > ShownLength)
        value = value.substr(0, ShownLength) + "...";
    fail("Schlüsselverletzung: Der Wert '" + cp1252::toUtf8(value) +
         "' kommt im Index PRIMARY_KEY mehrfach vor");
}

void TClientDataSet::releaseWorkingTable() {
    open_ = false;
    schema_ = {};
    rows_ = RowStore();
    indexFields_.clear();
    orders_.clear();
    predicate_.reset();
    passes_.clear();
    sortKeys_.clear();
    upperTexts_.clear();
    bytesOrdered_.clear();
    view_.clear();
    cursor_ = 0;
    bof_ = true;
    eof_ = true;
}

// ---- Filter -----------------------------------------------------------------------------------

void TClientDataSet::compileFilter() {
    predicate_.reset();
    passes_.clear();
    if (!filterCompiler_)
        fail("Für diese Datenmenge ist keine Filtersprache eingerichtet");
    std::unique_ptr<RowPredicate> predicate;
    try {
        predicate = filterCompiler_->compile(filterText_, *this);
    } catch (const UnknownFieldError& error) {
        fail("Das Feld '" + cp1252::toUtf8(error.fieldName()) + "' wurde nicht gefunden");
    }
    const std::size_t count = rows_.rowCount();
    passes_.assign(count, false);
    const std::vector<FieldBound> bounds = rangeScan_ ? predicate->bounds() : std::vector<FieldBound>();
    if (bounds.empty()) {
        for (std::size_t row = 0; row < count; ++row)
            passes_[row] = predicate->matches(*this, row);
    } else {
        for (std::uint32_t row : candidateRows(bounds))
            passes_[row] = predicate->matches(*this, row);
    }
    predicate_ = std::move(predicate);
}

std::span<const std::uint32_t> TClientDataSet::candidateRows(const std::vector<FieldBound>& bounds) {
    // Every passing row lies between the bounds on one field: only the rows of that stretch of the
    // order by the field need testing, as an index would serve the range.
    const std::size_t field = bounds.front().field;
    const std::vector<std::uint32_t>& order = orderFor({field});
    const bool fieldByBytes = fieldOrdersLikeBytes(field);
    auto begin = order.begin();
    auto end = order.end();
    for (const FieldBound& bound : bounds) {
        if (bound.field != field)
            continue;
        const bool byBytes = fieldByBytes && collator_->ordersLikeBytes(bound.text);
        const std::string key = byBytes ? std::string() : collator_->sortKey(bound.text);
        const auto orderAgainst = [&](std::uint32_t row) {
            if (byBytes)
                return rows_.value(row, field).value_or(std::string_view()).compare(bound.text);
            return sortKeysOf(field)[row].compare(key);
        };
        // The order by the field puts first the rows that fail a lower bound, then those that meet
        // it; for an upper bound first the rows that meet it, then those that fail it. A row equal
        // to the constant meets an inclusive bound of either kind.
        const auto failsLower = [&](std::uint32_t row) {
            const int order = orderAgainst(row);
            return bound.inclusive ? order < 0 : order <= 0;
        };
        const auto meetsUpper = [&](std::uint32_t row) {
            const int order = orderAgainst(row);
            return bound.inclusive ? order <= 0 : order < 0;
        };
        if (bound.lower)
            begin = std::partition_point(begin, end, failsLower);
        else
            end = std::partition_point(begin, end, meetsUpper);
    }
    return {begin, end};
}

void TClientDataSet::setFilter(std::string_view text) {
    const bool changed = text != filterText_;
    filterText_ = text;
    if (!open_)
        return;
    if (filtered_ && changed)
        setFiltered(true);
    else
        first();
}

void TClientDataSet::setFiltered(bool filtered) {
    if (!open_) {
        filtered_ = filtered;
        return;
    }
    predicate_.reset();
    passes_.clear();
    filtered_ = false;
    if (filtered && !filterText_.empty()) {
        try {
            compileFilter();
        } catch (...) {
            // A rejected expression leaves filtering off and every row in view; the text stays.
            rebuildView(std::nullopt);
            notifyDataChanged();
            throw;
        }
    }
    filtered_ = filtered;
    rebuildView(std::nullopt);
    notifyDataChanged();
}

bool TClientDataSet::rowPasses(std::uint32_t row) const {
    return !predicate_ || passes_[row];
}

// ---- Order ------------------------------------------------------------------------------------

std::vector<std::size_t> TClientDataSet::parseIndexFields(std::string_view names) const {
    std::vector<std::size_t> fields;
    while (!names.empty()) {
        const std::size_t separator = names.find(';');
        const std::string_view name = names.substr(0, separator);
        if (!name.empty())
            fields.push_back(requireField(name));
        if (separator == std::string_view::npos)
            break;
        names.remove_prefix(separator + 1);
    }
    return fields;
}

bool TClientDataSet::fieldOrdersLikeBytes(std::size_t field) const {
    if (bytesOrdered_.size() != rows_.columnCount())
        bytesOrdered_.assign(rows_.columnCount(), Unknown);
    if (bytesOrdered_[field] == Unknown) {
        bool likeBytes = true;
        for (std::size_t row = 0; row < rows_.rowCount() && likeBytes; ++row) {
            const FieldValue value = rows_.value(row, field);
            likeBytes = !value || collator_->ordersLikeBytes(*value);
        }
        bytesOrdered_[field] = likeBytes ? Yes : No;
    }
    return bytesOrdered_[field] == Yes;
}

const std::vector<std::uint32_t>& TClientDataSet::orderFor(const std::vector<std::size_t>& fields) {
    auto cached = orders_.find(fields);
    if (cached != orders_.end())
        return cached->second;

    if (knownOrderServes(fields)) {
        const std::span<const std::uint32_t> known = knownOrder_->rows;
        return orders_.emplace(fields, std::vector<std::uint32_t>(known.begin(), known.end())).first->second;
    }
    std::vector<std::uint32_t> order(rows_.rowCount());
    std::iota(order.begin(), order.end(), 0U);
    const RowComparison compare = comparisonFor(fields);
    const auto less = [&](std::uint32_t left, std::uint32_t right) { return compare(left, right) < 0; };
    // Stable over the stored order: equal keys keep the row stored first in front. The carried
    // list is stored in code order, so the common case is a check, not a sort.
    if (!fields.empty() && !std::is_sorted(order.begin(), order.end(), less))
        std::stable_sort(order.begin(), order.end(), less);
    return orders_.emplace(fields, std::move(order)).first->second;
}

bool TClientDataSet::knownOrderServes(const std::vector<std::size_t>& fields) const {
    if (!knownOrder_ || !rowsAsCarried_ || knownOrder_->collator != collator_ || fields.empty() ||
        knownOrder_->rows.size() != rows_.rowCount())
        return false;
    // A name the packet lacks, or another field list, is simply not this order.
    std::vector<std::size_t> known;
    try {
        known = parseIndexFields(knownOrder_->fieldNames);
    } catch (const DatabaseError&) {
        return false;
    }
    if (known != fields)
        return false;
    // Each row exactly once, or the order would lose or repeat rows.
    std::vector<bool> seen(rows_.rowCount());
    for (std::uint32_t row : knownOrder_->rows) {
        if (row >= seen.size() || seen[row])
            return false;
        seen[row] = true;
    }
    return true;
}

void TClientDataSet::setIndexFieldNames(std::string_view names) {
    if (names == indexFieldNames_)
        return;
    if (!open_) {
        indexFieldNames_ = names;
        return;
    }
    std::vector<std::size_t> fields = parseIndexFields(names);
    indexFieldNames_ = names;
    indexFields_ = std::move(fields);
    const std::optional<std::uint32_t> current = view_.empty() ? std::nullopt : std::optional(view_[cursor_]);
    rebuildView(current);
    notifyDataChanged();
}

void TClientDataSet::rebuildView(std::optional<std::uint32_t> keepRow) {
    const std::vector<std::uint32_t>& order = orderFor(indexFields_);
    view_.clear();
    if (!predicate_) {
        view_ = order;
    } else {
        view_.reserve(order.size());
        for (std::uint32_t row : order) {
            if (passes_[row])
                view_.push_back(row);
        }
    }
    cursor_ = 0;
    bof_ = true;
    eof_ = view_.empty();
    if (!keepRow)
        return;
    const auto found = std::find(view_.begin(), view_.end(), *keepRow);
    if (found == view_.end())
        return;
    cursor_ = static_cast<std::size_t>(found - view_.begin());
    bof_ = false;
    eof_ = false;
}

// ---- Caches for the filter --------------------------------------------------------------------

const std::vector<std::string>& TClientDataSet::sortKeysOf(std::size_t field) const {
    std::vector<std::string>& keys = sortKeys_[field];
    if (keys.size() != rows_.rowCount()) {
        keys.resize(rows_.rowCount());
        for (std::size_t row = 0; row < keys.size(); ++row) {
            const FieldValue value = rows_.value(row, field);
            keys[row] = value ? collator_->sortKey(*value) : std::string();
        }
    }
    return keys;
}

std::string_view TClientDataSet::sortKey(std::size_t row, std::size_t field) const {
    return sortKeysOf(field)[row];
}

std::string_view TClientDataSet::upperValue(std::size_t row, std::size_t field) const {
    std::vector<std::string>& texts = upperTexts_[field];
    if (texts.size() != rows_.rowCount()) {
        texts.resize(rows_.rowCount());
        for (std::size_t i = 0; i < texts.size(); ++i)
            texts[i] = cp1252::toUpper(rows_.value(i, field).value_or(std::string_view()));
    }
    return texts[row];
}

// ---- Navigation -------------------------------------------------------------------------------

void TClientDataSet::first() {
    requireOpen();
    cursor_ = 0;
    bof_ = true;
    eof_ = view_.empty();
    notifyRecordChanged();
}

void TClientDataSet::last() {
    requireOpen();
    cursor_ = view_.empty() ? 0 : view_.size() - 1;
    bof_ = view_.empty();
    eof_ = true;
    notifyRecordChanged();
}

void TClientDataSet::next() {
    requireOpen();
    if (cursor_ + 1 < view_.size()) {
        ++cursor_;
        bof_ = false;
        eof_ = false;
        notifyRecordChanged();
        return;
    }
    eof_ = true;
    bof_ = view_.empty();
}

void TClientDataSet::prior() {
    requireOpen();
    if (cursor_ > 0 && !view_.empty()) {
        --cursor_;
        bof_ = false;
        eof_ = false;
        notifyRecordChanged();
        return;
    }
    bof_ = true;
    eof_ = view_.empty();
}

std::optional<std::size_t> TClientDataSet::recNo() const {
    if (!open_ || view_.empty())
        return std::nullopt;
    return cursor_;
}

void TClientDataSet::setRecNo(std::size_t position) {
    requireOpen();
    if (position >= view_.size() || (position == cursor_ && !eof_ && !bof_))
        return;
    cursor_ = position;
    bof_ = false;
    eof_ = false;
    notifyRecordChanged();
}

// ---- Fields -----------------------------------------------------------------------------------

std::optional<std::string> TClientDataSet::fieldValue(std::string_view fieldName) const {
    const std::size_t field = requireField(fieldName);
    if (view_.empty())
        return std::nullopt;
    const FieldValue value = rows_.value(view_[cursor_], field);
    if (!value)
        return std::nullopt;
    return std::string(*value);
}

std::string TClientDataSet::fieldAsString(std::string_view fieldName) const {
    return std::string(fieldText(fieldName));
}

std::string_view TClientDataSet::fieldText(std::string_view fieldName) const {
    return fieldText(requireField(fieldName));
}

std::string_view TClientDataSet::fieldText(std::size_t field) const {
    if (view_.empty() || field >= rows_.columnCount())
        return {};
    return rows_.value(view_[cursor_], field).value_or(std::string_view());
}

// ---- Bound controls ---------------------------------------------------------------------------

void TClientDataSet::addObserver(DataSetObserver* observer) {
    if (observer != nullptr && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void TClientDataSet::removeObserver(DataSetObserver* observer) {
    std::erase(observers_, observer);
}

void TClientDataSet::disableControls() {
    ++disableCount_;
}

void TClientDataSet::enableControls() {
    if (disableCount_ == 0)
        return;
    if (--disableCount_ == 0)
        notifyDataChanged();
}

void TClientDataSet::notifyDataChanged() {
    if (disableCount_ > 0 || observers_.empty())
        return;
    const std::vector<DataSetObserver*> observers = observers_; // an observer may unbind itself
    for (DataSetObserver* observer : observers)
        observer->dataSetChanged(*this);
}

void TClientDataSet::notifyRecordChanged() {
    if (disableCount_ > 0 || observers_.empty())
        return;
    const std::vector<DataSetObserver*> observers = observers_;
    for (DataSetObserver* observer : observers)
        observer->recordChanged(*this);
}

// ---- Bookmarks --------------------------------------------------------------------------------

Bookmark TClientDataSet::getBookmark() const {
    if (!open_ || view_.empty())
        return Bookmark();
    return Bookmark(view_[cursor_]);
}

bool TClientDataSet::bookmarkValid(const Bookmark& bookmark) const {
    return open_ && bookmark.row_ && std::find(view_.begin(), view_.end(), *bookmark.row_) != view_.end();
}

void TClientDataSet::gotoBookmark(const Bookmark& bookmark) {
    requireOpen();
    if (!bookmark.row_)
        fail("Ungültiges Lesezeichen");
    const auto found = std::find(view_.begin(), view_.end(), *bookmark.row_);
    if (found == view_.end())
        fail("Datensatz nicht gefunden");
    cursor_ = static_cast<std::size_t>(found - view_.begin());
    bof_ = false;
    eof_ = false;
    notifyRecordChanged();
}

void TClientDataSet::freeBookmark(Bookmark& bookmark) {
    bookmark.row_.reset();
}

} // namespace kodexa
