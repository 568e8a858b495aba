#include "app/main_window_stub.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    TForm1 window;
    window.show();
    return application.exec();
}
