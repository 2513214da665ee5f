#include "platform/environment.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIconEngine>
#include <QLocale>
#include <QMetaObject>
#include <QPointer>
#include <QProxyStyle>
#include <QStandardPaths>
#include <QStyleOption>
#include <QThread>
#include <QWidget>
#include <chrono>
#include <clocale>
#include <string>
#include <system_error>
#include <thread>

namespace platform {

namespace {

// A style's stock picture, read from the style's image files when it is
// first drawn or measured. The menu bar and the tool bar each ask for their
// overflow button's picture as they are made, and reading it loads every
// image-format plug-in before the first window shows, for a button that a
// window wide enough for its menus never shows.
class DeferredStandardIcon : public QIconEngine {
  public:
    DeferredStandardIcon(const QStyle* style, QStyle::StandardPixmap which,
                         const QStyleOption* option, const QWidget* widget)
        : style_(const_cast<QStyle*>(style)),
          which_(which),
          hasOption_(option != nullptr),
          widget_(const_cast<QWidget*>(widget)) {
        if (option) option_ = *option;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return Icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Icon().availableSizes(mode, state);
    }
    QString iconName() override { return Icon().name(); }
    bool isNull() override { return Icon().isNull(); }
    QIconEngine* clone() const override { return new DeferredStandardIcon(*this); }

  private:
    const QIcon& Icon() {
        if (!loaded_ && style_)
            icon_ = style_->standardIcon(which_, hasOption_ ? &option_ : nullptr, widget_.data());
        loaded_ = true;
        return icon_;
    }

    QPointer<QStyle> style_;
    QStyle::StandardPixmap which_;
    bool hasOption_;
    QStyleOption option_;
    QPointer<QWidget> widget_;
    bool loaded_ = false;
    QIcon icon_;
};

// The application's own style, with its stock pictures read on first use.
class DeferredIconStyle : public QProxyStyle {
  public:
    explicit DeferredIconStyle(const QString& key) : QProxyStyle(key) {}

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override {
        // An option of a derived kind carries more than a copy of its base
        // would keep: that request is answered at once.
        if (option && option->type != QStyleOption::SO_Default)
            return QProxyStyle::standardIcon(which, option, widget);
        return QIcon(new DeferredStandardIcon(baseStyle(), which, option, widget));
    }
};

}  // namespace

void UseCLocale() {
    // Every category but the character classes, which the application
    // object has already set to a UTF-8 locale: the program's numbers, dates
    // and messages do not depend on them, and the X library keys its text
    // conversions on them, so changing them would make it read its locale
    // tables a second time to set the window's title.
    const char* characterClasses = std::setlocale(LC_CTYPE, nullptr);
    const std::string kept = characterClasses ? characterClasses : "C";
    std::setlocale(LC_ALL, "C");
    std::setlocale(LC_CTYPE, kept.c_str());
    QLocale::setDefault(QLocale::c());
}

std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv) {
    auto application = std::make_unique<QApplication>(argc, argv);
    QApplication::setStyle(new DeferredIconStyle(QApplication::style()->name()));
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
