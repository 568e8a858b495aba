#include "paint_watch.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>

// The yardstick of the start-up benchmark: a bare Qt window with one field, which says
// "ready" and ends as soon as that field has been painted.
int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    auto *field = new QLineEdit(QStringLiteral("slovo"), &window);
    window.setCentralWidget(field);
    new PaintWatch(field);
    window.show();
    return application.exec();
}
