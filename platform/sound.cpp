#include "platform/sound.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

bool PlaySoundFile(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) return false;
    // The desktop's own players; the one that is installed plays the file in
    // a process of its own, so the caller never waits for the sound.
    for (const char* player : {"paplay", "aplay"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(player));
        if (program.isEmpty()) continue;
        QStringList arguments;
        if (QLatin1String(player) == QLatin1String("aplay")) arguments << QStringLiteral("-q");
        arguments << path;
        return QProcess::startDetached(program, arguments);
    }
    return false;
}

}  // namespace platform
