// Files and folders that are the user's alone, written so that a power cut never leaves half of
// one under its final name. Nothing here follows a symbolic link to change a mode: a mode is set
// only on a file or folder opened without following links and seen to be the user's own.
#pragma once

#include <QString>

namespace PrivateFiles {

// What a path names, the last component never followed.
enum class Kind
{
    Missing,
    File,   // a regular file
    Folder, // a folder
    Other,  // a symbolic link, a device, a pipe, a socket
};
Kind kindOf(const QString &path);

// Makes an existing regular file of the user's own readable and writable by the user alone
// (0600). False, with nothing changed, for anything else: a link, a device, another user's file.
bool restrictFile(const QString &path);

// Makes an existing folder of the user's own the user's alone (0700); false, with nothing
// changed, for anything else (a link to a folder is left as it is).
bool restrictFolder(const QString &path);

// Creates the folder and its missing parents, and makes the folder itself the user's alone.
// True when a folder is there to write into afterwards: one of the user's own made private, or
// a link to a folder someone set up (left as it is). False for a file, a link to nothing, or a
// folder of another user.
bool makeFolder(const QString &path);

// Flushes a file's contents, or a folder's entries, to the disk.
bool syncFile(const QString &path);
bool syncFolder(const QString &path);

// Copies a file into a new user-only file (never over an existing name or through a link) and
// flushes it to the disk. A failed copy leaves nothing at `to`.
bool copyToNewFile(const QString &from, const QString &to);

// Renames a complete file into place: its contents are flushed before the rename and the
// folder's entries after it, so that after a power cut the name holds either the old file or the
// whole new one. Without `replace` an existing file at `to` is left and the rename fails.
bool renameInPlace(const QString &from, const QString &to, bool replace = true);

} // namespace PrivateFiles
