// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QFile;

namespace veltrin {

// What stands at a path, as far as writing a file there is concerned.
enum class FileKind {
    Missing,
    Regular,
    Folder,
    Stream, // a character device or a FIFO: written to as it is, never replaced
    Other,  // a block device, a socket, ...: never written to
};
FileKind kindOf(const QString &path);

// The file a write to `path` must reach: through every symbolic link, as the
// system follows it, to the place its last target names (which need not exist
// yet). Empty, with `systemError` saying why (ELOOP for a loop of links),
// when a folder on the way cannot be reached.
QString followLinks(const QString &path, int &systemError);

// A name beside `path` that nobody else has yet, hidden on Unix and as short
// whatever the length of `path`'s own name.
QString nameBeside(const QString &path);

// Opens `file` as a new, empty file beside `path` under a name of its own
// (nameBeside), with the permissions a new file gets, or readable and
// writable by its owner alone when `ownerOnly`; false, with `systemError`
// saying why, when none could be made.
bool createFileBeside(const QString &path, QFile &file, int &systemError, bool ownerOnly = false);

// The form of an absolute Windows path that no length limit applies to:
// "C:\a" becomes "\\?\C:\a", "\\server\share\a" becomes "\\?\UNC\server\share\a".
QString longPathForm(const QString &absoluteNativePath);

// Flushes `file`'s written bytes from the system's caches to the disk; false
// with the reason in `systemError` when that fails.
bool flushToDisk(QFile &file, int &systemError);

// Writes all of `bytes` to the character device or FIFO at `path` without
// creating, truncating or waiting for it: a FIFO nobody reads is an error.
bool writeToStream(const QString &path, const QByteArray &bytes, int &systemError);

// How a move of a finished file into its place went.
enum class MoveResult {
    Moved,
    Exists,      // without replacing: the name is taken, and that file stays
    Failed,      // both files are where they were
    OldAtBackup, // the replaced file was moved to the backup name, the new one was not moved in
};

// The moves a safe write makes, behind a seam so that tests can make them fail
// each way the system may.
class FileMoves
{
public:
    virtual ~FileMoves() = default;
    // Moves `from` to `to` in one step, so that `to` is never half written.
    // With `replace`, a file at `to` is replaced; a system that may part it
    // from its name midway keeps it at `backup` then (OldAtBackup). Without
    // it, a file at `to` stays, even one made meanwhile (Exists).
    virtual MoveResult move(const QString &from, const QString &to, bool replace,
                            const QString &backup, int &systemError) = 0;
    virtual bool remove(const QString &path) = 0;
};

FileMoves &systemFileMoves();

} // namespace veltrin
