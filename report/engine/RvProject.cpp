#include "RvProject.h"

#include "CarriedDefinition.h"
#include "DataConnection.h"
#include "ProjectBuilder.h"

#include <algorithm>

namespace kodexa::report {

TRvProject::TRvProject(QString name) : name_(std::move(name)) {}

void TRvProject::setDefinitionText(std::string utf8Text) {
    definitionText_ = std::move(utf8Text);
}

void TRvProject::addConnection(DataConnection& connection) {
    if (std::find(connections_.begin(), connections_.end(), &connection) == connections_.end())
        connections_.push_back(&connection);
}

void TRvProject::removeConnection(DataConnection& connection) {
    std::erase(connections_, &connection);
}

DataConnection* TRvProject::findConnection(const QString& connectionName) const {
    for (DataConnection* connection : connections_) {
        if (QString::fromUtf8(connection->name()).compare(connectionName, Qt::CaseInsensitive) == 0)
            return connection;
    }
    return nullptr;
}

void TRvProject::open() {
    if (definition_)
        return;
    definition_ = loadProject(definitionText_ ? *definitionText_ : carriedDefinitionText());
    activeReport_ = definition_->findReport(definition_->lastActiveReport, false);
}

void TRvProject::close() {
    activeReport_ = nullptr;
    definition_.reset();
}

const ProjectDefinition& TRvProject::definition() {
    open();
    return *definition_;
}

bool TRvProject::selectReport(const QString& reportName, bool byFullName) {
    const ReportDefinition* report = definition().findReport(reportName, byFullName);
    if (!report)
        return false;
    activeReport_ = report;
    return true;
}

void TRvProject::execute() {
    if (!engine_)
        throw ReportError(name_.toStdString() + ": no engine assigned");
    open();
    if (!activeReport_)
        throw ReportError(name_.toStdString() + ": no report selected");
    engine_->executeReport(*this);
}

GenerationResult TRvProject::generate(const QString& title, TextMeasurer& measurer,
                                      const PageStartedHandler& pageStarted) {
    open();
    if (!activeReport_)
        throw ReportError(name_.toStdString() + ": no report selected");
    const ConnectionLookup lookup = [this](const QString& connectionName) {
        return findConnection(connectionName);
    };
    return generateReport(*definition_, *activeReport_, title, lookup, measurer, pageStarted);
}

} // namespace kodexa::report
