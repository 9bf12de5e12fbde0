#pragma once

#include <QIODevice>
#include <QString>

#include <filesystem>
#include <optional>
#include <string>

#include <sys/stat.h>

namespace kodexa::output {

// A file that a writer fills from start to end: a page file, a PDF.
//
// A regular file, or a new one, is written under a temporary name beside it and renamed over the
// old one only once it is complete and on disk, so a failed write leaves the old file as it was.
// The new file keeps the old one's owner, group and mode. A file the user may not write is refused
// (root may, as with cp). A file with more names than one (hard links), or whose owner the user
// cannot give the new file, is still made beside it but then copied into the old file, which keeps
// its inode; only a failure during that copy can leave it incomplete. A name that stands for one of
// the program's open descriptors (/dev/stdout, /dev/fd/N, /proc/self/fd/N) writes to that
// descriptor, at its offset, as the shell's ">>" or a surrounding "{ ...; } >file" expects.
// A device or FIFO that exists is written in place: renaming over it would destroy it (saving onto
// /dev/null as root must not leave a regular file there), and its write errors are reported as
// any other. A symbolic link is followed and its target written; the link stays. A folder is
// refused, as is a FIFO that no program reads from (the write would wait for ever).
//
// The name is the file system's own bytes and reaches it unchanged, also where it is no text in
// the locale's encoding. Every failure leaves its reason in errorString().
class OutputFile final : public QIODevice {
public:
    explicit OutputFile(std::filesystem::path name);
    ~OutputFile() override; // an unfinished file is discarded
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Only QIODevice::WriteOnly.
    bool open(OpenMode mode = WriteOnly) override;
    // Completes the file: writes what is buffered, then renames the temporary file over the old
    // one. False when anything on the way failed, the first write error included.
    bool commit();
    // Discards the file: the temporary file is removed, the old one stays.
    void close() override;

    bool isSequential() const override { return true; }
    // The name with its symbolic links followed: the file that is written.
    const std::filesystem::path& target() const { return target_; }
    // The system's error number of the first failure, 0 when it had none (a refused file kind), so
    // that a caller can tell it in its own language; whether it was the folder that took no file.
    int errorNumber() const { return errorNumber_; }
    bool failedInFolder() const { return failedInFolder_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool openTarget();
    bool openDescriptor(int descriptor);
    bool openInPlace(bool isFifo);
    // old: the file replaced, whose owner, group and mode the new one keeps; none for a new file.
    bool openBeside(const std::optional<struct stat>& old);
    bool copyIntoTarget();
    bool failInFolder(int error);
    bool fail(const QString& reason);
    bool failWithErrno(int error);
    bool drain();

    int errorNumber_ = 0;
    bool failedInFolder_ = false;
    std::filesystem::path name_;
    std::filesystem::path target_;
    std::filesystem::path temporary_; // empty when the target is written in place
    int descriptor_ = -1;
    int cleanupSlot_ = -1;  // the temporary file's, removed on SIGINT, SIGTERM, SIGHUP
    bool copyBack_ = false; // the finished file is copied into the old one instead of renamed
    std::string buffer_;
    bool failed_ = false;
};

// The file system's bytes for a name that the program holds as text (from a file dialog).
std::filesystem::path nativeFileName(const QString& fileName);
// A name as messages show it: the bytes as the locale's encoding reads them.
QString displayFileName(const std::filesystem::path& name);

} // namespace kodexa::output
