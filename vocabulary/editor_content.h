#pragma once

#include "vocabulary.h"

#include "core/write_journal.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One row of the editing windows' grids: the first and the second side as typed.
struct EditorRow
{
    QString first;
    QString second;

    friend bool operator==(const EditorRow &, const EditorRow &) = default;
};

// What the dictionary editor shows of a file, and what it keeps unseen so that saving loses
// nothing: the theme line, the pairs as rows (read without trimming the lines first, comments
// left inside the sides, never cut), and for the rows read from the file their counters and
// the lines that stood before them.
struct EditorContent
{
    QString theme;
    QList<EditorRow> rows;
    QList<EditorRow> readRows;      // the rows as the file had them
    QList<Counters> counters;       // per row read from the file
    QList<QStringList> linesBefore; // per row read from the file: unseen lines, with endings
    QStringList linesAfter;         // unseen lines after the last row read
    QByteArray tail;                // the bytes from the first Ctrl-Z on
    TextEncoding encoding = TextEncoding::Windows1250; // the file's, kept when saving
};
EditorContent ReadEditorContent(const QByteArray &bytes);
// The editor's content of a file; throws FileError.
EditorContent ReadEditorFile(const QString &path);

// The editor's file: the theme, then "first   /   second" for every new row with both sides
// and every row of the file not emptied, followed by " @" and the counters for a row of the
// file that has any; the unseen lines stay where they were, new rows come after the last row
// of the file.
// In the file's encoding; UTF-8 with a byte order mark when the text no longer fits
// windows-1250, and `used` (when given) says which encoding was written.
QByteArray FormatEditorFile(const EditorContent &content, TextEncoding *used = nullptr);

// Writes the editor's file safely (through the journal, when given); true when its text made a
// windows-1250 file UTF-8, which the user is told. Throws FileError.
bool WriteEditorFile(const QString &path, const EditorContent &content,
                     const WriteJournal &journal = WriteJournal());

// The new-dictionary window's lines: "* theme", then both sides trimmed and padded to 25.
QStringList FormatNewDictionaryLines(const QString &theme, const QList<EditorRow> &rows);
// Writes the new-dictionary window's file safely (through the journal, when given); throws
// FileError.
void WriteNewDictionary(const QString &path, const QString &theme, const QList<EditorRow> &rows,
                        const WriteJournal &journal = WriteJournal());
