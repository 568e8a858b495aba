#pragma once

#include <QDialog>

class QPlainTextEdit;

// The help window: the program's help text, editable but never saved.
class TForm8 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm8(QWidget *parent = nullptr);

private:
    QPlainTextEdit *m_memo1;
};
