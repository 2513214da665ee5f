#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>

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

}  // namespace
}  // namespace platform
