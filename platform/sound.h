#pragma once

#include <QString>

namespace platform {

// Plays a sound file once, in the background, and returns at once. Nothing
// plays, and false is returned, when the file does not exist or no player is
// installed: there is no fallback to a default sound.
bool PlaySoundFile(const QString& path);

}  // namespace platform
