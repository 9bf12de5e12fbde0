#include "PageFiles.h"

#include "OutputFile.h"
#include "PageFile.h"
#include "PdfOutput.h"
#include "ReportLayout.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kodexa::report {

using output::displayFileName;
using output::nativeFileName;
using output::OutputFile;

namespace {

// "Cannot open "name". Reason", with the reason's first letter raised.
std::string failure(const char* action, const QString& fileName, std::string reason) {
    if (!reason.empty() && reason.front() >= 'a' && reason.front() <= 'z')
        reason.front() = static_cast<char>(reason.front() - 'a' + 'A');
    return std::string(action) + " \"" + QDir::toNativeSeparators(fileName).toStdString() + "\". " + reason;
}

[[noreturn]] void cannotOpen(const QString& fileName, const std::string& reason) {
    throw ReportError(failure("Cannot open", fileName, reason));
}

// Why a file system entry cannot be read as a page file, or nullptr for a regular file.
const char* notAFile(const struct stat& status) {
    if (S_ISREG(status.st_mode))
        return nullptr;
    if (S_ISDIR(status.st_mode))
        return "it is a folder, not a file";
    return "it is not a regular file";
}

// Closes a file descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { ::close(descriptor_); }
    int get() const { return descriptor_; }

private:
    int descriptor_;
};

// Opens the file for reading, refusing what is not a regular file before it is opened: opening a
// named pipe waits for a writer, and a device may never end. The entry is checked again once open,
// in case it was replaced in between; the open itself does not wait.
int openRegularFile(const std::filesystem::path& path, const QString& fileName) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        cannotOpen(fileName, std::strerror(errno));
    if (const char* reason = notAFile(status))
        cannotOpen(fileName, reason);
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        cannotOpen(fileName, std::strerror(errno));
    const char* reason = ::fstat(descriptor, &status) != 0 ? std::strerror(errno) : notAFile(status);
    if (reason) {
        ::close(descriptor);
        cannotOpen(fileName, reason);
    }
    return descriptor;
}

[[noreturn]] void cannotSave(const QString& fileName, const std::string& reason) {
    throw ReportError(failure("Cannot save", fileName, reason));
}

} // namespace

const FileFormat& pageFileFormat() {
    static const FileFormat format{QStringLiteral("Rave Snapshot Files (*.ndr)|*.ndr"), QStringLiteral("ndr"),
                                   &savePageFile};
    return format;
}

QString openFileFilter() {
    return pageFileFormat().filter + QStringLiteral("|All Files|*.*");
}

const std::vector<FileFormat>& fileRenderers() {
    static const std::vector<FileFormat> renderers{
        {QStringLiteral("PDF Files (*.pdf)|*.pdf"), QStringLiteral("pdf"), &writePdf},
    };
    return renderers;
}

std::vector<const FileFormat*> saveFormats() {
    std::vector<const FileFormat*> formats{&pageFileFormat()};
    for (const FileFormat& renderer : fileRenderers())
        formats.push_back(&renderer);
    return formats;
}

void savePageFile(const PageStore& pages, const QString& fileName) {
    std::string bytes;
    try {
        bytes = writePageFile(pages);
    } catch (const PageFileError& error) {
        cannotSave(fileName, error.what());
    }
    OutputFile file(nativeFileName(fileName));
    if (!file.open() ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !file.commit())
        cannotSave(fileName, file.errorString().toStdString());
}

PageStore openPageFile(const QString& fileName) {
    return openPageFile(nativeFileName(fileName));
}

PageStore openPageFile(const std::filesystem::path& path) {
    const QString fileName = displayFileName(path);
    const Descriptor descriptor(openRegularFile(path, fileName));
    QFile file; // closed before the descriptor
    if (!file.open(descriptor.get(), QIODevice::ReadOnly))
        cannotOpen(fileName, file.errorString().toStdString());
    constexpr auto MaxBytes = static_cast<qint64>(MaxPageFileBytes);
    if (file.size() > MaxBytes)
        cannotOpen(fileName, "the file is too large for a page file");
    // Read one byte beyond the limit, so that a file that grows meanwhile or misstates its size is
    // still caught.
    const QByteArray bytes = file.read(MaxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        cannotOpen(fileName, file.errorString().toStdString());
    if (bytes.size() > MaxBytes)
        cannotOpen(fileName, "the file is too large for a page file");
    try {
        return readPageFile(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const PageFileError& error) {
        cannotOpen(fileName, error.what());
    }
}

QStringList toNameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        if (patterns == u"*.*")
            patterns = QStringLiteral("*");
        if (description.contains(u'(' + patterns + u')'))
            filters.append(description);
        else
            filters.append(description + QStringLiteral(" (") + patterns + u')');
    }
    return filters;
}

} // namespace kodexa::report
