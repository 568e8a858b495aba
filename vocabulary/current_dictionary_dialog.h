#pragma once

#include <QDialog>

class Prompts;
class QPlainTextEdit;

// The current dictionary's file as it is on disk, in a fixed-pitch font.
class CurrentDictionaryDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CurrentDictionaryDialog(Prompts &prompts, QWidget *parent = nullptr);

    // Shows the file (a message first when there is none) and waits until it is closed.
    int showFile(const QString &path);

private:
    Prompts &m_prompts;
    QPlainTextEdit *m_text;
};
