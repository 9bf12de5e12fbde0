#pragma once

#include "CodeRowList.h"
#include "KeywordIndex.h"

#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QTimer;
class QTreeWidget;

namespace kodexa {

class CodeCopyCommands;

// The page "Stichwortsuche": words typed into "Stichwörter" find codes by the ranked keyword
// search, best first, as the typing goes on; a line says how many. The arrow keys lead from the
// input into the results; Enter or a double-click on a result asks for its code in the tree
// (openInTree), Ctrl+C and Ctrl+Shift+C copy it as the grid does.
class KeywordSearchPage final : public QWidget {
    Q_OBJECT
public:
    // The most results the page shows.
    static constexpr std::size_t ResultLimit = 200;

    explicit KeywordSearchPage(QWidget* parent = nullptr);

    QLabel* WordsLabel = nullptr;
    QLineEdit* WordsEdit = nullptr;
    QLabel* CountLabel = nullptr;
    CodeRowList* Results = nullptr;
    CodeCopyCommands* ResultCopy = nullptr;

    // Searches for what the input holds now and shows the results.
    void search();
    // The code of the current result; empty without one.
    std::string currentCode() const;
    // What the count line says for a number of results (empty words: nothing).
    // What the count line says: how many codes meet the words, and how many of them the list shows
    // where that is fewer.
    static QString countText(std::size_t found, std::size_t shown);

signals:
    void openInTree(const std::string& code);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void showResults();
    void announceCount();
    void openCurrent();

    std::vector<keyword::KeywordHit> hits_;
    std::size_t found_ = 0;
    // The count is told to a screen reader once the typing pauses, not at every key.
    QTimer* announcement_ = nullptr;
};

} // namespace kodexa
