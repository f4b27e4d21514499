// The yardstick: Qt's own smallest Widgets program, a push button saying hello, shown at the
// utility's window size.
#include <QApplication>
#include <QPushButton>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QPushButton hello(QStringLiteral("Hello world!"));
    hello.resize(474, 506);
    hello.show();
    return app.exec();
}
