#pragma once

#include "ClientDataSet.h"
#include "Merkliste.h"
#include "ReportComponents.h"
#include "TreeNodes.h"

#include <QMainWindow>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace kodexa {

namespace tree {
class ProgressIndicator;
}

class CodeCopyCommands;
struct CopiedRecord;
class KeywordSearchPage;
class MerklisteFile;
class MerklistePage;
class SystemClock;
class TDataSource;
class TDBGrid;

// The main window: the table page with search and sort, the tree page, the menu, the status bar.
// Its handlers are the only entry points into the rest of the program.
class TDlgSearchCPV final : public QMainWindow {
    Q_OBJECT
public:
    // The clock drives the start-up splash's wait; tests and benchmarks pass one that does not sleep.
    explicit TDlgSearchCPV(SystemClock* clock = nullptr, QWidget* parent = nullptr);
    ~TDlgSearchCPV() override;

    // Members, in the order of the window definition
    TClientDataSet ClientDataSet1{"ClientDataSet1"};
    TDataSource* DataSource1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    TDBGrid* DBGrid1 = nullptr;
    QWidget* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QWidget* Panel2 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    TClientDataSet QueryCPVTree{"QueryCPVTree"};
    QMenu* Datei1 = nullptr;
    QAction* Beenden1 = nullptr;
    QAction* MenuAbout = nullptr;
    // RvProject1, RvDataSetConnection1, RvRenderPreview1, RvSystem1 over ClientDataSet1
    report::ReportComponents RaveComponents{ClientDataSet1};
    // Copying the current row's code or the selected node's, alone or with its description
    CodeCopyCommands* GridCopy = nullptr;
    CodeCopyCommands* TreeCopy = nullptr;
    // "In Baumansicht anzeigen" in the grid's context menu, Ctrl+Enter: the double-click's command
    QAction* GridShowInTree = nullptr;
    // The page "Stichwortsuche", after the table and the tree
    KeywordSearchPage* KeywordPage = nullptr;
    // The codes collected for one purchase, and their page after the keyword search
    merkliste::Merkliste Merkliste;
    MerklistePage* MerklisteTab = nullptr;
    // Asks where to export the Merkliste; empty for a cancel (tests answer it themselves).
    std::function<QString()> AskExportFileName;

    // State of the tree build
    std::string CurrentCode;
    std::string CurrentDesc;
    tree::NodeRef RootNode;

    // Handlers
    void FormCreate();
    void BitBtn1Click();
    void RadioButton1Click();
    void RadioButton2Click();
    void BitBtn2Click();
    void TabSheet2Show();
    void DBGrid1DblClick();
    void Beenden1Click();
    void MenuAboutClick();
    void BuildCodeTree();
    bool InsertCodeNode(tree::NodeRef node, std::size_t prefixLength);
    // Opens a code in the tree as the grid's double-click opens the current row's.
    void showCodeInTree(const std::string& code);
    // Keeps the Merkliste in this file from now on: reads it (a damaged file is kept aside) and
    // writes it after every change. Without a file the list lives as long as the window. Returns
    // what the user must be told about the file, empty if nothing.
    QString openMerkliste(const std::filesystem::path& file);
    // Adds a view's current record to the Merkliste and says so briefly, to screen readers too.
    void addToMerkliste(const std::optional<CopiedRecord>& record, QWidget* from);
    void exportMerkliste();
    // Adds the codes a pasted text holds and tells, in one line on the page and to screen readers,
    // what was added and what could not be taken.
    void pasteIntoMerkliste(const QString& text);
    // Whether the program may end now: where the Merkliste holds codes that could not be saved,
    // the user chooses to export them first, to end anyway, or to stay.
    bool mayEnd();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createTables();
    void createMenu();
    QWidget* createTablePage();
    QWidget* createSearchPanel();
    QWidget* createSortPanel();
    QWidget* createTreePage();
    void createCopyCommands();
    // Names and descriptions for assistive technology where the window shows none.
    void describeForAssistiveTechnology();
    void connectHandlers();
    void applyWindowFont();
    void showTreePage();

    // Runs a handler through the application's default error report.
    template <typename Handler> void handle(Handler handler);

    // Writes the list after a change; the reason, in German, where it could not be saved.
    std::optional<QString> merklisteChanged();
    bool merklisteUnsaved_ = false;
    // Tells in the status bar when the code typed carries a check digit that is not the published one.
    void showCheckDigitNote(const std::optional<std::string>& published);
    bool checkDigitNoteShown_ = false;
    bool pageByKey_ = false;      // the page control is switching pages on Ctrl+Tab or Ctrl+Page Up/Down
    std::size_t exportCount_ = 0; // exports written, so that ending after one can tell it worked

    std::unique_ptr<tree::TreeNodes> treeNodes_;
    merkliste::CodeTerms codeTerms_;
    std::unique_ptr<MerklisteFile> merklisteFile_;
    // Tells when another program changed the list's file, so that the page shows its list.
    QFileSystemWatcher* merklisteWatcher_ = nullptr;
    void watchMerklisteFile();
    void merklisteFileChanged();
    // Shows the list again after it changed elsewhere, keeping the current code current.
    void showMerklisteKeepingCurrent();
    std::unique_ptr<tree::ProgressIndicator> treeProgress_;
    SystemClock* clock_;
    std::unique_ptr<SystemClock> ownClock_;
};

// The one main window of the program.
extern TDlgSearchCPV* DlgSearchCPV;

} // namespace kodexa
