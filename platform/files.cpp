#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
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

// The mark a save writes on its temporary file, once it holds the file's
// lock: an extended attribute whose value is the temporary's own name. A
// user's file never carries it, and a copy under another name does not match
// it, so that only a temporary file of a save is ever removed by a later one.
constexpr char kSaveMark[] = "user.quorix.save";
constexpr char kTemporaryInfix[] = ".quorix-save-";

QByteArray TemporaryName(const QByteArray& base) {
    const quint64 random = QRandomGenerator::global()->generate64();
    return "." + base + kTemporaryInfix + QByteArray::number(random, 16).rightJustified(16, '0') +
           ".tmp";
}

bool IsTemporaryOf(const QByteArray& name, const QByteArray& base) {
    const QByteArray prefix = "." + base + kTemporaryInfix;
    const QByteArray suffix = ".tmp";
    if (name.size() != prefix.size() + 16 + suffix.size()) return false;
    if (!name.startsWith(prefix) || !name.endsWith(suffix)) return false;
    for (const char c : name.mid(prefix.size(), 16)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

bool Mark(int fd, const QByteArray& name) {
    return ::fsetxattr(fd, kSaveMark, name.constData(), static_cast<size_t>(name.size()), 0) == 0;
}

bool CarriesMark(int fd, const QByteArray& name) {
    char value[256];
    const ssize_t size = ::fgetxattr(fd, kSaveMark, value, sizeof value);
    return size == name.size() && std::memcmp(value, name.constData(), name.size()) == 0;
}

// A temporary file for the new content, locked before any other save can
// see it. Where the file system allows it, the file has no name at all
// until it is written whole (NameTemporary), so that a save killed before
// then leaves nothing behind; elsewhere it is created under a new name, and
// marked only once it is locked. `*named` tells which.
int CreateTemporary(const QByteArray& folder, const QByteArray& base, QByteArray* name,
                    bool* named) {
    int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
        ::flock(fd, LOCK_EX);
        *named = false;
        return fd;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = folder + "/" + TemporaryName(base);
        fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX);
            Mark(fd, name->mid(folder.size() + 1));
            *named = true;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
}

// Links a written unnamed temporary file into the folder under a new name;
// 0 or the error.
int NameTemporary(int fd, const QByteArray& folder, const QByteArray& base, QByteArray* name) {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray local = TemporaryName(base);
        *name = folder + "/" + local;
        Mark(fd, local);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name->constData(), AT_SYMLINK_FOLLOW) ==
            0)
            return 0;
        // Without /proc the descriptor itself may be linked.
        if (errno == ENOENT && ::linkat(fd, "", AT_FDCWD, name->constData(), AT_EMPTY_PATH) == 0)
            return 0;
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

// Removes the temporary files that earlier saves of the same target left
// when they were killed between naming their file and renaming it. A
// temporary file is removed only when it proves to be one: its name is of
// the form a save gives, it carries the mark of a save under that very
// name, and no save holds its lock any more (a save locks its temporary
// before marking it and keeps the lock until it has been renamed). Anything
// else in the folder is left alone, whatever its name or age.
void RemoveLeftTemporaries(const QByteArray& folder, const QByteArray& base) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!IsTemporaryOf(name, base)) continue;
        const QByteArray full = folder + "/" + name;
        const int fd = ::open(full.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info {};
        struct stat now {};
        // The name must still lead to the file that was locked: a save that
        // has just renamed its temporary released it under the final name.
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            CarriesMark(fd, name) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::lstat(full.constData(), &now) == 0 && now.st_ino == info.st_ino &&
            now.st_dev == info.st_dev) {
            ::unlink(full.constData());
        }
        ::close(fd);
    }
    ::closedir(dir);
}

// The bytes of a path as the system knows them. A file name that is not
// UTF-8 comes into the program as text with U+FFFD in place of each byte
// that is not, and encoding that text again names no file; each such part
// of the path is looked up among the names in its folder instead. False when
// more than one name there reads as that part: none of them can be meant.
bool NativeName(const QString& path, QByteArray* native) {
    *native = QFile::encodeName(path);
    if (!path.contains(QChar::ReplacementCharacter)) return true;
    const QStringList parts = path.split(QLatin1Char('/'));
    QByteArray built;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QByteArray part = QFile::encodeName(parts[i]);
        if (parts[i].contains(QChar::ReplacementCharacter)) {
            const QByteArray folder = i == 0 ? QByteArray(".") : built.isEmpty() ? "/" : built;
            int found = 0;
            if (DIR* dir = ::opendir(folder.constData())) {
                while (const dirent* entry = ::readdir(dir)) {
                    if (QFile::decodeName(entry->d_name) != parts[i]) continue;
                    part = entry->d_name;
                    ++found;
                }
                ::closedir(dir);
            }
            if (found > 1) return false;
        }
        built = i == 0 ? part : built + "/" + part;
    }
    *native = built;
    return true;
}

constexpr char kUnusableName[] =
    "cannot be used: its name is not UTF-8 text, and more than one file in its folder has a "
    "name shown so";

bool Fail(QString* error, const QString& sentence) {
    if (error) *error = sentence;
    return false;
}

}  // namespace

bool SaveFileAtomically(const QString& path, const QByteArray& data, QString* error) {
    QByteArray given;
    if (!NativeName(path, &given)) return Fail(error, Quoted(path) + " " + kUnusableName);
    if (!given.startsWith('/')) given = QFile::encodeName(QDir::currentPath()) + "/" + given;
    // Follow a link so that the file it names is replaced, not the link.
    QByteArray finalName = given;
    struct stat link {};
    struct stat existing {};
    const bool exists = ::stat(given.constData(), &existing) == 0;
    if (exists && ::lstat(given.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* real = ::realpath(given.constData(), nullptr)) {
            finalName = real;
            std::free(real);
        }
    }
    if (exists && S_ISDIR(existing.st_mode))
        return Fail(error, Quoted(path) + " is a folder, not a file");
    const qsizetype slash = finalName.lastIndexOf('/');
    const QByteArray folder = slash == 0 ? QByteArray("/") : finalName.left(slash);
    const QByteArray base = finalName.mid(slash + 1);
    // A file the user may not change is not replaced behind its back.
    if (exists && ::access(finalName.constData(), W_OK) != 0) {
        return Fail(error, Quoted(path) + " cannot be changed: " + Reason(errno));
    }

    RemoveLeftTemporaries(folder, base);
    QByteArray tempName;
    bool named = false;
    Descriptor fd(CreateTemporary(folder, base, &tempName, &named));
    if (fd.get() < 0) {
        return Fail(error, Quoted(path) + " could not be saved: no new file can be made in " +
                               Quoted(QFile::decodeName(folder)) + ": " + Reason(errno));
    }
    // The lock, taken as the file was made, is held by a second descriptor
    // until the file has been renamed or removed: it tells a later save that
    // this temporary file is still being written. The first one is closed
    // before the rename, to hear of a write error that shows only then.
    Descriptor lock(::dup(fd.get()));
    // From here on, any failure removes the temporary file (an unnamed one
    // goes with its descriptors) and leaves the target as it was.
    auto removeTemporary = [&] {
        if (named) ::unlink(tempName.constData());
    };
    auto failAndRemove = [&](const QString& what, int code) {
        fd.Close();
        removeTemporary();
        return Fail(error, Quoted(path) + " " + what + ": " + Reason(code));
    };
    if (lock.get() < 0) return failAndRemove("could not be saved", errno);

    // An existing file keeps its permissions.
    if (exists) ::fchmod(fd.get(), existing.st_mode & 07777);
    if (const int code = WriteAll(fd.get(), data.constData(), data.size())) {
        return failAndRemove("could not be written", code);
    }
    if (::fsync(fd.get()) != 0) return failAndRemove("could not be flushed to the disk", errno);
    struct stat written {};
    if (::fstat(fd.get(), &written) != 0) return failAndRemove("could not be checked", errno);
    if (written.st_size != data.size()) return failAndRemove("was not written whole", EIO);
    if (!named) {
        if (const int code = NameTemporary(fd.get(), folder, base, &tempName)) {
            return failAndRemove("could not be saved", code);
        }
        named = true;
    }
    if (const int code = fd.Close()) {
        removeTemporary();
        return Fail(error, Quoted(path) + " could not be written: " + Reason(code));
    }
    if (::rename(tempName.constData(), finalName.constData()) != 0) {
        const int code = errno;
        removeTemporary();
        return Fail(error, Quoted(path) + " could not replace the earlier file: " + Reason(code));
    }
    // The saved file keeps no mark of the save.
    ::fremovexattr(lock.get(), kSaveMark);
    lock.Close();
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
    QByteArray name;
    if (!NativeName(path, &name)) {
        return refuse(
            QStringLiteral("Its name is not UTF-8 text, and more than one file in its "
                           "folder has a name shown so."));
    }
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
