// The least a Qt Widgets program that shows a window does: an application object and
// one empty window of the main window's size, shown at once.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(639, 374);
    window.show();
    return QApplication::exec();
}
