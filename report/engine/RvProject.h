#pragma once

#include "ReportDefinition.h"
#include "ReportLayout.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace kodexa::report {

class DataConnection;
class TRvProject;

// What runs a project's active report: generates its pages and sends them where they go.
class ReportEngine {
public:
    virtual ~ReportEngine() = default;
    virtual void executeReport(TRvProject& project) = 0;
};

// The report project (TRvProject): holds the definition, loaded once on first need, the active
// report and the data connections its data views name.
class TRvProject {
public:
    explicit TRvProject(QString name = QStringLiteral("RvProject1"));
    TRvProject(const TRvProject&) = delete;
    TRvProject& operator=(const TRvProject&) = delete;

    const QString& name() const { return name_; }

    void setEngine(ReportEngine* engine) { engine_ = engine; }
    ReportEngine* engine() const { return engine_; }

    // The definition text that open() loads; the carried one unless replaced before opening.
    void setDefinitionText(std::string utf8Text);

    // Connections are found by name, without regard to case; they must outlive the project's use.
    void addConnection(DataConnection& connection);
    void removeConnection(DataConnection& connection);
    DataConnection* findConnection(const QString& connectionName) const;

    bool active() const { return definition_.has_value(); }
    // Loads the definition; does nothing when it is loaded. The last active report becomes active.
    void open();
    void close();
    const ProjectDefinition& definition();

    // Opens the project if needed. Returns whether a report of that name exists; only then does the
    // active report change.
    bool selectReport(const QString& reportName, bool byFullName);
    const ReportDefinition* activeReport() const { return activeReport_; }

    // Runs the active report through the engine.
    void execute();

    // Lays out the active report over the connections; what an engine calls.
    GenerationResult generate(const QString& title, TextMeasurer& measurer,
                              const PageStartedHandler& pageStarted);

private:
    QString name_;
    ReportEngine* engine_ = nullptr;
    std::optional<std::string> definitionText_;
    std::optional<ProjectDefinition> definition_;
    const ReportDefinition* activeReport_ = nullptr;
    std::vector<DataConnection*> connections_;
};

} // namespace kodexa::report
