#include "platform/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// A save killed between making its temporary file and renaming it leaves the
// temporary behind; the next save of the same file removes it, but not one
// that is still being written (locked), one just made, or another file's.
TEST(SaveFileAtomically, RemovesTheTemporariesOfKilledSavesOfItsOwnFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("model.gmm");
    auto make = [&](const QString& name, bool old) {
        const QString full = dir.filePath(name);
        EXPECT_TRUE(SaveFileAtomically(full, "piece"));
        if (old) {
            const utimbuf times{std::time(nullptr) - 3600, std::time(nullptr) - 3600};
            EXPECT_EQ(utime(QFile::encodeName(full).constData(), &times), 0);
        }
        return full;
    };
    make(".model.gmm.k3f9a.tmp", true);
    const QString locked = make(".model.gmm.zz01.tmp", true);
    make(".model.gmm.q7.tmp", false);
    make(".model.gmm.Q7.tmp", true);
    make(".other.gmm.k3f9a.tmp", true);
    // A save of this program in another process, still writing.
    const int writer = open(QFile::encodeName(locked).constData(), O_RDONLY);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(flock(writer, LOCK_EX), 0);

    ASSERT_TRUE(SaveFileAtomically(path, "model"));
    close(writer);
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, (QStringList{".model.gmm.Q7.tmp", ".model.gmm.q7.tmp", ".model.gmm.zz01.tmp",
                                 ".other.gmm.k3f9a.tmp", "model.gmm"}));
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
