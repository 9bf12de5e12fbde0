#pragma once

#include "Merkliste.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QLabel;
class QPushButton;
class QTreeWidget;

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
    QTreeWidget* Entries = nullptr;
    QPushButton* MainButton = nullptr;
    QPushButton* RemoveButton = nullptr;
    QPushButton* UpButton = nullptr;
    QPushButton* DownButton = nullptr;
    QPushButton* CopyButton = nullptr;
    QPushButton* ExportButton = nullptr;

    // Shows the list as the model holds it, keeping the entry at `current` current.
    void showList(int current = -1);
    // Tells, once and until it changes, why the list is not kept in its file.
    void showProblem(const QString& problem);

    void makeCurrentMain();
    void removeCurrent();
    void moveCurrent(int by);
    void copyCurrentCode();
    void copyWholeList();

signals:
    void listChanged();
    void openInTree(const std::string& code);
    void exportRequested();

private:
    void createControls();
    // Changes the list at the current entry, if there is one; the change gives the entry to keep
    // current afterwards, or nothing when the list stayed as it was.
    void changeCurrent(const std::function<std::optional<std::size_t>(std::size_t)>& change);
    void connectCommands();
    int currentRow() const;
    void updateButtons();

    merkliste::Merkliste& list_;
};

} // namespace kodexa
