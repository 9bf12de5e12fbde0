#include "ReportComponents.h"

namespace kodexa::report {

ReportComponents::ReportComponents(TClientDataSet& ClientDataSet1) {
    RvProject1.setEngine(&RvSystem1);
    RvProject1.addConnection(RvDataSetConnection1);
    RvDataSetConnection1.setDataSet(&ClientDataSet1);

    SystemSettings& settings = RvSystem1.settings();
    settings.defaultDest = ReportDest::Preview;
    settings.systemOptions = SystemOption::ShowStatus | SystemOption::AllowPrintFromPreview |
                             SystemOption::AllowSaveFromPreview | SystemOption::PreviewModal;
    settings.titleSetup = QStringLiteral("Ausgabeoptionen");
    settings.titleStatus = QStringLiteral("Report Status");
    settings.titlePreview = QStringLiteral("Vorschau");
    settings.systemPrinter.statusFormat = QStringLiteral("Drucke Seite %p");
    settings.systemFiler.statusFormat = QStringLiteral("Drucke Seite %p");
    settings.systemPrinter.title = QStringLiteral("Ausdruck CPV-Liste");
    settings.systemPrinter.units = Units::MM;
    settings.systemPrinter.unitsFactor = 25.4;
    settings.systemPrinter.scaleX = 100;
    settings.systemPrinter.scaleY = 100;
    settings.systemPrinter.copies = 1;
    settings.systemPrinter.firstPage = 1;
    settings.systemPrinter.lastPage = 9999;
    settings.systemPreview.zoomFactor = 100;
    settings.systemPreview.zoomInc = 10;
    settings.systemPreview.formWidth = 615;
    settings.systemPreview.formHeight = 450;
    settings.systemPreview.formState = FormState::Normal;
    settings.systemPreview.shadowDepth = 0;

    RvRenderPreview1.setZoomFactor(100);
    RvRenderPreview1.setShadowDepth(0);
}

void runCodeListReport(ReportComponents& components, QWidget* owner) {
    TRvSystem& system = components.RvSystem1;
    system.setDefaultDest(ReportDest::Preview);
    system.setDoNativeOutput(false);
    system.setRenderObject(&components.RvRenderPreview1);
    system.settings().systemSetups &= ~SystemSetups(SystemSetup::AllowSetup);
    system.setWindowParent(owner);

    components.RvProject1.selectReport(QStringLiteral("Report2"), false);
    components.RvProject1.execute();
}

} // namespace kodexa::report
