#include "MerklisteFile.h"

#include "OutputFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cstdlib>
#include <system_error>

namespace kodexa {
namespace {

QString shown(const std::filesystem::path& name) {
    return report::displayFileName(name);
}

} // namespace

std::filesystem::path MerklisteFile::standardPath() {
    std::filesystem::path base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
        base = data;
    else
        base = std::filesystem::path(QDir::homePath().toStdString()) / ".local" / "share";
    return base / "kodexa" / "merkliste.tsv";
}

MerklisteFile::Loaded MerklisteFile::load(const merkliste::CodeTerms& terms) {
    Loaded loaded;
    QFile file(QString::fromStdString(path_.string()));
    if (!file.exists())
        return loaded;
    std::string bytes;
    bool whole = false;
    if (file.open(QIODevice::ReadOnly) && file.size() <= MaxFileBytes) {
        const QByteArray read = file.read(MaxFileBytes + 1);
        whole = file.error() == QFileDevice::NoError && read.size() <= MaxFileBytes;
        bytes.assign(read.constData(), static_cast<std::size_t>(read.size()));
    }
    merkliste::ReadList read;
    if (whole)
        read = merkliste::readFileText(bytes, terms);
    if (whole && !read.damaged) {
        loaded.list = std::move(read.list);
        return loaded;
    }
    loaded.list = std::move(read.list);
    const std::filesystem::path aside = keepAside();
    const QString what =
        whole ? QStringLiteral("Die Merkliste „%1“ war beschädigt: %2 Zeile(n) konnten nicht gelesen "
                               "werden.")
                    .arg(shown(path_))
                    .arg(read.unreadLines)
              : QStringLiteral("Die Merkliste „%1“ konnte nicht gelesen werden (%2).")
                    .arg(shown(path_), file.errorString());
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

std::optional<QString> MerklisteFile::save(const merkliste::Merkliste& list) {
    if (!mayWrite_)
        return QStringLiteral(
                   "Die Merkliste wird nicht gespeichert, damit die unlesbare Datei „%1“ erhalten bleibt.")
            .arg(shown(path_));
    std::error_code error;
    std::filesystem::create_directories(path_.parent_path(), error);
    if (error)
        return QStringLiteral("Der Ordner „%1“ kann nicht angelegt werden: %2.")
            .arg(shown(path_.parent_path()), QString::fromStdString(error.message()));
    report::OutputFile file(path_);
    const std::string text = list.fileText();
    if (!file.open() ||
        file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
        !file.commit())
        return QStringLiteral("Die Merkliste kann nicht in „%1“ gespeichert werden: %2.")
            .arg(shown(path_), file.errorString());
    return std::nullopt;
}

} // namespace kodexa
