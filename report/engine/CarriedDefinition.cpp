#include "CarriedDefinition.h"

#include <QFile>

#include <stdexcept>

namespace kodexa::report {

std::string carriedDefinitionText() {
    QFile file(QStringLiteral(":/kodexa/report/CodeListReport.rav"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::logic_error("the carried report definition is missing from the program");
    return file.readAll().toStdString();
}

} // namespace kodexa::report
