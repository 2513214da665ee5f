#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utime.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <thread>

namespace platform {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return file.readAll();
}

TEST(SaveFileAtomically, WritesAndReplacesTheWholeFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("protocol.rtf");
    ASSERT_TRUE(SaveFileAtomically(path, QByteArray("a much longer first content")));
    ASSERT_TRUE(SaveFileAtomically(path, QByteArray("short")));
    EXPECT_EQ(ReadAll(path), QByteArray("short"));  // nothing of the old tail left
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"protocol.rtf"});
}

TEST(SaveFileAtomically, AFolderThatCannotBeWrittenIsReported) {
    QTemporaryDir dir;
    const QString path = dir.filePath("no such folder/protocol.rtf");
    QString error;
    EXPECT_FALSE(SaveFileAtomically(path, QByteArray("text"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

// A short write (the file-size limit of the process stands in for a full
// disk) must neither truncate the file that was there nor leave a partial
// file behind.
TEST(SaveFileAtomically, AShortWriteKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("protocol.rtf");
    ASSERT_TRUE(SaveFileAtomically(path, QByteArray("old protocol")));

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool saved = SaveFileAtomically(path, QByteArray(100000, 'x'), &error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadAll(path), QByteArray("old protocol"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"protocol.rtf"});
}

// Bytes that differ from place to place, so that a piece of the file or a
// shifted copy does not pass as the whole.
QByteArray Pattern(int size, char seed) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + i * 7 % 251);
    return bytes;
}

// Runs `body` in a child process and returns what the child wrote to its
// pipe; the exit status goes to `status`.
template <typename Body>
std::string InChild(Body body, int* status) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return "<no pipe>";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        const std::string said = body();
        (void)!write(pipeEnds[1], said.data(), said.size());
        _exit(0);
    }
    close(pipeEnds[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) said.append(buffer, n);
    close(pipeEnds[0]);
    waitpid(child, status, 0);
    return said;
}

// A full disk, in a child whose file-size limit is 4 KiB: the save fails with
// a sentence that names the file and the reason, the earlier file is left
// byte for byte, and no temporary file stays.
TEST(SaveFileAtomically, AFullDiskIsReportedByNameAndKeepsTheEarlierFileByteForByte) {
    QTemporaryDir dir;
    const QString path = dir.filePath("calculation.txt");
    const QByteArray earlier = Pattern(10000, 'a');  // already beyond the limit
    ASSERT_TRUE(SaveFileAtomically(path, earlier));
    for (const int size : {4097, 100000, 3 << 20}) {
        int status = 0;
        const std::string said = InChild(
            [&] {
                std::signal(SIGXFSZ, SIG_IGN);
                rlimit limit{4096, 4096};
                if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("<no limit>");
                QString error;
                if (SaveFileAtomically(path, Pattern(size, 'x'), &error))
                    return std::string("saved");
                return error.toStdString();
            },
            &status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << size;
        EXPECT_EQ(said,
                  "\"" + path.toStdString() + "\" could not be written: " + std::strerror(EFBIG))
            << size;
        EXPECT_EQ(ReadAll(path), earlier) << size;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{"calculation.txt"})
            << size;
    }
}

// A child killed at any moment of its saves leaves one whole version of the
// file: the earlier one or one it finished, never a piece or an empty file.
TEST(SaveFileAtomically, AChildKilledMidWriteLeavesAWholeFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.emf");
    constexpr int kSize = 8 << 20;
    const QByteArray earlier = Pattern(kSize, 'a');
    const QByteArray versions[] = {Pattern(kSize, 'b'), Pattern(kSize, 'c')};
    ASSERT_TRUE(SaveFileAtomically(path, earlier));
    for (int delayMs : {0, 3, 11, 29}) {
        const pid_t child = fork();
        if (child == 0) {
            for (int i = 0;; ++i) SaveFileAtomically(path, versions[i % 2]);
        }
        // Wait until the child is inside a save (its temporary file exists).
        for (int polls = 0; polls < 5000; ++polls) {
            if (QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size() > 1) break;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        const QByteArray left = ReadAll(path);
        EXPECT_TRUE(left == earlier || left == versions[0] || left == versions[1])
            << "after " << delayMs << " ms the file holds " << left.size() << " bytes";
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden)) {
            if (name != "picture.emf") QFile::remove(dir.filePath(name));
        }
    }
}

TEST(SaveFileAtomically, KeepsTheLinkAndThePermissionsOfTheEarlierFile) {
    QTemporaryDir dir;
    const QString real = dir.filePath("real.rtf");
    const QString link = dir.filePath("link.rtf");
    ASSERT_TRUE(SaveFileAtomically(real, "earlier"));
    ASSERT_EQ(chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(SaveFileAtomically(link, "later"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadAll(real), QByteArray("later"));
    struct stat info {};
    ASSERT_EQ(stat(QFile::encodeName(real).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(SaveFileAtomically, AFolderInPlaceOfTheFileIsRefusedByName) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(SaveFileAtomically(dir.path(), "text", &error));
    EXPECT_EQ(error, "\"" + dir.path() + "\" is a folder, not a file");
}

// The temporary file a save leaves when it is killed between naming its
// file and renaming it: a name of the save's form, and the save's mark.
QString LeaveTemporaryOfKilledSave(const QTemporaryDir& dir, const QString& target,
                                   const char* hex) {
    const QString name = "." + target + ".quorix-save-" + hex + ".tmp";
    const QString full = dir.filePath(name);
    QFile file(full);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("half a file");
    file.close();
    const QByteArray mark = QFile::encodeName(name);
    EXPECT_EQ(setxattr(QFile::encodeName(full).constData(), "user.quorix.save", mark.constData(),
                       mark.size(), 0),
              0);
    return full;
}

// The next save of the same file removes what a killed save left, but no
// file that is merely named like a temporary: not a user's file of any
// name or age, not a copy of a leftover under another name, not one whose
// save still holds its lock (a save stalled for any time), and not one of
// another file.
TEST(SaveFileAtomically, RemovesOnlyTheTemporariesThatKilledSavesLeft) {
    QTemporaryDir dir;
    const QString path = dir.filePath("model.gmm");
    auto userFile = [&](const QString& name) {
        const QString full = dir.filePath(name);
        EXPECT_TRUE(SaveFileAtomically(full, "the user's own"));
        const utimbuf times{std::time(nullptr) - 3600, std::time(nullptr) - 3600};
        EXPECT_EQ(utime(QFile::encodeName(full).constData(), &times), 0);
    };
    userFile(".model.gmm.old.tmp");
    userFile(".model.gmm.k3f9a.tmp");
    userFile(".model.gmm.quorix-save-00000000000000ab.tmp");  // no mark
    LeaveTemporaryOfKilledSave(dir, "model.gmm", "0123456789abcdef");
    const QString stalled = LeaveTemporaryOfKilledSave(dir, "model.gmm", "00000000deadbeef");
    LeaveTemporaryOfKilledSave(dir, "other.gmm", "0123456789abcdef");
    const QString copied = dir.filePath(".model.gmm.quorix-save-1111111111111111.tmp");
    ASSERT_TRUE(QFile::copy(dir.filePath(".model.gmm.quorix-save-0123456789abcdef.tmp"), copied));
    const QByteArray wrongMark = ".model.gmm.quorix-save-0123456789abcdef.tmp";
    ASSERT_EQ(setxattr(QFile::encodeName(copied).constData(), "user.quorix.save",
                       wrongMark.constData(), wrongMark.size(), 0),
              0);
    // A save in another process, stalled while it holds its temporary.
    const int writer = open(QFile::encodeName(stalled).constData(), O_RDONLY);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(flock(writer, LOCK_EX), 0);

    ASSERT_TRUE(SaveFileAtomically(path, "model"));
    close(writer);
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, (QStringList{".model.gmm.k3f9a.tmp", ".model.gmm.old.tmp",
                                 ".model.gmm.quorix-save-00000000000000ab.tmp",
                                 ".model.gmm.quorix-save-00000000deadbeef.tmp",
                                 ".model.gmm.quorix-save-1111111111111111.tmp",
                                 ".other.gmm.quorix-save-0123456789abcdef.tmp", "model.gmm"}));
    EXPECT_EQ(ReadAll(dir.filePath(".model.gmm.old.tmp")), "the user's own");
    // The saved file keeps no mark of the save.
    char value[256];
    EXPECT_LT(
        getxattr(QFile::encodeName(path).constData(), "user.quorix.save", value, sizeof value), 0);
}

// Two processes saving the same file over and over at once: each save
// finds its own temporary file where it left it, and the file is always
// one whole version.
TEST(SaveFileAtomically, TwoProcessesSavingAtOnceLeaveAWholeFileAndLoseNoSave) {
    QTemporaryDir dir;
    const QString path = dir.filePath("protocol.rtf");
    const QByteArray versions[] = {Pattern(300000, 'a'), Pattern(300000, 'b')};
    ASSERT_TRUE(SaveFileAtomically(path, versions[0]));
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        if (children[c] == 0) {
            for (int i = 0; i < 200; ++i) {
                if (!SaveFileAtomically(path, versions[c])) _exit(1);
            }
            _exit(0);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const QByteArray left = ReadAll(path);
    EXPECT_TRUE(left == versions[0] || left == versions[1]);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"protocol.rtf"});
}

// A file whose name is not UTF-8 comes from a file dialog with U+FFFD in
// place of its bad bytes: it is read and replaced under its own name. Where
// two names of the folder show the same, neither is touched and the reason
// is given.
TEST(SaveFileAtomically, ANameThatIsNotUtf8NamesItsOneFile) {
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + "/caf\xE9";
    ASSERT_EQ(mkdir(folder.constData(), 0700), 0);
    const QByteArray raw = folder + "/r\xE9sum\xE9.txt";
    const int fd = open(raw.constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "1+1", 3), 3);
    close(fd);
    const QString shown = QFile::decodeName(raw);
    ASSERT_TRUE(shown.contains(QChar::ReplacementCharacter));

    QByteArray bytes;
    QString error;
    EXPECT_EQ(ReadFileLimited(shown, 100, &bytes, &error), FileRead::kRead) << error.toStdString();
    EXPECT_EQ(bytes, "1+1");
    ASSERT_TRUE(SaveFileAtomically(shown, "2+2", &error)) << error.toStdString();
    EXPECT_EQ(ReadAll(QFile::decodeName(raw)), "<missing>");  // the shown name is no file
    DIR* listing = opendir(folder.constData());
    ASSERT_NE(listing, nullptr);
    QList<QByteArray> names;
    while (const dirent* entry = readdir(listing)) {
        if (entry->d_name[0] != '.') names.append(entry->d_name);
    }
    closedir(listing);
    EXPECT_EQ(names, QList<QByteArray>{"r\xE9sum\xE9.txt"});
    EXPECT_EQ(ReadFileLimited(shown, 100, &bytes, &error), FileRead::kRead);
    EXPECT_EQ(bytes, "2+2");

    // A second name that shows the same.
    const QByteArray twin = folder + "/r\xE8sum\xE8.txt";
    ASSERT_EQ(QFile::decodeName(twin), shown);
    const int fd2 = open(twin.constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd2, 0);
    close(fd2);
    EXPECT_FALSE(SaveFileAtomically(shown, "3+3", &error));
    EXPECT_EQ(error, "\"" + shown +
                         "\" cannot be used: its name is not UTF-8 text, and more than one file "
                         "in its folder has a name shown so");
    EXPECT_EQ(ReadFileLimited(shown, 100, &bytes, &error), FileRead::kRefused);
    EXPECT_EQ(error,
              "Its name is not UTF-8 text, and more than one file in its folder has a name shown "
              "so.");
    // The temporary folder is removed by name, which these names are not.
    unlink(raw.constData());
    unlink(twin.constData());
    rmdir(folder.constData());
}

// Reading a user's file: only a regular file, and never more than the limit
// and one byte of it, without waiting for a FIFO's writer.
TEST(ReadFileLimited, ReadsARegularFileWithinTheLimitAndRefusesTheRest) {
    QTemporaryDir dir;
    const QString small = dir.filePath("small.txt");
    const QString full = dir.filePath("full.txt");
    const QString over = dir.filePath("over.txt");
    ASSERT_TRUE(SaveFileAtomically(small, "1+1"));
    ASSERT_TRUE(SaveFileAtomically(full, QByteArray(100, 'x')));
    ASSERT_TRUE(SaveFileAtomically(over, QByteArray(101, 'x')));
    const QString endless = dir.filePath("endless.txt");
    ASSERT_TRUE(QFile::link("/dev/zero", endless));
    const QString fifo = dir.filePath("fifo.txt");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    struct Case {
        QString path;
        FileRead result;
        QByteArray bytes;
        QString error;
    };
    const Case cases[] = {
        {small, FileRead::kRead, "1+1", ""},
        {full, FileRead::kRead, QByteArray(100, 'x'), ""},
        {over, FileRead::kTooLarge, "", ""},
        {endless, FileRead::kRefused, "", "It is not a regular file."},
        {fifo, FileRead::kRefused, "", "It is not a regular file."},
        {dir.path(), FileRead::kRefused, "", "It is a folder, not a file."},
        {dir.filePath("missing.txt"), FileRead::kRefused, "", "No such file or directory."},
    };
    for (const Case& c : cases) {
        QByteArray bytes = "left over";
        QString error;
        EXPECT_EQ(ReadFileLimited(c.path, 100, &bytes, &error), c.result) << c.path.toStdString();
        EXPECT_EQ(bytes, c.bytes) << c.path.toStdString();
        EXPECT_EQ(error, c.error) << c.path.toStdString();
    }
}

}  // namespace
}  // namespace platform
