#pragma once

#include "vocabulary.h"

#include "core/write_journal.h"

#include <QList>
#include <QString>
#include <QStringList>

// Removes blanks (code 32) from both ends; tabs and control characters stay.
QString TrimSpaces(const QString &text);
// Removes every character with a code from 0 to 32 from both ends.
QString TrimWhite(const QString &text);
// Appends blanks up to the width; a longer text comes back unchanged.
QString PadRight(const QString &text, int width);

struct ParsedLine
{
    enum Kind { Ignored, ThemeLine, PairLine };
    Kind kind = Ignored;
    QString theme;
    VocabularyEntry entry;
    bool truncated = false; // a side was longer than its capacity and was cut
};

// One line of a dictionary file: ignored, the theme (only as the first line), or a pair.
ParsedLine ParseVocabularyLine(QStringView line, bool firstLine);

// The dictionary held by the bytes of a file: its theme, pairs and shape; the path and the
// stamp are the caller's. Throws FileError, naming the file by `path`, for a file that is no
// dictionary: binary content, no pair line at all, or more pairs than the model holds.
Vocabulary ParseVocabularyFile(const QByteArray &bytes, const QString &path);

// Reads the file into `vocabulary` (entries, theme, shape, stamp; the path is the caller's).
// On any failure (file missing, read error, no dictionary) it throws FileError and leaves
// `vocabulary` as it was, so nothing half-read can be written back. Returns the bytes read.
QByteArray ReadVocabularyFile(const QString &path, Vocabulary &vocabulary);

// The line of one pair as the program writes it: 148 characters while the counters fit.
QString FormatVocabularyLine(const VocabularyEntry &entry);
// The four counters as a pair line carries them after its '@'.
QString FormatCounters(const Counters &counters);

// The whole file: the theme, every pair in its form, the kept lines in their places, each
// line that the program writes ended by CR LF, in the dictionary's encoding, and the tail
// after Ctrl-Z. When the text no longer fits windows-1250 it is UTF-8 with a byte order mark,
// and `used` (when given) says which encoding was written.
QByteArray FormatVocabularyFile(const Vocabulary &vocabulary, TextEncoding *used = nullptr);
// Replaces the file safely with FormatVocabularyFile; throws FileError on failure. Returns
// what the file is now.
FileStamp WriteVocabularyFile(const QString &path, const Vocabulary &vocabulary,
                              const WriteJournal &journal = WriteJournal());
