#pragma once

#include <QDialog>

struct AppContext;
class QPlainTextEdit;

// The current dictionary's file as it is on disk, in a fixed-pitch font.
class TForm7 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm7(AppContext &context, QWidget *parent = nullptr);

    void FormActivate();
    int exec() override;

private:
    AppContext &m_context;
    QPlainTextEdit *m_memo1;
};
