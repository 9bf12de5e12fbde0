// cpvquery --page-file as a script runs it: a saved page file is counted or converted to PDF, and a
// refused file is told on standard error with status 2 (as scripts expect it; other failures are 1),
// as the preview's Open would tell it.
#include "PageFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include <unistd.h>

using namespace kodexa::report;

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

Outcome cpvquery(const QStringList& arguments) {
    QProcess process;
    process.setProgram(QStringLiteral(KODEXA_CPVQUERY));
    process.setArguments(arguments);
    process.start();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

PageStore threePages() {
    PageStore pages;
    pages.setTitle("Ausdruck CPV-Liste");
    const std::uint32_t font = pages.addFont({"Arial", 10});
    for (int index = 1; index <= 3; ++index) {
        Page& page = pages.addPage(8.267716535433072, 11.692913385826772);
        page.items.emplace_back(
            PageText{0.5, 1, font, "Seite " + std::to_string(index) + " \xC3\xA4\xE2\x82\xAC"});
        page.items.emplace_back(PageLine{0.5, 1.1, 7, 1.1, 1.0 / 72, 0});
    }
    return pages;
}

class CpvQueryPageFile : public ::testing::Test {
protected:
    void SetUp() override {
        saved = path("saved.ndr");
        const std::string bytes = writePageFile(threePages());
        ASSERT_TRUE(write(saved, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()))));
    }

    QString path(const char* name) const { return QDir(folder.path()).filePath(QString::fromLatin1(name)); }

    static bool write(const QString& fileName, const QByteArray& bytes) {
        QFile file(fileName);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    // A number as the page file holds it, to find and change it in the bytes.
    static QByteArray encoded(double value) {
        const auto bits = std::bit_cast<std::uint64_t>(value);
        QByteArray bytes;
        for (int shift = 0; shift < 64; shift += 8) // little-endian, as the file is
            bytes.append(static_cast<char>((bits >> shift) & 0xFF));
        return bytes;
    }

    QTemporaryDir folder;
    QString saved;
};

} // namespace

TEST_F(CpvQueryPageFile, CountsThePagesOfASavedFile) {
    const Outcome run = cpvquery({QStringLiteral("--page-file"), saved});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("pages\t3\n"));
    EXPECT_EQ(run.err, QString());
}

TEST_F(CpvQueryPageFile, WritesTheSavedPagesAsPdf) {
    const QString pdf = path("saved.pdf");
    const Outcome run = cpvquery({QStringLiteral("--page-file"), saved, QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QString());
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        return;
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_TRUE(info.waitForFinished(60000));
    EXPECT_TRUE(
        QString::fromUtf8(info.readAllStandardOutput()).contains(QStringLiteral("\nPages:           3\n")));
}

TEST_F(CpvQueryPageFile, ARefusedFileIsToldWithStatus2AndWritesNoPdf) {
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QString truncated = path("truncated.ndr");
    ASSERT_TRUE(write(truncated, bytes.left(bytes.size() - 1)));
    const QString subfolder = path("folder.ndr");
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.ndr")));
    // Pages of a billionth of an inch, which the writer would make Letter pages of.
    const QString tiny = path("tiny.ndr");
    ASSERT_TRUE(write(tiny, QByteArray(bytes)
                                .replace(encoded(8.267716535433072), encoded(1e-9))
                                .replace(encoded(11.692913385826772), encoded(1e-9))));
    const QString pdf = path("refused.pdf");
    const struct {
        QString file;
        QString reason;
    } refusals[] = {
        {truncated, QStringLiteral("The file is damaged: it ends too early")},
        {tiny, QStringLiteral("The file is damaged: a page is smaller than 1/72 inch")},
        {subfolder, QStringLiteral("It is a folder, not a file")},
        {path("missing.ndr"), QStringLiteral("No such file or directory")},
    };
    for (const auto& refusal : refusals) {
        const QString message =
            QStringLiteral("cpvquery: Cannot open \"%1\". %2\n").arg(refusal.file, refusal.reason);
        const Outcome counting = cpvquery({QStringLiteral("--page-file"), refusal.file});
        EXPECT_EQ(counting.status, 2);
        EXPECT_EQ(counting.out, QString());
        EXPECT_EQ(counting.err, message);
        const Outcome converting =
            cpvquery({QStringLiteral("--page-file"), refusal.file, QStringLiteral("--pdf"), pdf});
        EXPECT_EQ(converting.status, 2);
        EXPECT_EQ(converting.err, message);
        EXPECT_FALSE(QFile::exists(pdf));
    }
}

TEST_F(CpvQueryPageFile, APdfThatCannotBeWrittenIsToldWithStatus1) {
    const QString nowhere = path("no-such-folder/saved.pdf");
    const Outcome run = cpvquery({QStringLiteral("--page-file"), saved, QStringLiteral("--pdf"), nowhere});
    EXPECT_EQ(run.status, 1);
    // The toolkit may have warned first (no runtime folder, say).
    EXPECT_TRUE(run.err.contains(QStringLiteral("cpvquery: Cannot write \"%1\". ").arg(nowhere)))
        << run.err.toStdString();
}

// The page file is the whole input: options of the search and the other modes do not go with it.
// Such a call is a wrong one, told as GNU programs tell it, with status 2.
TEST_F(CpvQueryPageFile, TakesNoSearchAndNoOtherMode) {
    const QStringList others[] = {
        {QStringLiteral("--code"), QStringLiteral("03")},
        {QStringLiteral("--desc"), QStringLiteral("Obst")},
        {QStringLiteral("--sort"), QStringLiteral("code")},
        {QStringLiteral("--print-filter")},
        {QStringLiteral("--tree")},
        {QStringLiteral("--locate")},
        {QStringLiteral("--report-summary")},
    };
    for (const QStringList& other : others) {
        const Outcome run = cpvquery(QStringList{QStringLiteral("--page-file"), saved} + other);
        EXPECT_EQ(run.status, 2) << other.join(u' ').toStdString();
        EXPECT_EQ(run.err, QStringLiteral("cpvquery: options '--page-file' and '%1' cannot be combined\n"
                                          "Try 'cpvquery --help' for more information.\n")
                               .arg(other.front()))
            << other.join(u' ').toStdString();
        EXPECT_EQ(run.out, QString());
    }
    const Outcome alone = cpvquery({QStringLiteral("--page-file")});
    EXPECT_EQ(alone.status, 2);
    EXPECT_TRUE(alone.err.startsWith(QStringLiteral("cpvquery: option '--page-file' needs a value\n")));
}

TEST_F(CpvQueryPageFile, APdfOntoThePageFileItselfIsRefused) {
    ASSERT_TRUE(QFile::link(saved, path("soft.ndr")));
    const QString hard = path("hard.ndr");
    ASSERT_EQ(::link(QFile::encodeName(saved).constData(), QFile::encodeName(hard).constData()), 0);
    QFile original(saved);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    for (const QString& target :
         {saved, path("soft.ndr"), hard, folder.path() + QStringLiteral("/./saved.ndr")}) {
        const Outcome run = cpvquery({QStringLiteral("--page-file"), saved, QStringLiteral("--pdf"), target});
        EXPECT_EQ(run.status, 2) << target.toStdString();
        EXPECT_EQ(
            run.err,
            QStringLiteral("cpvquery: the PDF \"%1\" would replace the page file \"%2\" it is made from\n")
                .arg(target, saved));
        QFile after(saved);
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), bytes) << target.toStdString();
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::System).size(), 3);
}
