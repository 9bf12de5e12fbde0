// Saving onto what a name leads to: a regular file is replaced only once the new one is complete,
// a device or FIFO is written in place and never replaced, and the name's bytes reach the system
// as they are. Both writers (page files and PDF) go through the same file.
#include "OutputFile.h"
#include "GuiEnvironment.h"
#include "LeanPdfWriting.h"
#include "PageFile.h"
#include "PageFiles.h"
#include "PdfOutput.h"
#include "ReportLayout.h"

#include <QFontDatabase>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zlib.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace kodexa::report;
using namespace kodexa::output;
namespace fs = std::filesystem;

namespace {

[[maybe_unused]] ::testing::Environment* const guiEnvironment =
    ::testing::AddGlobalTestEnvironment(new kodexa::testsupport::GuiEnvironment);

PageStore onePage() {
    PageStore pages;
    pages.setTitle("Liste");
    const std::uint32_t font = pages.addFont({"Arial", 10});
    Page& page = pages.addPage(8.2677, 11.6929);
    page.items.emplace_back(PageText{1, 1, font, "03000000"});
    return pages;
}

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void putFile(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

mode_t typeOf(const fs::path& file) {
    struct stat info {};
    return ::lstat(file.c_str(), &info) == 0 ? (info.st_mode & S_IFMT) : 0;
}

// The names in a folder, to see that no temporary file stays behind.
std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().native());
    std::sort(names.begin(), names.end());
    return names;
}

bool writeWhole(OutputFile& file, const std::string& bytes) {
    return file.open() && file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()) &&
           file.commit();
}

class OutputFileTest : public ::testing::Test {
protected:
    fs::path path(const std::string& name) const { return fs::path(folder_.path().toStdString()) / name; }
    // A device that refuses every write as /dev/full does, made in the test's folder where that is
    // allowed: a fault that replaced the device then costs nothing outside the test.
    fs::path fullDevice() const {
        const fs::path device = path("full");
        if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 7)) == 0)
            return device;
        if (::geteuid() != 0) // without the right to replace it, /dev/full is safe to try
            return "/dev/full";
        return {};
    }
    fs::path fifo(const std::string& name) const {
        const fs::path file = path(name);
        EXPECT_EQ(::mkfifo(file.c_str(), 0600), 0);
        return file;
    }

    QTemporaryDir folder_;
};

// Reads a FIFO to its end on another thread. The read end is open before the writer comes, so the
// writer finds its reader at once; a write end of the test's own keeps the reader from seeing the
// end before the writer has come, and get() lets go of it, so that a writer that never came (one
// that replaced the FIFO) shows as an empty read instead of a wait for ever.
class FifoReader {
public:
    explicit FifoReader(const fs::path& fifo) {
        reader_ = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        keeper_ = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        EXPECT_TRUE(reader_ >= 0 && keeper_ >= 0) << fifo;
        ::fcntl(reader_, F_SETFL, ::fcntl(reader_, F_GETFL) & ~O_NONBLOCK);
        read_ = std::async(std::launch::async, [this] { return readToEnd(); });
    }
    ~FifoReader() {
        release();
        if (read_.valid())
            read_.wait();
        ::close(reader_);
    }
    std::string get() {
        release();
        return read_.get();
    }

private:
    void release() {
        if (keeper_ >= 0)
            ::close(keeper_);
        keeper_ = -1;
    }
    std::string readToEnd() const {
        std::string bytes;
        char block[4096];
        ssize_t count = 0;
        while ((count = ::read(reader_, block, sizeof block)) > 0)
            bytes.append(block, static_cast<std::size_t>(count));
        return bytes;
    }

    int reader_ = -1;
    int keeper_ = -1;
    std::future<std::string> read_;
};

} // namespace

TEST_F(OutputFileTest, ANewFileIsWrittenAndNothingElseStays) {
    const fs::path file = path("list.pdf");
    OutputFile output(file);
    ASSERT_TRUE(writeWhole(output, "new")) << output.errorString().toStdString();
    EXPECT_EQ(contents(file), "new");
    EXPECT_EQ(namesIn(file.parent_path()), std::vector<std::string>{"list.pdf"});
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0666 & ~mask));
}

TEST_F(OutputFileTest, ARegularFileIsReplacedAsAWholeAndKeepsItsPermissions) {
    const fs::path file = path("list.ndr");
    putFile(file, "old content, longer than the new");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    struct stat before {};
    ::stat(file.c_str(), &before);
    OutputFile output(file);
    ASSERT_TRUE(output.open());
    output.write("new", 3);
    EXPECT_EQ(contents(file), "old content, longer than the new"); // untouched until the commit
    ASSERT_TRUE(output.commit()) << output.errorString().toStdString();
    EXPECT_EQ(contents(file), "new");
    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_NE(after.st_ino, before.st_ino); // renamed over, not rewritten in place
    EXPECT_EQ(after.st_mode & 07777, 0640U);
    EXPECT_EQ(namesIn(file.parent_path()), std::vector<std::string>{"list.ndr"});
}

TEST_F(OutputFileTest, AFailedWriteLeavesTheOldFileAsItWas) {
    const fs::path file = path("list.pdf");
    putFile(file, "old");
    // A file size limit makes writes fail even for root: the temporary file cannot grow past it.
    struct rlimit limit {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const struct rlimit small = {4096, limit.rlim_max};
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    {
        OutputFile output(file);
        const bool written = writeWhole(output, std::string(200000, 'x'));
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, previousHandler);
        EXPECT_FALSE(written);
        EXPECT_EQ(output.errorString().toStdString(), std::strerror(EFBIG));
        EXPECT_FALSE(output.commit()); // the write error is not forgotten
    }
    EXPECT_EQ(contents(file), "old");
    EXPECT_EQ(namesIn(file.parent_path()), std::vector<std::string>{"list.pdf"});
}

TEST_F(OutputFileTest, AFileLeftUnfinishedIsDiscarded) {
    const fs::path file = path("list.ndr");
    putFile(file, "old");
    {
        OutputFile output(file);
        ASSERT_TRUE(output.open());
        output.write("half a file", 11);
    } // the writer gave up (it threw, say) without committing
    EXPECT_EQ(contents(file), "old");
    EXPECT_EQ(namesIn(file.parent_path()), std::vector<std::string>{"list.ndr"});
}

TEST_F(OutputFileTest, ALinkIsFollowedAndStaysALink) {
    const fs::path target = path("target.pdf");
    putFile(target, "old");
    ASSERT_EQ(::symlink("target.pdf", path("link.pdf").c_str()), 0); // relative to the link's folder
    OutputFile output(path("link.pdf"));
    ASSERT_TRUE(writeWhole(output, "new"));
    EXPECT_EQ(typeOf(path("link.pdf")), S_IFLNK);
    EXPECT_EQ(contents(target), "new");

    // A link to a file not yet there makes the file.
    ASSERT_EQ(::symlink(path("later.pdf").c_str(), path("dangling.pdf").c_str()), 0);
    OutputFile dangling(path("dangling.pdf"));
    ASSERT_TRUE(writeWhole(dangling, "made"));
    EXPECT_EQ(typeOf(path("dangling.pdf")), S_IFLNK);
    EXPECT_EQ(contents(path("later.pdf")), "made");

    // A loop of links is refused.
    ASSERT_EQ(::symlink("loop-b", path("loop-a").c_str()), 0);
    ASSERT_EQ(::symlink("loop-a", path("loop-b").c_str()), 0);
    OutputFile loop(path("loop-a"));
    EXPECT_FALSE(loop.open());
    EXPECT_EQ(typeOf(path("loop-a")), S_IFLNK);
}

TEST_F(OutputFileTest, FoldersAndMissingFoldersAreRefused) {
    OutputFile folder(path(""));
    EXPECT_FALSE(folder.open());
    EXPECT_EQ(folder.errorString().toStdString(), std::strerror(EISDIR));
    OutputFile missing(path("no-such-folder/list.pdf"));
    EXPECT_FALSE(missing.open());
    EXPECT_EQ(missing.errorString().toStdString(), std::strerror(ENOENT));
    OutputFile empty{fs::path()};
    EXPECT_FALSE(empty.open());
}

TEST_F(OutputFileTest, TheNamesBytesReachTheFileSystemUnchanged) {
    const std::string name = "Liste-\xFF\xFE-\xC3\xA4.ndr"; // not UTF-8, then UTF-8
    OutputFile output(path(name));
    ASSERT_TRUE(writeWhole(output, "bytes"));
    EXPECT_EQ(namesIn(path("")), std::vector<std::string>{name});
    fs::remove(path(name)); // QTemporaryDir cannot remove a name that is not UTF-8
    // A name from a dialog is text; its bytes are the locale's encoding of it.
    EXPECT_EQ(nativeFileName(QStringLiteral("Liste-\u00E4.pdf")).native(), "Liste-\xC3\xA4.pdf");
}

TEST_F(OutputFileTest, AFullDeviceGivesItsErrorAndStaysADevice) {
    const fs::path device = fullDevice();
    if (device.empty())
        GTEST_SKIP() << "no device to try that could not be lost";
    OutputFile output(device);
    EXPECT_FALSE(writeWhole(output, std::string(100000, 'x')));
    EXPECT_EQ(output.errorString().toStdString(), std::strerror(ENOSPC));
    EXPECT_EQ(typeOf(device), S_IFCHR);

    // Both writers name the file and the reason.
    try {
        savePageFile(onePage(), QString::fromStdString(device.native()));
        ADD_FAILURE() << "saved onto a full device";
    } catch (const ReportError& error) {
        EXPECT_EQ(error.what(), "Cannot save \"" + device.native() + "\". No space left on device");
    }
    try {
        writePdf(onePage(), device);
        ADD_FAILURE() << "wrote a PDF onto a full device";
    } catch (const ReportError& error) {
        EXPECT_EQ(error.what(), "Cannot write \"" + device.native() + "\". No space left on device");
    }
    EXPECT_EQ(typeOf(device), S_IFCHR);
}

TEST_F(OutputFileTest, AFifoWithAReaderGetsTheWholeFileAndStaysAFifo) {
    const fs::path pipe = fifo("pages.ndr");
    {
        FifoReader reader(pipe);
        savePageFile(onePage(), QString::fromStdString(pipe.native()));
        EXPECT_EQ(reader.get(), writePageFile(onePage()));
    }
    EXPECT_EQ(typeOf(pipe), S_IFIFO);

    // A PDF goes through in one stream too, also by a link to the FIFO.
    ASSERT_EQ(::symlink(pipe.c_str(), path("link.pdf").c_str()), 0);
    {
        FifoReader reader(pipe);
        writePdf(onePage(), path("link.pdf"));
        const std::string pdf = reader.get();
        EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
        EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
    }
    EXPECT_EQ(typeOf(pipe), S_IFIFO);
    EXPECT_EQ(typeOf(path("link.pdf")), S_IFLNK);
}

TEST_F(OutputFileTest, AFifoWithoutAReaderIsRefusedAtOnce) {
    const fs::path pipe = fifo("nobody.pdf");
    try {
        writePdf(onePage(), pipe);
        ADD_FAILURE() << "wrote into a FIFO nobody reads";
    } catch (const ReportError& error) {
        EXPECT_EQ(error.what(), "Cannot write \"" + pipe.native() + "\". No program reads from the FIFO");
    }
    EXPECT_EQ(typeOf(pipe), S_IFIFO);
}

TEST_F(OutputFileTest, AFileWithHardLinksIsWrittenInPlaceOnceComplete) {
    const fs::path file = path("list.pdf");
    putFile(file, "old");
    ASSERT_EQ(::link(file.c_str(), path("other.pdf").c_str()), 0);
    OutputFile output(file);
    ASSERT_TRUE(output.open());
    output.write("new", 3);
    EXPECT_EQ(contents(path("other.pdf")), "old"); // untouched until the commit
    ASSERT_TRUE(output.commit()) << output.errorString().toStdString();
    EXPECT_EQ(contents(path("other.pdf")), "new");
    EXPECT_EQ(fs::hard_link_count(file), 2U);
    EXPECT_EQ(namesIn(path("")), (std::vector<std::string>{"list.pdf", "other.pdf"}));
}

TEST_F(OutputFileTest, ADescriptorsNameWritesAtItsOffset) {
    const fs::path file = path("log");
    putFile(file, "before\n");
    const int descriptor = ::open(file.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(descriptor, 0);
    for (const std::string prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        OutputFile output(prefix + std::to_string(descriptor));
        ASSERT_TRUE(writeWhole(output, "new\n")) << output.errorString().toStdString();
    }
    ::close(descriptor);
    EXPECT_EQ(contents(file), "before\nnew\nnew\n");
    EXPECT_EQ(namesIn(path("")), std::vector<std::string>{"log"});
}

// ---- What the PDF holds -------------------------------------------------------------------------

namespace {

// The two bytes that open each deflated stream: a zlib header, whose second byte tells the level.
std::vector<std::string> deflatedStreamHeaders(const std::string& pdf) {
    std::vector<std::string> headers;
    for (std::size_t at = pdf.find("stream\n"); at != std::string::npos; at = pdf.find("stream\n", at + 1)) {
        if (at > 0 && pdf[at - 1] == 'd') // "endstream"
            continue;
        const std::size_t object = pdf.rfind(" obj", at);
        if (object != std::string::npos && pdf.find("/FlateDecode", object) < at)
            headers.push_back(pdf.substr(at + 7, 2));
    }
    return headers;
}

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

TEST_F(OutputFileTest, APdfIsCompressedAtTheFastestLevelAndNothingElseIs) {
    writePdf(onePage(), path("list.pdf"));
    const std::vector<std::string> headers = deflatedStreamHeaders(contents(path("list.pdf")));
    ASSERT_GE(headers.size(), 2U); // the page and the embedded font at least
    for (const std::string& header : headers)
        EXPECT_EQ(header, "\x78\x01") << "a stream at another level";

    // Outside a PDF, zlib's default level stays the default.
    const std::string text(4096, 'a');
    uLongf size = compressBound(text.size());
    std::string packed(size, '\0');
    ASSERT_EQ(compress(reinterpret_cast<Bytef*>(packed.data()), &size,
                       reinterpret_cast<const Bytef*>(text.data()), text.size()),
              Z_OK);
    EXPECT_EQ(packed.substr(0, 2), "\x78\x9c");
}

// A text is drawn in the font its page names and in no other, even where that font lacks some of
// its characters (the dingbats font has no euro sign and no German quotes): the PDF embeds that
// one font, and no fallback font beside it.
TEST_F(OutputFileTest, ATextIsDrawnInItsOwnFontAlone) {
    const QStringList families = QFontDatabase::families(); // with their foundries: "… [URW ]"
    if (std::none_of(families.begin(), families.end(),
                     [](const QString& family) { return family.startsWith(QStringLiteral("D050000L")); }))
        GTEST_SKIP() << "no URW dingbats font";
    PageStore pages;
    const std::uint32_t font = pages.addFont({"D050000L", 10});
    Page& page = pages.addPage(8.2677, 11.6929);
    page.items.emplace_back(PageText{1, 1, font, "Reinigung \xE2\x82\xAC 5 \xE2\x80\x9EJa\xE2\x80\x9C"});
    writePdf(pages, path("symbols.pdf"));
    const std::string pdf = contents(path("symbols.pdf"));
    EXPECT_EQ(countOf(pdf, "/Subtype /Type0"), 1U);
    EXPECT_NE(pdf.find("/BaseFont /D050000L"), std::string::npos);
}

// While a PDF is written, glyphs come without hinting, whatever their caller asks: a hinted glyph
// loaded then has the outline that an unhinted one has outside.
TEST(LeanPdfWriting, GlyphsLoadUnhintedOnlyWhileItLives) {
    const char* file = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
    if (!fs::exists(file))
        GTEST_SKIP() << "no Liberation Sans";
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(library, file, 0, &face), 0);
    ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, 11), 0);
    const FT_UInt glyph = FT_Get_Char_Index(face, 'g');
    const auto outline = [&](FT_Int32 flags) {
        EXPECT_EQ(FT_Load_Glyph(face, glyph, flags), 0);
        std::vector<std::pair<FT_Pos, FT_Pos>> points;
        for (short p = 0; p < face->glyph->outline.n_points; ++p)
            points.emplace_back(face->glyph->outline.points[p].x, face->glyph->outline.points[p].y);
        return points;
    };
    const auto hinted = outline(FT_LOAD_DEFAULT);
    const auto unhinted = outline(FT_LOAD_NO_HINTING);
    ASSERT_NE(hinted, unhinted); // hinting moves points at this size: the check can see it
    {
        const LeanPdfWriting lean;
        EXPECT_EQ(outline(FT_LOAD_DEFAULT), unhinted);
    }
    EXPECT_EQ(outline(FT_LOAD_DEFAULT), hinted);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}
