#include "MerklisteFile.h"

#include "FileLock.h"
#include "OutputFile.h"

#include <QDateTime>
#include <QDir>

#include <QFile>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <system_error>

namespace kodexa {
namespace {

QString shown(const std::filesystem::path& name) {
    return output::displayFileName(name);
}

// Why a file could not be read, in German whatever the locale's language packs.
QString readFailure(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("keine Leseberechtigung");
    case ELOOP:
        return QStringLiteral("die Verweise auf die Datei bilden eine Schleife");
    case ENOTDIR:
        return QStringLiteral("ein Teil des Pfades ist kein Ordner");
    case ENAMETOOLONG:
        return QStringLiteral("der Pfad ist zu lang");
    case EIO:
        return QStringLiteral("Ein-/Ausgabefehler des Datenträgers");
    default:
        return QStringLiteral("Systemfehler %1").arg(error);
    }
}

} // namespace

QString MerklisteFile::writeFailure(int error, const QString& folder) {
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("keine Schreibberechtigung im Ordner „%1“; geben Sie ihn frei oder setzen Sie "
                              "XDG_DATA_HOME auf einen Ordner, der Ihnen gehört")
            .arg(folder);
    case EROFS:
        return QStringLiteral("der Datenträger mit dem Ordner „%1“ ist schreibgeschützt").arg(folder);
    case ENOSPC:
        return QStringLiteral("auf dem Datenträger ist kein Platz mehr; geben Sie Platz frei");
    case EDQUOT:
        return QStringLiteral("Ihr Speicherkontingent ist erschöpft; geben Sie Platz frei");
    case EISDIR:
        return QStringLiteral("unter diesem Namen steht ein Ordner");
    case ENOTDIR:
    case EEXIST:
        return QStringLiteral("wo ein Ordner sein müsste, steht eine Datei");
    case ENOENT:
        return QStringLiteral("der Ordner „%1“ fehlt").arg(folder);
    case EIO:
        return QStringLiteral("Ein-/Ausgabefehler des Datenträgers");
    case 0:
        return QStringLiteral("die Datei lässt sich dort nicht ersetzen");
    default:
        return QStringLiteral("Systemfehler %1").arg(error);
    }
}

namespace {

// What a file that is not a plain file is, for the user.
QString kindOfSpecialFile(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("ein Ordner");
    if (S_ISFIFO(mode))
        return QStringLiteral("eine benannte Pipe (FIFO)");
    if (S_ISSOCK(mode))
        return QStringLiteral("ein Socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("eine Gerätedatei");
    return QStringLiteral("keine gewöhnliche Datei");
}

// A temporary file of a save that never ended (the program was killed while writing): the list's
// name, a dot and six letters or digits, as the safe output names them. One younger than this may
// be another running program's save in progress.
constexpr auto StaleAfter = std::chrono::minutes(1);

bool isTemporaryName(const std::string& name, const std::string& listName) {
    if (name.size() != listName.size() + 7 || !name.starts_with(listName) || name[listName.size()] != '.')
        return false;
    return std::all_of(
        name.begin() + static_cast<std::ptrdiff_t>(listName.size()) + 1, name.end(),
        [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

} // namespace

void MerklisteFile::removeStaleTemporaries() const {
    std::error_code error;
    const std::string listName = path_.filename().native();
    const auto now = std::filesystem::file_time_type::clock::now();
    for (const auto& entry : std::filesystem::directory_iterator(path_.parent_path(), error)) {
        std::error_code entryError;
        if (!isTemporaryName(entry.path().filename().native(), listName) ||
            !entry.is_regular_file(entryError) || entry.is_symlink(entryError))
            continue;
        const auto written = entry.last_write_time(entryError);
        if (!entryError && now - written > StaleAfter && ::getuid() == ownerOf(entry.path()))
            std::filesystem::remove(entry.path(), entryError);
    }
}

std::optional<std::filesystem::path> MerklisteFile::linkTarget(std::filesystem::path name) {
    constexpr int MostLinks = 40; // as the kernel follows them
    for (int followed = 0; followed <= MostLinks; ++followed) {
        std::error_code error;
        if (!std::filesystem::is_symlink(name, error))
            return name;
        const std::filesystem::path link = std::filesystem::read_symlink(name, error);
        if (error)
            return name;
        name = link.is_absolute() ? link : name.parent_path() / link;
    }
    return std::nullopt;
}

uid_t MerklisteFile::ownerOf(const std::filesystem::path& file) {
    struct stat status {};
    return ::lstat(file.c_str(), &status) == 0 ? status.st_uid : static_cast<uid_t>(-1);
}

std::filesystem::path MerklisteFile::standardPath() {
    // The folders' names as bytes, whatever they hold: a name that is no UTF-8 stays the same name.
    std::filesystem::path base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
        base = data;
    else
        base = homeFolder() / ".local" / "share";
    return base / "kodexa" / "merkliste.tsv";
}

std::filesystem::path MerklisteFile::homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr)
        return user->pw_dir;
    return std::filesystem::path(QFile::encodeName(QDir::homePath()).toStdString());
}

MerklisteFile::Contents MerklisteFile::readContents() const {
    Contents contents;
    // Opened without waiting, so that a FIFO or a device at the list's name cannot hold the start.
    const int descriptor = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    // No file, or a file where a folder of the path should be: no list yet (saving will tell).
    if (descriptor < 0 && (errno == ENOENT || errno == ENOTDIR))
        return contents;
    if (descriptor < 0 && errno == ELOOP) {
        contents.state = Contents::LinkLoop;
        return contents;
    }
    struct stat status {};
    if (descriptor >= 0 && ::fstat(descriptor, &status) == 0 && !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        contents.state = Contents::Special;
        contents.failure = kindOfSpecialFile(status.st_mode);
        return contents;
    }
    contents.state = Contents::Failed;
    if (descriptor < 0) {
        contents.failure = readFailure(errno);
        return contents;
    }
    if (status.st_size > MaxFileBytes) {
        ::close(descriptor);
        contents.failure = QStringLiteral("größer als %1 MB").arg(MaxFileBytes / (1024 * 1024));
        return contents;
    }
    std::string& bytes = contents.bytes;
    bytes.resize(static_cast<std::size_t>(MaxFileBytes) + 1);
    std::size_t got = 0;
    for (ssize_t n = 1; n > 0 && got < bytes.size();) {
        n = ::read(descriptor, bytes.data() + got, bytes.size() - got);
        if (n > 0)
            got += static_cast<std::size_t>(n);
        else if (n < 0 && errno == EINTR)
            n = 1;
        else if (n < 0)
            contents.failure = readFailure(errno);
    }
    ::close(descriptor);
    bytes.resize(got);
    if (contents.failure.isEmpty() && got > static_cast<std::size_t>(MaxFileBytes))
        contents.failure = QStringLiteral("größer als %1 MB").arg(MaxFileBytes / (1024 * 1024));
    if (contents.failure.isEmpty())
        contents.state = Contents::Read;
    return contents;
}

MerklisteFile::Loaded MerklisteFile::load(const merkliste::CodeTerms& terms) {
    Loaded loaded;
    terms_ = &terms;
    removeStaleTemporaries();
    const Contents contents = readContents();
    switch (contents.state) {
    case Contents::Missing:
        return loaded;
    case Contents::LinkLoop:
        // A loop of links is the user's own making: told, and left as it is.
        mayWrite_ = false;
        loaded.problem =
            QStringLiteral("Die Verweise auf die Merkliste „%1“ bilden eine Schleife. Sie bleiben "
                           "unverändert; die Liste gilt nur bis zum Ende des Programms.")
                .arg(shown(path_));
        return loaded;
    case Contents::Special:
        mayWrite_ = false;
        loaded.problem =
            QStringLiteral("Unter dem Namen der Merkliste „%1“ steht %2, keine gewöhnliche Datei. "
                           "Sie wird weder gelesen noch ersetzt; die Liste gilt nur bis zum Ende "
                           "des Programms. Entfernen oder verschieben Sie sie, um die Merkliste "
                           "wieder zu speichern.")
                .arg(shown(path_), contents.failure);
        return loaded;
    case Contents::Read:
    case Contents::Failed:
        break;
    }
    const bool whole = contents.state == Contents::Read;
    const QString& failure = contents.failure;
    const std::string& bytes = contents.bytes;
    merkliste::ReadList read;
    if (whole)
        read = merkliste::readFileText(bytes, terms);
    if (whole && !read.damaged) {
        loaded.list = std::move(read.list);
        base_ = loaded.list;
        return loaded;
    }
    loaded.list = std::move(read.list);
    const std::filesystem::path aside = keepAside();
    const QString what =
        whole && read.unreadLines == 0 && read.headerMissing
            ? QStringLiteral("Die Merkliste „%1“ war beschädigt: ihr fehlte die erste Zeile "
                             "„Code, Bezeichnung, Rolle“.")
                  .arg(shown(path_))
        : whole ? QStringLiteral("Die Merkliste „%1“ war beschädigt: %2 Zeile(n) konnten nicht gelesen "
                                 "werden.")
                      .arg(shown(path_))
                      .arg(read.unreadLines)
                : QStringLiteral("Die Merkliste „%1“ konnte nicht gelesen werden (%2).")
                      .arg(shown(path_), failure);
    if (aside.empty()) {
        mayWrite_ = false;
        loaded.problem =
            what + QStringLiteral(" Die Datei bleibt unverändert; die Liste gilt nur bis zum Ende "
                                  "des Programms.");
    } else {
        loaded.problem =
            what + QStringLiteral(" Sie ist jetzt als „%1“ aufbewahrt; die Liste beginnt mit den "
                                  "lesbaren Einträgen.")
                       .arg(shown(aside));
        // The readable entries are the list now: written at once, so that they outlive a quit
        // before the next change.
        if (const std::optional<QString> unsaved = save(loaded.list))
            loaded.problem += u' ' + *unsaved;
    }
    return loaded;
}

std::filesystem::path MerklisteFile::keepAside() {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = path_.filename().string() + ".beschaedigt-" + stamp.toStdString();
        if (attempt > 0)
            name += "-" + std::to_string(attempt);
        const std::filesystem::path aside = path_.parent_path() / name;
        std::error_code error;
        if (std::filesystem::exists(aside, error))
            continue;
        // Linked and unlinked rather than renamed, so that a name that appeared meanwhile is never
        // replaced; renamed where the file system has no links.
        std::filesystem::create_hard_link(path_, aside, error);
        if (!error) {
            std::filesystem::remove(path_, error);
            return aside;
        }
        std::filesystem::rename(path_, aside, error);
        return error ? std::filesystem::path() : aside;
    }
    return {};
}

std::optional<QString> MerklisteFile::save(merkliste::Merkliste& list) {
    if (!mayWrite_)
        return QStringLiteral(
                   "Die Merkliste wird nicht gespeichert, damit die unlesbare Datei „%1“ erhalten bleibt.")
            .arg(shown(path_));
    // A link at the list's name is written through, into the folder it points to, made if need be
    // (a list kept in a synced folder).
    const std::optional<std::filesystem::path> target = linkTarget(path_);
    if (!target)
        return QStringLiteral("Die Merkliste „%1“ kann nicht gespeichert werden: die Verweise auf die Datei "
                              "bilden eine Schleife.")
            .arg(shown(path_));
    std::error_code error;
    std::filesystem::create_directories(target->parent_path(), error);
    if (error)
        return QStringLiteral("Der Ordner „%1“ kann nicht angelegt werden: %2.")
            .arg(shown(target->parent_path()), writeFailure(error.value(), shown(target->parent_path())));
    // Another program may have changed the file since this one read or wrote it: under the lock
    // that both take, its changes and this one's are joined, so that neither loses a code.
    const output::FileLock lock(*target);
    if (terms_ != nullptr) {
        const Contents latest = readContents();
        if (latest.state == Contents::Read) {
            merkliste::ReadList theirs = merkliste::readFileText(latest.bytes, *terms_);
            if (!theirs.damaged && !theirs.list.sameCodesAs(base_))
                list = merkliste::mergeChanges(base_, list, theirs.list);
        }
    }
    output::OutputFile file(path_);
    const std::string text = list.fileText();
    if (!file.open() ||
        file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
        !file.commit())
        return QStringLiteral("Die Merkliste kann nicht in „%1“ gespeichert werden: %2.")
            .arg(shown(path_), writeFailure(file.errorNumber(), shown(target->parent_path())));
    base_ = list;
    return std::nullopt;
}

std::optional<merkliste::Merkliste> MerklisteFile::changedOutside() {
    if (terms_ == nullptr || !mayWrite_)
        return std::nullopt;
    const Contents latest = readContents();
    if (latest.state != Contents::Read)
        return std::nullopt;
    merkliste::ReadList theirs = merkliste::readFileText(latest.bytes, *terms_);
    if (theirs.damaged || theirs.list.sameCodesAs(base_))
        return std::nullopt;
    base_ = theirs.list;
    return std::move(theirs.list);
}

} // namespace kodexa
