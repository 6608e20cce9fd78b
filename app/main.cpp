// jux: the desktop application.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("J.U.X. 2.3b"));
    QApplication::setApplicationDisplayName(QStringLiteral("J.U.X. 2.3b"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("J.U.X. Engine 2.3b"));
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
