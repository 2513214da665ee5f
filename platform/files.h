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
// On failure returns false and, when `error` is given, one sentence for the
// user naming the file and the system's reason, such as
// "\"/home/u/a.rtf\" could not be written: No space left on device".
bool SaveFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

}  // namespace platform
