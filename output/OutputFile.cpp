#include "OutputFile.h"

#include "SignalCleanup.h"
#include "StandardDescriptors.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kodexa::output {

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

// The folder of an entry as the kernel resolves it: /dev/fd and /proc/self/fd become /proc/PID/fd.
std::string resolvedFolder(const fs::path& name) {
    const fs::path folder = name.has_parent_path() ? name.parent_path() : fs::path(".");
    char* resolved = ::realpath(folder.c_str(), nullptr);
    if (resolved == nullptr)
        return {};
    std::string text(resolved);
    std::free(resolved);
    return text;
}

// The number of this process's descriptor that the name leads to, through its links (/dev/stdout,
// /dev/fd/3, /proc/self/fd/1, /proc/thread-self/fd/2), or -1. Such a name stands for an open file
// description, with its offset and O_APPEND: "cpvquery ... --pdf /dev/stdout >>log" appends.
int descriptorOf(fs::path name) {
    const std::string own = "/proc/" + std::to_string(::getpid());
    for (int depth = 0; depth < MaxLinkDepth; ++depth) {
        const std::string folder = resolvedFolder(name);
        const bool descriptorFolder =
            folder == own + "/fd" || (folder.starts_with(own + "/task/") && folder.ends_with("/fd"));
        const std::string entry = name.filename().native();
        if (descriptorFolder && !entry.empty() && entry.size() < 10 &&
            entry.find_first_not_of("0123456789") == std::string::npos)
            return std::stoi(entry);
        struct stat info {};
        if (::lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return -1;
        std::error_code readError;
        const fs::path link = fs::read_symlink(name, readError);
        if (readError)
            return -1;
        name = link.is_absolute() ? link : name.parent_path() / link;
    }
    return -1;
}

// The temporary name's stem: the file's own name, cut where the suffix would take it past the
// longest name the folder takes, so that a name of 255 bytes can still be replaced.
std::string temporaryStem(const fs::path& target, std::size_t suffixLength) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    const std::size_t limit = longest > 0 ? static_cast<std::size_t>(longest) : NAME_MAX;
    std::string stem = target.filename().native();
    if (stem.size() + suffixLength > limit)
        stem.resize(limit > suffixLength ? limit - suffixLength : 1);
    return stem;
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
    if (const int descriptor = descriptorOf(name_); descriptor >= 0) {
        target_ = name_;
        return openDescriptor(descriptor);
    }
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
    if (!exists)
        return openBeside(std::nullopt);
    // The rename would replace a file that the user may not write (the folder's permission is
    // all a rename asks for); root may, as with cp or the shell's ">".
    if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0)
        return failWithErrno(errno);
    // The file's other names must see the new content, which a rename would leave behind.
    copyBack_ = info.st_nlink > 1;
    return openBeside(info);
}

bool OutputFile::openDescriptor(int descriptor) {
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0)
        return failWithErrno(errno);
    if (isPlaceholder(descriptor)) // closed when the program started
        return failWithErrno(EBADF);
    if ((flags & O_ACCMODE) == O_RDONLY)
        return fail(QStringLiteral("Descriptor %1 is not open for writing").arg(descriptor));
    // A copy of the descriptor shares the offset: what the shell writes before and after stays.
    descriptor_ = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 3);
    return descriptor_ >= 0 || failWithErrno(errno);
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

bool OutputFile::openBeside(const std::optional<struct stat>& old) {
    // A new file gets what the umask leaves of rw-rw-rw-, as with any other program.
    const mode_t mode = old ? S_IRUSR | S_IWUSR : 0666;
    const std::size_t suffixLength = randomSuffix().size();
    const fs::path stem = target_.parent_path() / temporaryStem(target_, suffixLength);
    const signalcleanup::SignalsHeld held; // the temporary file is made and registered as one step
    for (int attempt = 0; attempt < 100 && descriptor_ < 0; ++attempt) {
        fs::path candidate = stem;
        candidate += randomSuffix();
        descriptor_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
        if (descriptor_ >= 0)
            temporary_ = candidate;
        else if (errno == EACCES || errno == EROFS)
            return failInFolder(errno);
        else if (errno != EEXIST)
            return failWithErrno(errno);
    }
    if (descriptor_ < 0)
        return failWithErrno(EEXIST);
    cleanupSlot_ = signalcleanup::add(temporary_.native(), signalcleanup::Kind::File);
    if (!old)
        return true;
    // The new file takes the old one's owner and group (root replacing another user's file), then
    // its mode, which a change of owner may have cut. Where the owner cannot be given away, the
    // content goes into the old file at the end instead, which keeps all it had.
    if (::fchown(descriptor_, old->st_uid, old->st_gid) != 0) {
        if (errno != EPERM)
            return failWithErrno(errno);
        copyBack_ = true;
    }
    // Set-user-ID and set-group-ID are not carried over: the content is no longer what they were for.
    if (::fchmod(descriptor_, old->st_mode & 0777) != 0)
        return failWithErrno(errno);
    return true;
}

bool OutputFile::failInFolder(int error) {
    if (!failed_) {
        errorNumber_ = error;
        failedInFolder_ = true;
    }
    const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
    return fail(errnoText(error) + QStringLiteral(": the folder \"%1\" takes no new file")
                                       .arg(QDir::toNativeSeparators(displayFileName(folder))));
}

// Writes the finished temporary file into the old file, which keeps its inode, owner and names.
bool OutputFile::copyIntoTarget() {
    const int source = ::open(temporary_.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return failWithErrno(errno);
    // O_NONBLOCK: a FIFO put in the file's place meanwhile must not stall the open; it is refused.
    const int target = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (target < 0 || ::fstat(target, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = errno;
        ::close(source);
        if (target < 0)
            return failWithErrno(error);
        ::close(target);
        return fail(QStringLiteral("The file changed while it was being written"));
    }
    std::string block(BlockSize, '\0');
    off_t size = 0;
    int error = 0;
    for (;;) {
        const ssize_t got = ::read(source, block.data(), block.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            break;
        }
        if (!writeAll(target, block.data(), static_cast<std::size_t>(got), error))
            break;
        size += got;
    }
    if (error == 0 && (::ftruncate(target, size) != 0 || ::fsync(target) != 0))
        error = errno;
    if (::close(target) != 0 && error == 0 && errno != EINTR)
        error = errno;
    ::close(source);
    return error == 0 || failWithErrno(error);
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
    if (done && !temporary_.empty() && !copyBack_ && ::fsync(descriptor_) != 0)
        done = failWithErrno(errno);
    if (done) {
        // Some file systems report a failed write only when the file is closed.
        const int closed = ::close(descriptor_);
        descriptor_ = -1;
        if (closed != 0 && errno != EINTR)
            done = failWithErrno(errno);
    }
    if (done && copyBack_)
        done = copyIntoTarget();
    else if (done && !temporary_.empty() && !mayReplace(target_))
        done = fail(QStringLiteral("A device or FIFO has taken the file's place meanwhile"));
    else if (done && !temporary_.empty()) {
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
    signalcleanup::remove(cleanupSlot_);
    cleanupSlot_ = -1;
    copyBack_ = false;
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
    if (!failed_)
        errorNumber_ = error;
    return fail(errnoText(error));
}

fs::path nativeFileName(const QString& fileName) {
    return fs::path(QFile::encodeName(fileName).toStdString());
}

QString displayFileName(const fs::path& name) {
    return QFile::decodeName(QByteArray::fromStdString(name.native()));
}

} // namespace kodexa::output
