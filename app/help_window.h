#pragma once

#include <QDialog>

class QPlainTextEdit;

// The help window: the program's help text, editable but never saved.
class HelpWindow : public QDialog
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

private:
    QPlainTextEdit *m_text;
};
