#pragma once

#include <QMainWindow>

// The main window of the drill.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
};
