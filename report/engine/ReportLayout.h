#pragma once

#include "PageStore.h"
#include "ReportDefinition.h"
#include "TextMeasurer.h"

#include <QString>

#include <functional>
#include <stdexcept>

namespace kodexa::report {

class DataConnection;

// A report that cannot run as defined against the data it finds.
class ReportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The connection that a data view names, or nullptr.
using ConnectionLookup = std::function<DataConnection*(const QString& connectionName)>;
// Told each time a page is begun, numbered from 1; returning false stops generation.
using PageStartedHandler = std::function<bool(int pageNumber)>;

struct GenerationResult {
    PageStore pages;
    std::vector<std::size_t> dataRowsPerPage; // records printed by data bands, per page
    bool cancelled = false;
};

// Lays the report out into pages. The bands of a page's region are stacked from its top: a plain
// band where the sequence reaches it (poFirst) and again at the top of each new page (poNewPage), a
// data band once per record of its view. A band that does not fit in what is left of the region
// goes whole to the next page; on a fresh page it is placed even if it is taller than the region,
// so that no record is lost and the walk ends. A memo holds as many lines as its box has room for,
// at least one, and grows its band by one line spacing for every further line. Only the data views
// that data bands use are opened; every opened connection is restored, also after a cancel or an
// error.
GenerationResult generateReport(const ProjectDefinition& project, const ReportDefinition& report,
                                const QString& title, const ConnectionLookup& connections,
                                TextMeasurer& measurer, const PageStartedHandler& pageStarted);

} // namespace kodexa::report
