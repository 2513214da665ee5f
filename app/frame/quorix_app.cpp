#include "app/frame/quorix_app.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFont>
#include <QFontDatabase>
#include <QThread>
#include <cstdio>

#include "app/frame/font_configuration.h"
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

bool AdoptApplicationFamily(const std::string& family) {
    QFont font = QApplication::font();
    if (family.empty() || font.family() != QLatin1String(kGenericSansFamily)) return false;
    const QString name = QString::fromStdString(family);
    // The list, not hasFamily: that would ask the font configuration for
    // aliases of the name, a cost this step is here to avoid.
    if (!QFontDatabase::families().contains(name, Qt::CaseInsensitive)) return false;
    font.setFamily(name);
    QApplication::setFont(font);
    return true;
}

DesktopBusConnection::DesktopBusConnection() {
    // Qt counts the first thread that asks for its thread object as its main
    // thread; this one asks before the connecting thread can.
    QThread::currentThread();
    thread_ = std::thread([] { QDBusConnection::sessionBus(); });
}

DesktopBusConnection::~DesktopBusConnection() {
    thread_.join();
}

int RunQuorix(int argc, char** argv) {
    // Accessibility connects to the desktop's message bus when the first
    // control is made, and waits for the connection. Without a running bus
    // the bus library first forks the process to start a launcher, and the
    // fork slows whatever the main thread does meanwhile. Connected to from
    // the first moment, on a thread of its own, the bus is settled while the
    // fonts are read and the application object connects to the display, and
    // the window is built without waiting for it.
    const DesktopBusConnection desktopBus;
    // The main window measures its fonts to size itself, so the font
    // configuration (some 4 ms of reading configuration files and caches) is
    // needed before it shows; it is read while the application object
    // connects to the display, and ready before the first font is asked for.
    // Without a desktop theme the application font asks for "Sans Serif",
    // which no installed font is called: Qt would sort every font to find its
    // stand-in on the main thread, just before the window shows. The same
    // question is asked here, beside the display connection, and its answer
    // named in the application font.
    std::string sansFamily;
    std::thread fontConfiguration([&sansFamily] {
        InitFontConfiguration();
        sansFamily = GenericSansFamily();
    });
    // The application object adopts the user's locale for the C library;
    // CreateApplication sets it back to "C" so numbers read and print with ".".
    auto application = platform::CreateApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorix"));
    fontConfiguration.join();
    AdoptApplicationFamily(sansFamily);
    CQuorixNTApp app;
    if (!app.InitInstance()) return 1;
    return QApplication::exec();
}
