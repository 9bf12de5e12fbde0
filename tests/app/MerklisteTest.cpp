// The Merkliste in the window: adding from the grid, the tree and the keyword results, its page's
// commands, its file across starts, a damaged file, a folder that cannot be written, the export.
#include "AccessibleAnnouncement.h"
#include "CodeCopyCommands.h"
#include "DBGrid.h"
#include "DlgSearch.h"
#include "KeywordSearchPage.h"
#include "MerklisteFile.h"
#include "MerklistePage.h"
#include "SystemClock.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <sys/stat.h>

#include <functional>
#include <memory>
#include <optional>

using namespace kodexa;

namespace {

QByteArray fileBytes(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class MerklisteTest : public QObject {
    Q_OBJECT

    InstantClock clock;
    std::unique_ptr<QTemporaryDir> home;
    std::unique_ptr<TDlgSearchCPV> window;

    QString listFile() const { return home->filePath(QStringLiteral("kodexa/merkliste.tsv")); }
    QString start() {
        window = std::make_unique<TDlgSearchCPV>(&clock);
        const QString problem = window->openMerkliste(listFile().toStdString());
        window->show();
        QApplication::setActiveWindow(window.get());
        return problem;
    }
    QStringList codesOnThePage() const {
        QStringList codes;
        for (int row = 0; row < window->MerklisteTab->Entries->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* item = window->MerklisteTab->Entries->topLevelItem(row);
            codes << item->text(0) + u' ' + item->text(2) + u' ' + item->text(3);
        }
        return codes;
    }
    void insertOn(QWidget* view) {
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Insert);
    }

private slots:
    void init() {
        home = std::make_unique<QTemporaryDir>();
        QVERIFY(home->isValid());
    }
    void cleanup() { window.reset(); }

    void codesAreAddedFromTheGridTheTreeAndTheKeywordResults() {
        QCOMPARE(start(), QString());
        window->DBGrid1->selectRow(3); // 03111000 Saatgut
        insertOn(window->DBGrid1);
        QCOMPARE(lastAnnouncement(*window), QStringLiteral("03111000-2 zur Merkliste hinzugefügt"));
        insertOn(window->DBGrid1);
        QCOMPARE(lastAnnouncement(*window), QStringLiteral("03111000-2 steht schon auf der Merkliste"));
        window->showCodeInTree("45000000");
        insertOn(window->TreeView1);
        // The outcome shows at the row, just below it, a little into its text.
        for (QAbstractItemView* view :
             std::initializer_list<QAbstractItemView*>{window->DBGrid1, window->TreeView1}) {
            const QRect row = view->visualRect(view->currentIndex());
            const QPoint place = view->viewport()->mapFromGlobal(outcomePlace(*view));
            QCOMPARE(place.y(), row.bottom());
            QVERIFY(row.left() < place.x() && place.x() <= row.right());
        }
        window->PageControl1->setCurrentWidget(window->KeywordPage);
        window->KeywordPage->WordsEdit->setText(QStringLiteral("Reinigung von Büros"));
        QVERIFY(window->KeywordPage->Results->topLevelItemCount() > 0);
        const QString found = window->KeywordPage->Results->currentItem()->text(0);
        insertOn(window->KeywordPage->Results);

        QCOMPARE(codesOnThePage(),
                 (QStringList{"03111000-2 Lieferung Hauptgegenstand", "45000000-7 Bauleistung Zusatz",
                              found + QStringLiteral(" Dienstleistung Zusatz")}));
        QVERIFY(window->MerklisteTab->KindsLine->isVisibleTo(window->MerklisteTab));
        // Written at once, and read again by the next start.
        const QByteArray written = fileBytes(listFile());
        QVERIFY(written.startsWith("Code\tBezeichnung\tRolle\n03111000\tSaatgut\tHauptgegenstand\n"));
        window.reset();
        QCOMPARE(start(), QString());
        QCOMPARE(codesOnThePage().size(), 3);
        QCOMPARE(fileBytes(listFile()), written);
    }

    // Ctrl+V and "Codes einfügen …" read the codes of a notice; what was not taken is told in one
    // line, and a text without codes, or no text at all, leaves the list and its file as they were.
    void aNoticesCodesArePastedAndTheRestTold() {
        start();
        window->PageControl1->setCurrentWidget(window->MerklisteTab);
        MerklistePage* page = window->MerklisteTab;
        page->Entries->setFocus();
        QApplication::clipboard()->setText(QStringLiteral("CPV-Code Hauptteil\n45000000-7 Bauarbeiten\n"
                                                          "Weitere: 45233140-9, 90911200–8; 99999999\n"));
        QTest::keyClick(page->Entries, Qt::Key_V, Qt::ControlModifier);
        const QString summary = QStringLiteral("2 Codes hinzugefügt; nicht übernommen: 45233140-9 "
                                               "(Prüfziffer), 99999999 (unbekannt); 1 Zeile ohne Code. "
                                               "Die Merkliste mischt Bauleistungen und Dienstleistungen: "
                                               "die Art des Auftrags bestimmt der Hauptgegenstand.");
        QCOMPARE(page->PasteLine->text(), summary);
        QVERIFY(page->PasteLine->isVisibleTo(page));
        QCOMPARE(lastAnnouncement(*window), summary);
        QCOMPARE(codesOnThePage(),
                 (QStringList{"45000000-7 Bauleistung Hauptgegenstand", "90911200-8 Dienstleistung Zusatz"}));
        const QByteArray written = fileBytes(listFile());
        QVERIFY(written.endsWith("90911200\tGeb\xC3\xA4udereinigung\tZusatz\n"));

        const auto noData = [] { return new QMimeData; };
        const std::pair<std::function<QMimeData*()>, QString> nothing[] = {
            {[] {
                 auto* data = new QMimeData;
                 data->setText(QStringLiteral("Sehr geehrte Damen und Herren,\nanbei die Unterlagen."));
                 return data;
             },
             QStringLiteral("Kein Code gefunden; die Merkliste bleibt, wie sie war.")},
            {noData,
             QStringLiteral("Die Zwischenablage hält keinen Text; die Merkliste bleibt, wie sie war.")},
        };
        for (const auto& [data, told] : nothing) {
            QApplication::clipboard()->setMimeData(data());
            QTest::keyClick(page->Entries, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(page->PasteLine->text(), told);
            QCOMPARE(page->Entries->topLevelItemCount(), 2);
            QCOMPARE(fileBytes(listFile()), written);
        }

        // The button shows the clipboard's text to look over first; a cancel pastes nothing.
        QApplication::clipboard()->setText(QStringLiteral("03111000-2"));
        QString shown;
        std::optional<QString> answer;
        page->AskPastedText = [&](const QString& clipboard) {
            shown = clipboard;
            return answer;
        };
        page->PasteButton->click();
        QCOMPARE(shown, QStringLiteral("03111000-2"));
        QCOMPARE(page->Entries->topLevelItemCount(), 2);
        answer = QStringLiteral("03111000-2\t Saatgut\n45000000");
        page->PasteButton->click();
        QCOMPARE(page->PasteLine->text(), QStringLiteral("1 Code hinzugefügt; 1 schon auf der Merkliste"));
        QCOMPARE(page->Entries->currentItem()->text(0), QStringLiteral("03111000-2"));
    }

    void thePagesCommandsChangeTheListAndTheFile() {
        start();
        for (const auto& [code, term] :
             {std::pair{"03111000", "Saatgut"}, std::pair{"45000000", "Bauarbeiten"},
              std::pair{"90919200", "Reinigung von B\xFCros"}})
            window->Merkliste.add(code, term);
        window->MerklisteTab->showList(0);
        QTreeWidget* entries = window->MerklisteTab->Entries;
        window->PageControl1->setCurrentWidget(window->MerklisteTab);
        entries->setFocus();
        entries->setCurrentItem(entries->topLevelItem(1));
        QTest::keyClick(entries, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(entries->currentItem()->text(0), QStringLiteral("45000000-7"));
        QCOMPARE(entries->indexOfTopLevelItem(entries->currentItem()), 2);
        window->MerklisteTab->MainButton->click();
        QCOMPARE(codesOnThePage(),
                 (QStringList{"03111000-2 Lieferung Zusatz", "90919200-4 Dienstleistung Zusatz",
                              "45000000-7 Bauleistung Hauptgegenstand"}));
        QTest::keyClick(entries, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("45000000-7 Bauarbeiten\n03111000-2 Saatgut\n"
                                "90919200-4 Reinigung von Büros\n"));
        QTest::keyClick(entries, Qt::Key_Up, Qt::ControlModifier);
        QTest::keyClick(entries, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("45000000"));
        QTest::keyClick(entries, Qt::Key_Delete);
        QCOMPARE(codesOnThePage(),
                 (QStringList{"03111000-2 Lieferung Hauptgegenstand", "90919200-4 Dienstleistung Zusatz"}));
        QVERIFY(window->MerklisteTab->KindsLine->isVisibleTo(window->MerklisteTab));
        QVERIFY(fileBytes(listFile()).endsWith("90919200\tReinigung von B\xC3\xBCros\tZusatz\n"));

        QTest::keyClick(entries, Qt::Key_Return);
        QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet2);
        QVERIFY(window->TreeView1->currentItem()->text(0).startsWith(QStringLiteral("90919200: ")));
    }

    // A damaged file is kept aside under another name, the user is told where, and the list starts
    // with the lines that could be read, written at once: a quit before any change keeps them.
    void aDamagedFileIsKeptAsideAndTheReadableLinesStay() {
        QVERIFY(QDir().mkpath(home->filePath(QStringLiteral("kodexa"))));
        const QByteArray damaged =
            "Code\tBezeichnung\tRolle\n45000000\tBauarbeiten\tZusatz\n12345678\tx\tZusatz\n";
        writeFile(listFile(), damaged);
        const QString problem = start();
        QVERIFY2(problem.contains(QStringLiteral("1 Zeile(n)")), qPrintable(problem));
        const QStringList aside = QDir(home->filePath(QStringLiteral("kodexa")))
                                      .entryList({QStringLiteral("merkliste.tsv.beschaedigt-*")});
        QCOMPARE(aside.size(), 1);
        QVERIFY2(problem.contains(aside.front()), qPrintable(problem));
        QCOMPARE(fileBytes(home->filePath(QStringLiteral("kodexa/") + aside.front())), damaged);
        QCOMPARE(fileBytes(listFile()), "Code\tBezeichnung\tRolle\n45000000\tBauarbeiten\tHauptgegenstand\n");
        QCOMPARE(codesOnThePage(), QStringList{"45000000-7 Bauleistung Hauptgegenstand"});
        QCOMPARE(window->MerklisteTab->ProblemLine->text(), problem);
        window.reset();
        QCOMPARE(start(), QString());
        QCOMPARE(codesOnThePage(), QStringList{"45000000-7 Bauleistung Hauptgegenstand"});
        // A file without its first line says so, not "0 lines".
        window.reset();
        writeFile(listFile(), "45000000\tBauarbeiten\tHauptgegenstand\n");
        const QString headless = start();
        QVERIFY2(headless.contains(QStringLiteral("fehlte die erste Zeile")), qPrintable(headless));

        window->DBGrid1->selectRow(3);
        insertOn(window->DBGrid1);
        QCOMPARE(
            fileBytes(listFile()),
            "Code\tBezeichnung\tRolle\n45000000\tBauarbeiten\tHauptgegenstand\n03111000\tSaatgut\tZusatz\n");
    }

    // Two programs on one list: each change is joined with what the other wrote, and each page shows
    // the other's changes without a new start.
    void twoProgramsKeepEachOthersCodes() {
        QCOMPARE(start(), QString());
        auto other = std::make_unique<TDlgSearchCPV>(&clock);
        QCOMPARE(other->openMerkliste(listFile().toStdString()), QString());
        other->show();
        auto addRow = [this](TDlgSearchCPV& program, int row) {
            QApplication::setActiveWindow(&program);
            program.DBGrid1->selectRow(row); // 03000000, 03100000, 03110000, 03111000
            insertOn(program.DBGrid1);
        };
        addRow(*window, 0);
        addRow(*other, 1);
        addRow(*window, 3);
        addRow(*other, 2);
        const QByteArray all = "Code\tBezeichnung\tRolle\n03000000\t";
        QVERIFY(fileBytes(listFile()).startsWith(all));
        auto codesOf = [](const TDlgSearchCPV& program) {
            QStringList codes;
            for (const merkliste::Entry& entry : program.Merkliste.entries())
                codes << QString::fromStdString(entry.code);
            return codes;
        };
        const QStringList four{"03000000", "03100000", "03111000", "03110000"};
        QCOMPARE(codesOf(*other), four);
        QTRY_COMPARE(codesOf(*window), four);
        // A removes what B added; B's page follows.
        window->PageControl1->setCurrentWidget(window->MerklisteTab);
        window->MerklisteTab->Entries->setCurrentItem(window->MerklisteTab->Entries->topLevelItem(1));
        window->MerklisteTab->removeCurrent();
        const QStringList three{"03000000", "03111000", "03110000"};
        QTRY_COMPARE(codesOf(*other), three);
        QCOMPARE(other->MerklisteTab->Entries->topLevelItemCount(), 3);
        window.reset();
        other.reset();
        QCOMPARE(start(), QString());
        QCOMPARE(codesOf(*window), three);
        QCOMPARE(codesOnThePage().front(), QStringLiteral("03000000-1 Lieferung Hauptgegenstand"));
    }

    // A FIFO (or any file that is not a plain one) at the list's name neither holds the start nor
    // is replaced: the page says what stands there.
    void aSpecialFileAtTheListsNameIsNeitherWaitedForNorReplaced() {
        QVERIFY(QDir().mkpath(home->filePath(QStringLiteral("kodexa"))));
        QVERIFY(::mkfifo(QFile::encodeName(listFile()).constData(), 0600) == 0);
        const QString problem = start();
        QVERIFY2(problem.contains(QStringLiteral("benannte Pipe")), qPrintable(problem));
        window->DBGrid1->selectRow(3);
        insertOn(window->DBGrid1);
        QCOMPARE(window->Merkliste.size(), std::size_t(1));
        struct stat status {};
        QVERIFY(::lstat(QFile::encodeName(listFile()).constData(), &status) == 0 && S_ISFIFO(status.st_mode));
    }

    // The temporary files a killed save left go at the next start; one that may be another running
    // program's save in progress, and the files kept aside, stay.
    void staleTemporariesOfAKilledSaveAreRemoved() {
        QVERIFY(QDir().mkpath(home->filePath(QStringLiteral("kodexa"))));
        const QString stale = home->filePath(QStringLiteral("kodexa/merkliste.tsv.Ab12Cd"));
        const QString fresh = home->filePath(QStringLiteral("kodexa/merkliste.tsv.Zz99Yy"));
        const QString aside =
            home->filePath(QStringLiteral("kodexa/merkliste.tsv.beschaedigt-20261210-101010"));
        const QString other = home->filePath(QStringLiteral("kodexa/merkliste.tsv.Ab12C"));
        for (const QString& name : {stale, fresh, aside, other})
            writeFile(name, "Code\tBezeichnung\tRolle\n");
        const QDateTime longAgo = QDateTime::currentDateTime().addSecs(-3600);
        for (const QString& name : {stale, aside, other}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(longAgo, QFileDevice::FileModificationTime));
        }
        QCOMPARE(start(), QString());
        QVERIFY(!QFile::exists(stale));
        QVERIFY(QFile::exists(fresh) && QFile::exists(aside) && QFile::exists(other));
    }

    // A folder name that is no UTF-8 (Latin-1 "Laté") is the same folder when the list is written
    // and read back, from XDG_DATA_HOME as from HOME, and no look-alike folder appears beside it.
    void aFolderNameOutsideUtf8KeepsTheList() {
        const std::string folder = QFile::encodeName(home->path()).toStdString() + "/Lat\xE9";
        const QByteArray savedData = qgetenv("XDG_DATA_HOME"), savedHome = qgetenv("HOME");
        for (const bool fromHome : {false, true}) {
            if (fromHome) {
                qunsetenv("XDG_DATA_HOME");
                qputenv("HOME", QByteArray::fromStdString(folder));
            } else {
                qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folder));
            }
            const std::filesystem::path path = MerklisteFile::standardPath();
            QCOMPARE(path.native(), folder + (fromHome ? "/.local/share" : "") + "/kodexa/merkliste.tsv");
            window = std::make_unique<TDlgSearchCPV>(&clock);
            QCOMPARE(window->openMerkliste(path), QString());
            window->show();
            QApplication::setActiveWindow(window.get());
            window->DBGrid1->selectRow(3);
            insertOn(window->DBGrid1);
            QCOMPARE(window->Merkliste.size(), std::size_t(1));
            QCOMPARE(window->MerklisteTab->ProblemLine->text(), QString());
            QVERIFY(std::filesystem::is_regular_file(path));
            window = std::make_unique<TDlgSearchCPV>(&clock);
            QCOMPARE(window->openMerkliste(path), QString());
            QCOMPARE(window->Merkliste.size(), std::size_t(1));
            window.reset();
        }
        const std::filesystem::path top(QFile::encodeName(home->path()).toStdString());
        QCOMPARE(
            std::distance(std::filesystem::directory_iterator(top), std::filesystem::directory_iterator()),
            1);
        qputenv("XDG_DATA_HOME", savedData);
        qputenv("HOME", savedHome);
        if (savedData.isEmpty())
            qunsetenv("XDG_DATA_HOME");
    }

    // A link at the list's name to a file not made yet (a synced folder's list) is kept: the list
    // is written where it points, also into a folder that does not exist yet. A loop is reported.
    void aLinkToAListNotYetMadeIsKeptAndWrittenThrough() {
        QVERIFY(QDir().mkpath(home->filePath(QStringLiteral("kodexa"))));
        for (const QString& target :
             {QStringLiteral("synced/merkliste.tsv"), QStringLiteral("new/folder/merkliste.tsv")}) {
            QFile::remove(listFile());
            QVERIFY(QFile::link(home->filePath(target), listFile()));
            QCOMPARE(start(), QString());
            window->DBGrid1->selectRow(3);
            insertOn(window->DBGrid1);
            QCOMPARE(window->MerklisteTab->ProblemLine->text(), QString());
            QVERIFY(QFileInfo(listFile()).isSymLink());
            QVERIFY(fileBytes(home->filePath(target)).contains("03111000\tSaatgut"));
            window.reset();
        }
        QFile::remove(listFile());
        QVERIFY(QFile::link(listFile(), listFile()));
        const QString problem = start();
        QVERIFY2(problem.contains(QStringLiteral("Schleife")), qPrintable(problem));
        QVERIFY(QFileInfo(listFile()).isSymLink());
        QVERIFY(QDir(home->filePath(QStringLiteral("kodexa")))
                    .entryList({QStringLiteral("*beschaedigt*")})
                    .isEmpty());
    }

    // Where the folder cannot be made, the page says so and the list goes on in memory.
    void aFolderThatCannotBeWrittenLeavesTheListInMemory() {
        writeFile(home->filePath(QStringLiteral("kodexa")), "a file where the folder would be");
        QCOMPARE(start(), QString());
        window->DBGrid1->selectRow(3);
        insertOn(window->DBGrid1);
        QCOMPARE(window->Merkliste.size(), std::size_t(1));
        const QString problem = window->MerklisteTab->ProblemLine->text();
        QVERIFY2(
            problem.contains(QStringLiteral("kann nicht angelegt werden: wo ein Ordner sein müsste, steht "
                                            "eine Datei.")) &&
                problem.contains(QStringLiteral("bis das Programm endet")),
            qPrintable(problem)); // in German, whatever the system's own words
        QVERIFY2(lastAnnouncement(*window).startsWith(
                     QStringLiteral("03111000-2 zur Merkliste hinzugefügt, aber nicht gespeichert: ")),
                 qPrintable(lastAnnouncement(*window)));
        insertOn(window->DBGrid1); // no second message, and nothing written over
        QCOMPARE(window->MerklisteTab->ProblemLine->text(), problem);
        QCOMPARE(fileBytes(home->filePath(QStringLiteral("kodexa"))),
                 QByteArray("a file where the folder would be"));

        // Ending asks first: to stay, to export (and end once it is written), or to end anyway.
        auto answerWith = [](const QString& button) {
            QTimer::singleShot(0, [button] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box != nullptr);
                for (QAbstractButton* candidate : box->buttons())
                    if (candidate->text() == button)
                        candidate->click();
            });
        };
        answerWith(QStringLiteral("&Abbrechen"));
        QVERIFY(!window->close());
        QVERIFY(window->isVisible());
        const QString csv = home->filePath(QStringLiteral("gerettet.csv"));
        window->AskExportFileName = [&] { return csv; };
        answerWith(QStringLiteral("&Exportieren …"));
        QVERIFY(window->close());
        QVERIFY(fileBytes(csv).contains("03111000-2;Saatgut"));
        window->show();
        answerWith(QStringLiteral("&Trotzdem beenden"));
        QVERIFY(window->mayEnd());
    }

    void theExportIsWrittenOrReported() {
        start();
        window->Merkliste.add("03111000", "Saatgut");
        window->MerklisteTab->showList();
        const QString csv = home->filePath(QStringLiteral("liste.csv"));
        window->AskExportFileName = [&] { return csv; };
        window->MerklisteTab->ExportButton->click();
        QCOMPARE(fileBytes(csv), QByteArray("\xEF\xBB\xBF"
                                            "Code;Bezeichnung;Art;Rolle\r\n"
                                            "03111000-2;Saatgut;Lieferung;Hauptgegenstand\r\n"));

        window->AskExportFileName = [&] { return home->filePath(QStringLiteral("missing/liste.csv")); };
        QString reported;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                reported = box->text();
                box->accept();
            }
        });
        window->MerklisteTab->ExportButton->click();
        QVERIFY2(reported.startsWith(QStringLiteral("Die Merkliste kann nicht nach")) &&
                     reported.endsWith(QStringLiteral("fehlt.")),
                 qPrintable(reported)); // the missing folder told in German
    }
};

QTEST_MAIN(MerklisteTest)
#include "MerklisteTest.moc"
