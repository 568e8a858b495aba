#pragma once

#include <QDialog>

struct AppContext;
class QTableWidget;

// The dictionary editor: the pairs of a file in a two-column grid, saved under a chosen name.
class TForm3 : public QDialog
{
    Q_OBJECT
public:
    static constexpr int GridRows = 500;

    explicit TForm3(AppContext &context, QWidget *parent = nullptr);

    // Fills the grid from the file; throws FileError when it cannot be read.
    void OpenFile(const QString &path);
    void Button1Click();

signals:
    // A dictionary file was written; it may be the current dictionary's.
    void fileSaved(const QString &path);

private:
    AppContext &m_context;
    QTableWidget *m_stringGrid1;
    QString m_editedTheme; // shown nowhere, written back by "ulož"
    QString m_directory;   // where the save dialog starts
};
