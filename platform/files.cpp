#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

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

// How old a temporary file of a save must be before a later save may take it
// for one left by a save that was killed. A save locks its temporary file a
// moment after creating it; the age keeps that moment out of reach.
constexpr std::time_t kStaleAfterSeconds = 10;

bool IsTemporaryOf(const QByteArray& name, const QByteArray& base) {
    const QByteArray prefix = "." + base + ".";
    const QByteArray suffix = ".tmp";
    if (!name.startsWith(prefix) || !name.endsWith(suffix)) return false;
    const QByteArray middle = name.mid(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (middle.isEmpty()) return false;
    for (const char c : middle) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
    }
    return true;
}

// Removes the temporary files of earlier saves of the same target that were
// killed before their rename. A save holds an exclusive lock on its temporary
// file until it is renamed or removed, so one that can be locked has no save
// behind it any more; one that is locked, or too young, is left alone.
void RemoveStaleTemporaries(const QByteArray& folder, const QByteArray& base) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!IsTemporaryOf(name, base)) continue;
        const QByteArray full = folder + "/" + name;
        const int fd = ::open(full.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            now - info.st_mtime > kStaleAfterSeconds && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(full.constData());
        }
        ::close(fd);
    }
    ::closedir(dir);
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

    RemoveStaleTemporaries(folder, base);
    QByteArray tempName;
    Descriptor fd(CreateTemporary(folder, base, &tempName));
    if (fd.get() < 0) {
        return Fail(error, Quoted(path) + " could not be saved: no new file can be made in " +
                               Quoted(info.absolutePath()) + ": " + Reason(errno));
    }
    // Held until the file is renamed or removed: it tells a later save that
    // this temporary file is still being written.
    ::flock(fd.get(), LOCK_EX);
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

FileRead ReadFileLimited(const QString& path, qint64 limit, QByteArray* bytes, QString* error) {
    auto refuse = [error](const QString& sentence) {
        if (error) *error = sentence;
        return FileRead::kRefused;
    };
    bytes->clear();
    const QByteArray name = QFile::encodeName(path);
    // Not waiting for a writer: a FIFO opens at once and is refused below.
    Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return refuse(Reason(errno) + ".");
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return refuse(Reason(errno) + ".");
    if (S_ISDIR(info.st_mode)) return refuse(QStringLiteral("It is a folder, not a file."));
    if (!S_ISREG(info.st_mode)) return refuse(QStringLiteral("It is not a regular file."));
    if (info.st_size > limit) return FileRead::kTooLarge;
    // The size told by fstat is only a hint (a file may grow or shrink while
    // it is read): read in pieces, and stop one byte past the limit.
    QByteArray read;
    char piece[1 << 16];
    while (read.size() <= limit) {
        const qint64 want = std::min<qint64>(sizeof piece, limit + 1 - read.size());
        const ssize_t got = ::read(fd.get(), piece, static_cast<size_t>(want));
        if (got < 0) {
            if (errno == EINTR) continue;
            return refuse(Reason(errno) + ".");
        }
        if (got == 0) break;
        read.append(piece, static_cast<qsizetype>(got));
    }
    if (read.size() > limit) return FileRead::kTooLarge;
    *bytes = read;
    return FileRead::kRead;
}

}  // namespace platform
