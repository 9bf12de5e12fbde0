#pragma once

#include "PageNavigator.h"
#include "PageStore.h"
#include "SystemSettings.h"

#include <QDialog>

#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenuBar;
class QScrollArea;
class QStatusBar;
class QToolBar;

namespace kodexa::report {

// Shows one stored page at a zoom, drawn by the same routine as the printer and the PDF.
class PageView : public QWidget {
    Q_OBJECT

public:
    PageView(std::shared_ptr<const PageStore> pages, QWidget* parent = nullptr);

    // index counts from 0; zoom in per cent of the page's size at 96 pixels to the inch.
    void showPage(std::size_t index, double zoom);
    std::size_t pageIndex() const { return index_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double pixelsPerInch() const;

    std::shared_ptr<const PageStore> pages_;
    std::size_t index_ = 0;
    double zoom_ = 100;
};

// The preview window of a run (TRavePreviewForm): tool bar, the page area and a status bar that
// reads "Page n of N".
class TRavePreviewForm : public QDialog {
    Q_OBJECT

public:
    TRavePreviewForm(std::shared_ptr<const PageStore> pages, const SystemSettings& settings,
                     QWidget* parent = nullptr);

    const PageNavigator& navigator() const { return navigator_; }
    // Shows the page (from 1), or the nearest one that exists.
    void showPage(int page);

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createPageArea();
    void createStatusBar();
    void layOutForm();
    void centreOnScreen();

    void goFirst();
    void goPrevious();
    void goNext();
    void goLast();
    void pageEditConfirmed();
    void updatePageDisplay();

    std::shared_ptr<const PageStore> pages_;
    SystemSettings settings_;
    PageNavigator navigator_;

    QAction* actnFile_Exit = nullptr;
    QAction* actnPage_First = nullptr;
    QAction* actnPage_Previous = nullptr;
    QAction* actnPage_Next = nullptr;
    QAction* actnPage_Last = nullptr;

    QMenuBar* MainMenu = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QLineEdit* PageEdit = nullptr;
    QLabel* PageCountLabel = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    PageView* pageView_ = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusText = nullptr;
};

} // namespace kodexa::report
