#include "main_window_stub.h"

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Zkoušení slovíček:"));
    resize(668, 322);
}
