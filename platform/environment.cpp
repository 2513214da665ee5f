#include "platform/environment.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLocale>
#include <QMetaObject>
#include <QStandardPaths>
#include <QThread>
#include <chrono>
#include <clocale>
#include <system_error>
#include <thread>

namespace platform {

void UseCLocale() {
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
}

std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv) {
    auto application = std::make_unique<QApplication>(argc, argv);
    UseCLocale();
    return application;
}

FloatingPointScope::FloatingPointScope() {
    std::fegetenv(&saved_);
}

FloatingPointScope::~FloatingPointScope() {
    std::fesetenv(&saved_);
}

void FloatingPointScope::ClearFlags() {
    std::feclearexcept(FE_ALL_EXCEPT);
}

std::filesystem::path ExecutablePath() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::canonical("/proc/self/exe", error);
    if (!error) return path;
    const QString fromQt = QCoreApplication::applicationFilePath();
    return std::filesystem::path(fromQt.toStdString());
}

std::filesystem::path ProgramFolderFor(const std::filesystem::path& executable) {
    std::filesystem::path folder = executable.parent_path();
    const std::string name = folder.filename().string();
    if ((name == "Debug" || name == "Release") && folder.has_parent_path() &&
        folder.parent_path() != folder) {
        folder = folder.parent_path();
    }
    return folder;
}

QString DocumentsFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    return folder;
}

bool OnUiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void PostToUiThread(QObject* context, std::function<void()> task) {
    QMetaObject::invokeMethod(context, std::move(task), Qt::QueuedConnection);
}

void PumpMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void SleepMilliseconds(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() {
    QApplication::restoreOverrideCursor();
}

}  // namespace platform
