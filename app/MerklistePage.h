#pragma once

#include "CodeRowList.h"
#include "Merkliste.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QLabel;
class QPushButton;

namespace kodexa {

// The page "Merkliste": the collected codes in the order added, each with its term, kind of
// contract and role; a line above them where the kinds are mixed, and one where the list cannot be
// kept. Every command changes the list through the model and tells listChanged; the window keeps
// the file. Enter or a double-click asks for the code in the tree (openInTree).
class MerklistePage final : public QWidget {
    Q_OBJECT
public:
    explicit MerklistePage(merkliste::Merkliste& list, QWidget* parent = nullptr);

    QLabel* KindsLine = nullptr;
    QLabel* ProblemLine = nullptr;
    CodeRowList* Entries = nullptr;
    QPushButton* MainButton = nullptr;
    QPushButton* RemoveButton = nullptr;
    QPushButton* UpButton = nullptr;
    QPushButton* DownButton = nullptr;
    QPushButton* PasteButton = nullptr;
    QPushButton* CopyButton = nullptr;
    QPushButton* ExportButton = nullptr;
    // The outcome of the last paste or export: what was added and what could not be taken.
    QLabel* PasteLine = nullptr;
    // Shows the text "Codes einfügen …" starts from (the clipboard's) to be looked over and changed;
    // the text to paste, or none for a cancel (tests answer it themselves).
    std::function<std::optional<QString>(const QString&)> AskPastedText;

    // Shows the list as the model holds it, keeping the entry at `current` current.
    void showList(int current = -1);
    // Tells, once and until it changes, why the list is not kept in its file.
    void showProblem(const QString& problem);

    void makeCurrentMain();
    void removeCurrent();
    void moveCurrent(int by);
    void copyCurrentCode();
    void copyWholeList();
    // Ctrl+V: the clipboard's text as it is; "Codes einfügen …": that text looked over first.
    void pasteFromClipboard();
    void pasteThroughDialog();
    // Shows an outcome below the list and tells it to screen readers.
    void showOutcome(const QString& outcome);
    // The kinds line's text when the list has begun to mix kinds since last asked, for the
    // outcome that made it so; empty otherwise.
    QString takeKindsNote();
    // The code of the current entry; empty without one.
    std::string currentCode() const;

signals:
    void listChanged();
    void openInTree(const std::string& code);
    void exportRequested();
    // A text to read codes from; empty where the clipboard held no text.
    void pasteRequested(const QString& text);

private:
    void createControls();
    // Changes the list at the current entry, if there is one; the change gives the entry to keep
    // current afterwards, or nothing when the list stayed as it was.
    void changeCurrent(const std::function<std::optional<std::size_t>(std::size_t)>& change);
    void connectCommands();
    int currentRow() const;
    void updateButtons();
    void tell(const QString& outcome);
    std::optional<QString> askPastedText(const QString& clipboard);

    merkliste::Merkliste& list_;
    bool kindsToldMixed_ = false;
};

} // namespace kodexa
