#pragma once

#include "Merkliste.h"

#include <QString>

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

namespace kodexa {

// Where the Merkliste lives between starts, and reading and writing it there. The file is written
// whole after every change, beside the old one and renamed over it once it is on disk, so that it
// is complete or not written at all; a file that cannot be read whole is never written over: it is
// kept aside under another name in its folder, and the list starts with the lines that could be read.
class MerklisteFile {
public:
    // The largest file read: a list of every code of the vocabulary is under 3 MB.
    static constexpr qint64 MaxFileBytes = 16 * 1024 * 1024;

    explicit MerklisteFile(std::filesystem::path path) : path_(std::move(path)) {}

    // $XDG_DATA_HOME/kodexa/merkliste.tsv, where XDG_DATA_HOME is unset, empty or not absolute
    // ~/.local/share/kodexa/merkliste.tsv.
    static std::filesystem::path standardPath();
    // Why a file could not be written into the folder, and what the user can do, in German.
    static QString writeFailure(int error, const QString& folder);
    // $HOME, else the user's entry in the password database.
    static std::filesystem::path homeFolder();

    const std::filesystem::path& path() const { return path_; }

    struct Loaded {
        merkliste::Merkliste list;
        QString problem; // what the user is told, in German; empty when all was read
    };
    Loaded load(const merkliste::CodeTerms& terms);

    // Writes the whole list, joined with what another program changed in the file meanwhile (the
    // list then holds both programs' changes); on failure, the reason in German and the old file
    // as it was.
    std::optional<QString> save(merkliste::Merkliste& list);
    // The list as another program left the file, where that differs from what this one last read
    // or wrote; nothing when it does not or the file cannot be read whole.
    std::optional<merkliste::Merkliste> changedOutside();

private:
    // The file's bytes as they are now, without waiting on what is not a plain file.
    struct Contents {
        enum State { Missing, LinkLoop, Special, Failed, Read } state = Missing;
        std::string bytes;
        QString failure; // why it could not be read, or what stands there instead
    };
    Contents readContents() const;
    // Moves a file that could not be read whole aside; returns its new name, empty if it stayed.
    std::filesystem::path keepAside();
    // Removes the temporary files of saves that a killed program left beside the list.
    void removeStaleTemporaries() const;
    static uid_t ownerOf(const std::filesystem::path& file);
    // Where a chain of links at the name ends (the name itself when it is no link); none for a loop.
    static std::optional<std::filesystem::path> linkTarget(std::filesystem::path name);

    std::filesystem::path path_;
    const merkliste::CodeTerms* terms_ = nullptr; // the load's, which outlive this file
    merkliste::Merkliste base_;                   // the list as last read or written here
    // A file that could not be read whole and could not be moved aside is never written over.
    bool mayWrite_ = true;
};

} // namespace kodexa
