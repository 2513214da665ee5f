#pragma once

#include <QString>
#include <cfenv>
#include <filesystem>
#include <functional>
#include <memory>

class QApplication;
class QObject;

namespace platform {

// Numbers are always written and read with "." and dates in English, whatever
// the user's language: call right after the application object is created,
// because it adopts the environment's locale for the C library.
void UseCLocale();

// The application object, followed at once by UseCLocale. `argc` must outlive
// the application.
std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv);

// The floating-point environment (rounding mode, exception masks and flags).
// The program never unmasks a trap; code that must detect overflow tests the
// flags afterwards. Restores the saved environment when it goes out of scope.
class FloatingPointScope {
  public:
    FloatingPointScope();
    ~FloatingPointScope();
    FloatingPointScope(const FloatingPointScope&) = delete;
    FloatingPointScope& operator=(const FloatingPointScope&) = delete;

    // Clears the pending exception flags, keeping masks and rounding.
    static void ClearFlags();

  private:
    std::fenv_t saved_;
};

// The absolute path of the running executable, symbolic links resolved.
std::filesystem::path ExecutablePath();

// The program folder for an executable: the folder that holds it, or the
// folder above when the executable lies in a build folder named "Debug" or
// "Release".
std::filesystem::path ProgramFolderFor(const std::filesystem::path& executable);

// The user's documents folder (the home folder when there is none).
QString DocumentsFolder();

// The user-interface thread is the thread of the application object.
bool OnUiThread();
// Runs `task` on the user-interface thread through the event queue; the task
// is dropped when `context` is destroyed first. Safe from any thread.
void PostToUiThread(QObject* context, std::function<void()> task);
// Dispatches the pending events of the user-interface thread.
void PumpMessages();
void SleepMilliseconds(int ms);

// Shows the wait cursor over the whole application while it lives.
class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace platform
