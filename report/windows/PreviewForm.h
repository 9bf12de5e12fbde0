#pragma once

#include "PageNavigator.h"
#include "PageStore.h"
#include "SystemSettings.h"

#include <QDialog>
#include <QScrollArea>

#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenuBar;
class QStatusBar;
class QToolBar;

namespace kodexa::report {

class PreviewPrompts;
class PrinterSystem;

// Shows one stored page at a zoom, drawn by the same routine as the printer and the PDF.
class PageView : public QWidget {
    Q_OBJECT

public:
    PageView(std::shared_ptr<const PageStore> pages, QWidget* parent = nullptr);

    void setPages(std::shared_ptr<const PageStore> pages);
    // index counts from 0; zoom in per cent of the page's size at 96 pixels to the inch.
    void showPage(std::size_t index, double zoom);
    const PageStore& pages() const { return *pages_; }
    std::size_t pageIndex() const { return index_; }
    double pixelsPerInch() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::shared_ptr<const PageStore> pages_;
    std::size_t index_ = 0;
    double zoom_ = 100;
};

// The page area (ScrollBox1): a scroll box around the page, with a ring along its inside while it
// has the focus. Assistive technology reads the shown page's rows from it as text
// (PageAreaAccessible.h).
class PageArea : public QScrollArea {
    Q_OBJECT

public:
    explicit PageArea(PageView* view, QWidget* parent = nullptr);

    PageView& pageView() const { return *view_; }

private:
    PageView* view_;
};

// Whom the preview asks for file names and a page number, whom it reports failures to, and which
// printers it prints on. Not owned; nullptr for the standard dialogs and the system's printers.
struct PreviewServices {
    PreviewPrompts* prompts = nullptr;
    PrinterSystem* printers = nullptr;
};

// The preview window of a run (TRavePreviewForm): tool bar and menus with the file, page and zoom
// commands, the page area and a status bar that reads "Page n of N". The window sees keys before
// its controls. Printing writes the copies, collate and duplex of the output options back into
// settings, which must outlive the window.
class TRavePreviewForm : public QDialog {
    Q_OBJECT

public:
    TRavePreviewForm(std::shared_ptr<const PageStore> pages, SystemSettings& settings,
                     QWidget* parent = nullptr, PreviewServices services = {});
    ~TRavePreviewForm() override;

    const PageNavigator& navigator() const { return navigator_; }
    const PageStore& pages() const { return *pages_; }
    // Shows the page (from 1), or the nearest one that exists.
    void showPage(int page);
    // Sets the zoom in per cent, kept within 10 to 200.
    void setZoom(double zoom);

    // The commands, as the tool bar, the menus and the keys run them.
    void openFile();
    void saveFile();
    void printPages();
    void goToPage();
    void zoomIn();
    void zoomOut();
    void fitPageWidth();
    void fitPage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class ScrollTo { Keep, Top, Bottom };

    void createActions();
    void createMenus();
    void createToolBar();
    void createPageArea();
    void createStatusBar();
    void layOutForm();

    bool handleCharacter(QWidget* target, const QKeyEvent& key);
    bool handleKey(const QKeyEvent& key);
    static bool isHandledKey(const QKeyEvent& key);
    void scrollPage(int direction, int amount);
    void scrollSideways(int amount);

    void goFirst();
    void goPrevious();
    void goNext();
    void goLast();
    void pageEditConfirmed();
    void zoomEditConfirmed();
    void setPages(std::shared_ptr<const PageStore> pages);
    void updatePageDisplay(ScrollTo scroll = ScrollTo::Top);
    void updateZoomDisplay();

    PreviewPrompts& prompts();
    PrinterSystem& printers();
    // Runs a command that may fail; its failure goes to the error report.
    template <typename Command> void runReported(Command&& command);

    std::shared_ptr<const PageStore> pages_;
    SystemSettings& settings_;
    PageNavigator navigator_;
    PreviewServices services_;
    std::unique_ptr<PreviewPrompts> standardPrompts_;
    std::unique_ptr<PrinterSystem> systemPrinters_;

    QAction* actnFile_Open = nullptr;
    QAction* actnFile_Save = nullptr;
    QAction* actnFile_Print = nullptr;
    QAction* actnFile_Exit = nullptr;
    QAction* actnPage_First = nullptr;
    QAction* actnPage_Previous = nullptr;
    QAction* actnPage_Next = nullptr;
    QAction* actnPage_Last = nullptr;
    QAction* actnPage_GotoPage = nullptr;
    QAction* actnZoom_In = nullptr;
    QAction* actnZoom_Out = nullptr;
    QAction* actnZoom_PageWidth = nullptr;
    QAction* actnZoom_Page = nullptr;

    QMenuBar* MainMenu = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QLineEdit* PageEdit = nullptr;
    QLabel* PageCountLabel = nullptr;
    QLineEdit* ZoomEdit = nullptr;
    PageArea* ScrollBox1 = nullptr;
    PageView* pageView_ = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusText = nullptr;

    // The page last shown, to tell assistive technology of a change.
    int shownPage_ = 0;
    const PageStore* shownPages_ = nullptr;
};

} // namespace kodexa::report
