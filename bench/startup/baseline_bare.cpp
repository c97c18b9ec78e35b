// Start-up baseline: the least a Qt Widgets program can show, one empty top-level QWidget.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.show();
    return app.exec();
}
