#pragma once

#include <memory>
#include <string>
#include <thread>

class CMainFrame;

// The application: sets up the process and owns the main window.
class CQuorixNTApp {
  public:
    // What start-up says when the main window cannot be made.
    static constexpr const char* kStartupFailure =
        "Quorix could not start: its main window could not be created.";

    CQuorixNTApp();
    ~CQuorixNTApp();

    // Creates, lays out and shows the main window; false when that failed
    // (the message has been shown).
    bool InitInstance();
    CMainFrame* MainFrame() const { return frame_.get(); }

  private:
    std::unique_ptr<CMainFrame> frame_;
};

// Names `family` in the application font when that font still asks for the
// generic "Sans Serif" and the font database has `family`; the size and style
// stay. True when it did.
bool AdoptApplicationFamily(const std::string& family);

// Connects to the desktop's message bus on a thread of its own and waits for
// that thread when it goes. Made first thing in the process, before any other
// thread touches Qt; see RunQuorix for why.
class DesktopBusConnection {
  public:
    DesktopBusConnection();
    ~DesktopBusConnection();
    DesktopBusConnection(const DesktopBusConnection&) = delete;
    DesktopBusConnection& operator=(const DesktopBusConnection&) = delete;

  private:
    std::thread thread_;
};

// The whole program: application object, C locale, main window, event loop.
int RunQuorix(int argc, char** argv);
