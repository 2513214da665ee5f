// The yardstick of the start-up measurement: a Qt Widgets window with one
// label and nothing else, started the way the program starts.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QLabel label(QStringLiteral("Quorix"));
    label.resize(640, 480);
    label.show();
    return QApplication::exec();
}
