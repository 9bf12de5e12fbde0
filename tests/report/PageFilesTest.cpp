// Page files on disk, as the preview's Open reads them: anything but a regular file is refused
// before it is opened, so that a named pipe or a device cannot stall the preview, and a file larger
// than any page file within the limits is refused unread.
#include "PageFiles.h"
#include "PageFile.h"
#include "ReportLayout.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kodexa::report;

namespace {

std::string refusalToOpen(const QString& fileName) {
    try {
        openPageFile(fileName);
    } catch (const ReportError& error) {
        return error.what();
    }
    return "opened";
}

std::string cannotOpen(const QString& fileName, const char* reason) {
    return "Cannot open \"" + fileName.toStdString() + "\". " + reason;
}

PageStore samplePages() {
    PageStore pages;
    pages.setTitle("Ausdruck CPV-Liste");
    const std::uint32_t font = pages.addFont({"Arial", 10});
    Page& page = pages.addPage(8.267716535433072, 11.692913385826772);
    page.items.emplace_back(PageText{0.24, 1.3, font, "03000000"});
    page.items.emplace_back(PageLine{0.24, 1.04, 7.05, 1.04, 1.0 / 72, 0});
    return pages;
}

bool writeFile(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class PageFiles : public ::testing::Test {
protected:
    QString path(const char* name) const { return QDir(folder.path()).filePath(QString::fromLatin1(name)); }

    QTemporaryDir folder;
};

} // namespace

// The watchdog only keeps a failing test from hanging: an open that waits for a writer is given one.
TEST_F(PageFiles, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
    const QString pipe = path("pipe.ndr");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    std::future<std::string> opening = std::async(std::launch::async, [&] { return refusalToOpen(pipe); });
    if (opening.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        const int writer = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        opening.wait();
        FAIL() << "opening a named pipe waited for a writer";
    }
    EXPECT_EQ(opening.get(), cannotOpen(pipe, "It is not a regular file"));

    const QString link = path("link.ndr");
    ASSERT_TRUE(QFile::link(pipe, link));
    EXPECT_EQ(refusalToOpen(link), cannotOpen(link, "It is not a regular file"));
}

TEST_F(PageFiles, FoldersDevicesAndMissingFilesAreRefused) {
    const QString subfolder = path("folder.ndr");
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.ndr")));
    EXPECT_EQ(refusalToOpen(subfolder), cannotOpen(subfolder, "It is a folder, not a file"));
    // A device that never ends.
    EXPECT_EQ(refusalToOpen(QStringLiteral("/dev/zero")),
              cannotOpen(QStringLiteral("/dev/zero"), "It is not a regular file"));
    const QString missing = path("missing.ndr");
    EXPECT_EQ(refusalToOpen(missing), cannotOpen(missing, "No such file or directory"));
    EXPECT_EQ(refusalToOpen(QString()), cannotOpen(QString(), "No such file or directory"));
}

TEST_F(PageFiles, AFileLargerThanAnyPageFileIsRefusedUnread) {
    const QString large = path("large.ndr");
    const std::string bytes = writePageFile(samplePages());
    QByteArray padded(bytes.data(), static_cast<qsizetype>(bytes.size()));
    padded.append(static_cast<qsizetype>(MaxPageFileBytes) - padded.size(), '\0');
    ASSERT_TRUE(writeFile(large, padded));
    EXPECT_EQ(refusalToOpen(large), cannotOpen(large, "The file is damaged: bytes follow the last page"));
    ASSERT_TRUE(writeFile(large, padded + '\0'));
    EXPECT_EQ(refusalToOpen(large), cannotOpen(large, "The file is too large for a page file"));
}

// Pages the program saves open again, through a link as well.
TEST_F(PageFiles, SavedPagesOpenAgain) {
    const PageStore pages = samplePages();
    const QString saved = path("saved.ndr");
    savePageFile(pages, saved);
    EXPECT_TRUE(openPageFile(saved) == pages);

    const QString link = path("link.ndr");
    ASSERT_TRUE(QFile::link(saved, link));
    EXPECT_TRUE(openPageFile(link) == pages);
}
