#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace kodexa::report {

struct SaveChoice {
    QString fileName;
    int filterIndex = 0; // of the name filters offered
};

// What the preview asks of the user beyond its own controls, and how it reports a failure. Tests
// answer in place of a person.
class PreviewPrompts {
public:
    virtual ~PreviewPrompts() = default;
    // An existing file, or an empty name when the user cancels.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QStringList& nameFilters,
                                 const QString& defaultSuffix) = 0;
    // Asks before overwriting a file; std::nullopt when the user cancels.
    virtual std::optional<SaveChoice> saveFileName(QWidget* parent, const QString& caption,
                                                   const QStringList& nameFilters) = 0;
    // The text the user typed, or std::nullopt when cancelled.
    virtual std::optional<QString> inputText(QWidget* parent, const QString& caption, const QString& prompt,
                                             const QString& defaultText) = 0;
    // The application's default error report.
    virtual void showError(QWidget* parent, const QString& message) = 0;
};

// The standard file dialogs, input box and error box.
class StandardPreviewPrompts final : public PreviewPrompts {
public:
    QString openFileName(QWidget* parent, const QString& caption, const QStringList& nameFilters,
                         const QString& defaultSuffix) override;
    std::optional<SaveChoice> saveFileName(QWidget* parent, const QString& caption,
                                           const QStringList& nameFilters) override;
    std::optional<QString> inputText(QWidget* parent, const QString& caption, const QString& prompt,
                                     const QString& defaultText) override;
    void showError(QWidget* parent, const QString& message) override;
};

// The suffix of the first pattern of a name filter ("PDF Files (*.pdf)" gives "pdf"); empty when
// the pattern has none.
QString suffixOfNameFilter(const QString& nameFilter);

} // namespace kodexa::report
