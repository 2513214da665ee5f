#include "platform/files.h"

#include <QSaveFile>

namespace platform {

bool SaveFileAtomically(const QString& path, const QByteArray& data, QString* error) {
    QSaveFile file(path);
    // A folder where no temporary file can be made is refused rather than
    // written in place: a failure there would leave a truncated file.
    file.setDirectWriteFallback(false);
    QString problem;
    if (!file.open(QIODevice::WriteOnly)) {
        problem = file.errorString();
    } else if (file.write(data) != data.size()) {
        problem = file.errorString();
        file.cancelWriting();
    } else if (!file.commit()) {
        problem = file.errorString();
    }
    if (problem.isEmpty()) return true;
    if (error) *error = problem;
    return false;
}

}  // namespace platform
