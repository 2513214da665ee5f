#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The one way the program writes a user's file: whole or not at all.
//
// The bytes go to a new temporary file in the target's own folder (so that
// the final rename stays on one file system), are written, flushed to the
// disk with fsync, checked against the size asked for, and only then renamed
// over the target. Whatever fails on the way (a full disk, a file-size
// limit, a folder without room or rights, a kill in the middle), the file
// that was at `path` before is left byte for byte, and no temporary file is
// left behind except after a kill. A link at `path` is followed, so the file
// it names is replaced and the link kept.
//
// The temporary file is locked from its creation until it has been renamed,
// and carries a mark under its own name (an extended attribute); a later save
// of the same file removes only such marked temporaries whose lock no save
// holds any more (those of killed saves), never another file of the folder,
// whatever its name. Where the file system allows, the temporary file has no
// name until it is written whole, so that a kill before then leaves nothing
// at all; where it keeps no extended attributes, what a killed save left
// stays for the user to remove.
//
// A path with a part that is not UTF-8 text arrives with U+FFFD in place of
// its bad bytes; it names the one file of its folder whose name shows so.
//
// On failure returns false and, when `error` is given, one sentence for the
// user naming the file and the system's reason, such as
// "\"/home/u/a.rtf\" could not be written: No space left on device".
bool SaveFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

// The one way the program reads a user's file: a regular file of at most
// `limit` bytes, read whole.
//
// What is not a regular file once links are followed (a device such as
// /dev/zero, a FIFO, a folder) is refused without reading: a FIFO with no
// writer would block the window, and a device may never end. It is opened
// without waiting, and no more than `limit` + 1 bytes are read, so a file that
// grows while it is read is found too large too.
//
// When it is refused, `error` (if given) holds the reason as one sentence
// without the file's name, such as "It is not a regular file."; the caller
// says which file it was.
enum class FileRead { kRead, kTooLarge, kRefused };
FileRead ReadFileLimited(const QString& path, qint64 limit, QByteArray* bytes,
                         QString* error = nullptr);

}  // namespace platform
