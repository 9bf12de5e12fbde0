#include "OutputFile.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kodexa::report {

namespace fs = std::filesystem;

namespace {

// Writes reach the system in blocks of this size; a PDF writer hands over many small pieces.
constexpr std::size_t BlockSize = std::size_t(64) << 10;
// As many links as the kernel follows in one name.
constexpr int MaxLinkDepth = 40;

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The name with its symbolic links followed as far as they lead: a link to a missing file gives the
// missing file's name, which the write then creates, and the link stays a link.
fs::path followLinks(fs::path name, int& error) {
    for (int depth = 0; depth < MaxLinkDepth; ++depth) {
        struct stat info {};
        if (::lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return name;
        std::error_code readError;
        const fs::path link = fs::read_symlink(name, readError);
        if (readError) {
            error = readError.value();
            return {};
        }
        name = link.is_absolute() ? link : name.parent_path() / link;
    }
    error = ELOOP;
    return {};
}

std::string randomSuffix() {
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix(".");
    for (int i = 0; i < 6; ++i)
        suffix += Letters[QRandomGenerator::global()->bounded(int(sizeof(Letters) - 1))];
    return suffix;
}

// Whether a rename may put the new file in the name's place: nothing is there, or a regular file,
// or a symbolic link put there meanwhile (only the link is lost).
bool mayReplace(const fs::path& name) {
    struct stat info {};
    if (::lstat(name.c_str(), &info) != 0)
        return true;
    return S_ISREG(info.st_mode) || S_ISLNK(info.st_mode);
}

bool writeAll(int descriptor, const char* data, std::size_t size, int& error) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

OutputFile::OutputFile(fs::path name) : name_(std::move(name)) {}

OutputFile::~OutputFile() {
    close();
}

bool OutputFile::open(OpenMode mode) {
    if (isOpen() || mode != WriteOnly) {
        setErrorString(QStringLiteral("The file can only be opened once, for writing"));
        return false;
    }
    failed_ = false;
    if (!openTarget()) {
        close();
        return false;
    }
    return QIODevice::open(WriteOnly | Unbuffered);
}

bool OutputFile::openTarget() {
    if (name_.empty())
        return failWithErrno(ENOENT);
    // What the name leads to decides; a device is opened by the name as given, since links like
    // /dev/stdout lead through /proc to a pipe that has no name to follow.
    struct stat info {};
    const bool exists = ::stat(name_.c_str(), &info) == 0;
    if (!exists && errno != ENOENT)
        return failWithErrno(errno);
    if (exists && S_ISDIR(info.st_mode))
        return failWithErrno(EISDIR);
    if (exists && !S_ISREG(info.st_mode)) {
        target_ = name_;
        return openInPlace(S_ISFIFO(info.st_mode));
    }
    int error = 0;
    target_ = followLinks(name_, error);
    if (target_.empty())
        return failWithErrno(error);
    return openBeside(exists ? std::optional<unsigned>(info.st_mode & 0777) : std::nullopt);
}

bool OutputFile::openInPlace(bool isFifo) {
    // Without O_NONBLOCK, opening a FIFO that nobody reads would wait for a reader for ever.
    descriptor_ = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor_ < 0) {
        if (isFifo && errno == ENXIO)
            return fail(QStringLiteral("No program reads from the FIFO"));
        return failWithErrno(errno);
    }
    struct stat info {};
    if (::fstat(descriptor_, &info) != 0)
        return failWithErrno(errno);
    if (S_ISREG(info.st_mode)) // a regular file has taken the place of the device meanwhile
        return fail(QStringLiteral("The file changed while it was being opened"));
    const int flags = ::fcntl(descriptor_, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor_, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return failWithErrno(errno);
    return true;
}

bool OutputFile::openBeside(std::optional<unsigned> permissions) {
    // A new file gets what the umask leaves of rw-rw-rw-, as with any other program.
    const mode_t mode = permissions ? S_IRUSR | S_IWUSR : 0666;
    for (int attempt = 0; attempt < 100 && descriptor_ < 0; ++attempt) {
        fs::path candidate = target_;
        candidate += randomSuffix();
        descriptor_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
        if (descriptor_ >= 0)
            temporary_ = candidate;
        else if (errno != EEXIST)
            return failWithErrno(errno);
    }
    if (descriptor_ < 0)
        return failWithErrno(EEXIST);
    if (permissions && ::fchmod(descriptor_, static_cast<mode_t>(*permissions)) != 0)
        return failWithErrno(errno);
    return true;
}

qint64 OutputFile::readData(char*, qint64) {
    return -1;
}

qint64 OutputFile::writeData(const char* data, qint64 size) {
    if (failed_ || descriptor_ < 0)
        return -1;
    buffer_.append(data, static_cast<std::size_t>(size));
    if (buffer_.size() >= BlockSize && !drain())
        return -1;
    return size;
}

bool OutputFile::drain() {
    int error = 0;
    const bool written = writeAll(descriptor_, buffer_.data(), buffer_.size(), error);
    buffer_.clear();
    return written || failWithErrno(error);
}

bool OutputFile::commit() {
    if (!isOpen())
        return false;
    bool done = !failed_ && drain();
    // Only a file on disk needs the sync before the rename; a device or FIFO may not even have one.
    if (done && !temporary_.empty() && ::fsync(descriptor_) != 0)
        done = failWithErrno(errno);
    if (done) {
        // Some file systems report a failed write only when the file is closed.
        const int closed = ::close(descriptor_);
        descriptor_ = -1;
        if (closed != 0 && errno != EINTR)
            done = failWithErrno(errno);
    }
    if (done && !temporary_.empty() && !mayReplace(target_))
        done = fail(QStringLiteral("A device or FIFO has taken the file's place meanwhile"));
    if (done && !temporary_.empty()) {
        if (::rename(temporary_.c_str(), target_.c_str()) == 0)
            temporary_.clear();
        else
            done = failWithErrno(errno);
    }
    close();
    return done;
}

void OutputFile::close() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
    buffer_.clear();
    if (isOpen())
        QIODevice::close();
}

bool OutputFile::fail(const QString& reason) {
    if (!failed_) // the first failure is the one to tell
        setErrorString(reason);
    failed_ = true;
    return false;
}

bool OutputFile::failWithErrno(int error) {
    return fail(errnoText(error));
}

fs::path nativeFileName(const QString& fileName) {
    return fs::path(QFile::encodeName(fileName).toStdString());
}

QString displayFileName(const fs::path& name) {
    return QFile::decodeName(QByteArray::fromStdString(name.native()));
}

} // namespace kodexa::report
