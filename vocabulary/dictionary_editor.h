#pragma once

#include "editor_content.h"

#include <QDialog>

class Prompts;
class WriteJournal;
class QTableWidget;

// The dictionary editor: the pairs of a file in a two-column grid, saved under a chosen name.
class DictionaryEditor : public QDialog
{
    Q_OBJECT
public:
    static constexpr int GridRows = 500;

    // Files are written through the journal, so that a kill half-way loses nothing.
    DictionaryEditor(Prompts &prompts, const WriteJournal &journal, QWidget *parent = nullptr);

    // Fills the grid from the file; throws FileError when it cannot be read.
    void openFile(const QString &path);
    // "ulož": asks for a file name and writes the grid there.
    void save();

signals:
    // A dictionary file was written; it may be the current dictionary's.
    void fileSaved(const QString &path);

private:
    Prompts &m_prompts;
    const WriteJournal &m_journal;
    QTableWidget *m_grid;
    EditorContent m_opened; // the file as read: theme, counters, unseen lines
    QString m_openedPath;   // where the save dialog starts
};
