#pragma once

#include <QDialog>
#include <QStringList>

struct AppContext;
class QPlainTextEdit;

// The statistics report window: shows the report file in a fixed-pitch font.
class TForm5 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm5(AppContext &context, QWidget *parent = nullptr);

    // Writes the lines to the report file, then shows them under the title. Throws FileError
    // when the report file cannot be written; the window is then not shown.
    void ShowReport(const QStringList &lines, const QString &title);
    void FormActivate();

    QString reportPath() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    AppContext &m_context;
    QPlainTextEdit *m_memo1;
};
