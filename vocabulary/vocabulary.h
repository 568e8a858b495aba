#pragma once

#include "core/text_file.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// Side numbers are 1 and 2, as everywhere in the program; index 0 of these arrays is unused
// so that `entry.offers[s]` reads exactly like the rules that use it.
struct VocabularyEntry
{
    QString side[3];
    QString comment[3];
    qint32 offers[3] = {0, 0, 0}; // judged answers and reveals, per offered side
    qint32 errors[3] = {0, 0, 0}; // of those, the wrong ones

    friend bool operator==(const VocabularyEntry &, const VocabularyEntry &) = default;
};

// The four counters of a pair in the order of the file: offers 1, offers 2, errors 1, errors 2.
using Counters = std::array<qint32, 4>;
Counters CountersOf(const VocabularyEntry &entry);
void SetCounters(VocabularyEntry &entry, const Counters &counters);

// How a pair line is written back.
enum class PairLineForm : quint8 {
    Program,   // the program's own form: sides padded to 60 characters, then the counters
    OwnText,   // the line's own text with new counters: the program's form would change it
    Unchanged, // the line as read: no form of it holds counters that read back the same
};

// What a dictionary file holds besides its theme and pairs, so that a write-back keeps it:
// every line the reader does not take as a pair stays in its place, byte for byte.
struct FileShape
{
    QList<QStringList> linesBefore; // per pair: the lines, with their endings, before it
    QStringList linesAfter;         // the lines after the last pair
    QList<PairLineForm> forms;      // per pair
    QStringList pairLines;          // per pair: its line as read (kept for OwnText, Unchanged)
    QByteArray tail;                // the bytes from the first Ctrl-Z on

    // The pair lines as last formatted and the counters they carry: a write-back after one
    // answer formats one line, not all of them.
    mutable QStringList formatted;
    mutable QList<Counters> formattedFor;
};

// The one current dictionary: its pairs in file order, its theme line and its file.
struct Vocabulary
{
    static constexpr int Capacity = 1000;
    static constexpr int EntryTextCapacity = 50;

    QList<VocabularyEntry> entries;
    QString theme;
    QString path; // empty: no dictionary is current
    // The file's encoding, which a write-back keeps (unless the text no longer fits it).
    TextEncoding encoding = TextEncoding::Windows1250;

    FileShape shape;
    // The counters as the file holds them (read or last written): this session's answers are
    // the difference, which is added to the file's own when another writer changed it.
    QList<Counters> savedCounters;
    FileStamp stamp;

    int count() const { return int(entries.size()); }
    // Positions count from 1.
    VocabularyEntry &at(int position) { return entries[position - 1]; }
    const VocabularyEntry &at(int position) const { return entries[position - 1]; }

    // Some counter differs from what the file holds.
    bool hasUnsavedAnswers() const;
    // What the file holds now is what is in memory.
    void markSaved();
};
