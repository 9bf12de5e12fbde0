#pragma once

#include "DataSetConnection.h"
#include "RvProject.h"
#include "RvRenderPreview.h"
#include "RvSystem.h"

class QWidget;

namespace kodexa {
class TClientDataSet;
}

namespace kodexa::report {

// The report components that the main window owns for its whole life, wired and set as the main
// window stores them: the project over the carried definition, its engine, the data connection
// over the table view and the preview renderer.
struct ReportComponents {
    explicit ReportComponents(TClientDataSet& ClientDataSet1);
    ReportComponents(const ReportComponents&) = delete;
    ReportComponents& operator=(const ReportComponents&) = delete;

    TRvSystem RvSystem1{QStringLiteral("RvSystem1")};
    TRvProject RvProject1{QStringLiteral("RvProject1")};
    TRvDataSetConnection RvDataSetConnection1{"RvDataSetConnection1"};
    TRvRenderPreview RvRenderPreview1{QStringLiteral("RvRenderPreview1")};
};

// The print run of "D&rucken": prepares RvSystem1 for the preview, selects "Report2" and executes
// it. Returns when the preview window has been closed (at once after a cancel); the table is
// back on its record, filter and order either way.
void runCodeListReport(ReportComponents& components, QWidget* owner);

} // namespace kodexa::report
