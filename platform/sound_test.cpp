#include "platform/sound.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

TEST(PlaySoundFile, AMissingFileOrAFolderPlaysNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_FALSE(platform::PlaySoundFile(dir.filePath("minimieren.wav")));
    EXPECT_FALSE(platform::PlaySoundFile(dir.path()));
    EXPECT_FALSE(platform::PlaySoundFile(QString()));
}
