#pragma once

#include <QDialog>
#include <QStringList>

class Prompts;
class QPlainTextEdit;
class QPushButton;

// The statistics report window: shows the report file in a fixed-pitch font.
class ReportWindow : public QDialog
{
    Q_OBJECT
public:
    // The report file is kept in the data directory.
    ReportWindow(Prompts &prompts, const QString &dataDirectory, QWidget *parent = nullptr);

    // Writes the lines to the report file, then shows them under the title. Throws FileError
    // when the report file cannot be written; the window is then not shown.
    void showReport(const QStringList &lines, const QString &title);

protected:
    void showEvent(QShowEvent *event) override;

private:
    Prompts &m_prompts;
    const QString &m_dataDirectory;
    QPlainTextEdit *m_text;
    QPushButton *m_okButton;
};
