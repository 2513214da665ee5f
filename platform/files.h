#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Writes `data` as the whole content of the file `path`. The bytes go to a
// temporary file beside it, which takes the file's name only once every byte
// is written and flushed; a failed or short write leaves whatever was at
// `path` before untouched and no partial file behind. On failure returns
// false and, when `error` is given, a sentence for the user.
bool SaveFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

}  // namespace platform
