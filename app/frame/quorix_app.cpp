#include "app/frame/quorix_app.h"

#include <fontconfig/fontconfig.h>

#include <QApplication>
#include <QDBusConnection>
#include <cstdio>
#include <thread>

#include "app/frame/main_frame.h"
#include "platform/dialogs.h"
#include "platform/environment.h"

CQuorixNTApp::CQuorixNTApp() = default;

CQuorixNTApp::~CQuorixNTApp() = default;

bool CQuorixNTApp::InitInstance() {
    // Nothing is kept between runs, so there is no settings store to name,
    // and Linux needs no raised timer resolution for short sleeps.
    frame_ = std::make_unique<CMainFrame>();
    if (!frame_->OnCreate()) {
        frame_.reset();
        std::fprintf(stderr, "%s\n", kStartupFailure);
        platform::ShowMessage(nullptr, QString::fromLatin1(kStartupFailure),
                              QString::fromLatin1(CMainFrame::kTitle),
                              platform::MessageIcon::Error);
        return false;
    }
    frame_->ResetSelection(2);
    frame_->ApplyTestToForms();
    frame_->RecalcLayout(true);
    frame_->show();
    return true;
}

int RunQuorix(int argc, char** argv) {
    // The main window measures its fonts to size itself, so the font
    // configuration (some 6 ms of reading configuration files and caches) is
    // needed before it shows; it is read while the application object
    // connects to the display, and ready before the first font is asked for.
    std::thread fontConfiguration([] { FcInit(); });
    // The application object adopts the user's locale for the C library;
    // CreateApplication sets it back to "C" so numbers read and print with ".".
    auto application = platform::CreateApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorix"));
    // Accessibility connects to the desktop's message bus when the first
    // control is made, and waits for the connection; without a running bus
    // the bus library first starts a launcher process. Connecting on a thread
    // of its own lets that wait pass while the fonts are read and the window
    // is built; accessibility then finds the connection made.
    std::thread desktopBus([] { QDBusConnection::sessionBus(); });
    fontConfiguration.join();
    CQuorixNTApp app;
    const bool started = app.InitInstance();
    desktopBus.join();
    if (!started) return 1;
    return QApplication::exec();
}
