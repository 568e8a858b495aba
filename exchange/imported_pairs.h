#pragma once

#include "vocabulary/languages.h"
#include "vocabulary/vocabulary.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Vocabulary brought in from other flash-card programs and spreadsheets, and taken out to them:
// what every format's import gives, which format a file is read and written in, and what the
// user is told. The formats themselves: kvtml.h, separated_text.h, anki_package.h.

// What an import found: the pairs that a dictionary can hold, and why the others were left out.
struct ImportResult
{
    QString title; // one line: line breaks and tabs are blanks
    QList<VocabularyEntry> pairs;
    QStringList skipped;     // one line per entry or line left out, with its reason
    bool kvtml = false;      // the file's entries are KVTML items, not lines
    SideLanguages languages; // the sides' languages the file names (KVTML locales)
};

// Takes a pair into the result when a dictionary line can hold it as it is; otherwise adds to
// the skipped why not (`where` names the entry or line) and returns false. Nothing is changed
// on the way but blanks at the ends.
bool AcceptImportedPair(const QString &where, QString first, QString second, QString firstComment,
                        QString secondComment, ImportResult &result);
// HTML as plain text: tags removed (line breaks and ends of blocks become blanks), entities
// decoded, runs of blanks made one.
QString PlainTextOfHtml(QString field);
// A theme is one line: line breaks and tabs in a title become blanks.
QString OneLine(QString text);

// A KVTML file (the first two translations of each entry become the sides, their comments
// the comments, the title the theme; malformed XML throws FileError with its line number) or
// separated text, by the file's content.
ImportResult ImportVocabulary(const QByteArray &bytes);
// The same of a file; throws FileError also when it cannot be read. A file without a title
// takes its name (without the suffix) as the title.
ImportResult ImportVocabularyFile(const QString &path);

// The dictionary an import makes, without statistics; its theme is the title.
Vocabulary DictionaryFromImport(const ImportResult &result);

// The dictionary in the format its target's name asks for: tab-separated text for a name
// ending in ".tsv" or ".txt", KVTML otherwise.
QByteArray ExportForFile(const Vocabulary &vocabulary, const QString &target);

// A file of another program that the import takes: KVTML or separated text, by its suffix.
bool IsImportableFile(const QString &path);

// True for bytes that are no text file: a NUL byte, or more than one in twenty a control
// character other than line ends, tabs and page breaks.
bool LooksBinary(const QByteArray &bytes);

// The count with the word its number asks for: 1 dvojice, 2 dvojice, 5 dvojic. `forms` gives
// the word after 1, after 2 to 4, and after other numbers, separated by '|', marked for the
// translation with QT_TRANSLATE_NOOP("CountedWord", ...); a language with fewer forms repeats
// one.
QString CountedWord(int count, const char *forms);

// The first ten of these lines, one a line, and "... a 5 dalších." for the rest.
QString FirstLinesOf(const QStringList &lines);

// "Načteno 70 dvojic, 2 řádky přeskočeny: ..." for the user.
QString ImportSummary(const ImportResult &result, int written);
