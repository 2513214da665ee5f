#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>

namespace platform {
namespace {

QString Quoted(const QString& path) {
    return "\"" + QDir::toNativeSeparators(path) + "\"";
}

QString Reason(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// An open descriptor that is closed on every way out; Close() reports the
// error of a close, which on some file systems is where a deferred write
// error first shows.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

  private:
    int fd_;
};

// Writes every byte, going on after a partial write or an interrupted call;
// returns 0 or the error that stopped it.
int WriteAll(int fd, const char* bytes, qint64 size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (written == 0) return EIO;
        bytes += written;
        size -= written;
    }
    return 0;
}

// A temporary file beside the target, created new (never an existing one),
// with the permissions a new file gets from the umask.
int CreateTemporary(const QByteArray& folder, const QByteArray& base, QByteArray* name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = folder + "/." + base + "." +
                QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

bool Fail(QString* error, const QString& sentence) {
    if (error) *error = sentence;
    return false;
}

}  // namespace

bool SaveFileAtomically(const QString& path, const QByteArray& data, QString* error) {
    const QFileInfo given(path);
    // Follow a link so that the file it names is replaced, not the link.
    const QString target =
        given.isSymLink() && given.exists() ? given.canonicalFilePath() : given.absoluteFilePath();
    const QFileInfo info(target);
    if (info.isDir()) return Fail(error, Quoted(path) + " is a folder, not a file");
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray base = QFile::encodeName(info.fileName());
    const QByteArray finalName = QFile::encodeName(target);
    // A file the user may not change is not replaced behind its back.
    if (info.exists() && ::access(finalName.constData(), W_OK) != 0) {
        return Fail(error, Quoted(path) + " cannot be changed: " + Reason(errno));
    }

    QByteArray tempName;
    Descriptor fd(CreateTemporary(folder, base, &tempName));
    if (fd.get() < 0) {
        return Fail(error, Quoted(path) + " could not be saved: no new file can be made in " +
                               Quoted(info.absolutePath()) + ": " + Reason(errno));
    }
    // From here on, any failure removes the temporary file and leaves the
    // target as it was.
    auto failAndRemove = [&](const QString& what, int code) {
        fd.Close();
        ::unlink(tempName.constData());
        return Fail(error, Quoted(path) + " " + what + ": " + Reason(code));
    };

    // An existing file keeps its permissions.
    struct stat existing {};
    if (::stat(finalName.constData(), &existing) == 0) {
        ::fchmod(fd.get(), existing.st_mode & 07777);
    }
    if (const int code = WriteAll(fd.get(), data.constData(), data.size())) {
        return failAndRemove("could not be written", code);
    }
    if (::fsync(fd.get()) != 0) return failAndRemove("could not be flushed to the disk", errno);
    struct stat written {};
    if (::fstat(fd.get(), &written) != 0) return failAndRemove("could not be checked", errno);
    if (written.st_size != data.size()) return failAndRemove("was not written whole", EIO);
    if (const int code = fd.Close()) {
        ::unlink(tempName.constData());
        return Fail(error, Quoted(path) + " could not be written: " + Reason(code));
    }
    if (::rename(tempName.constData(), finalName.constData()) != 0) {
        const int code = errno;
        ::unlink(tempName.constData());
        return Fail(error, Quoted(path) + " could not replace the earlier file: " + Reason(code));
    }
    // The rename itself reaches the disk with the folder; a folder that
    // cannot be synced (some network file systems) has still been renamed in.
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace platform
