#pragma once

#include "anki_package.h"

#include "history/review_history.h"
#include "imported_pairs.h"

#include <QHash>
#include <QList>
#include <QString>

// What an Anki collection becomes: one dictionary per deck (several of a deck with more pairs
// than a dictionary holds), a pair per note, and the reviews of the notes' first two cards as
// answers on the pairs, so that the learning done in Anki goes on here.

// A field as a side's text: HTML tags dropped (line breaks and blocks as blanks), entities
// decoded, sound and picture references dropped, furigana readings ("漢字[かんじ]") dropped in
// favour of the written word, white space made single blanks.
QString AnkiFieldText(const QString &field);
// The same, line by line: a break, or the start or end of a block, begins a new line; empty
// lines left out.
QStringList AnkiFieldLines(const QString &field);
// A side whose alternatives are written with '/' ("速い / 早い"), written with the
// dictionary's own separator of alternatives (", ").
QString AnkiAlternatives(const QString &side);
// A field of a text with gaps ("{{c1::...}}"), which is no pair.
bool IsClozeField(const QString &field);

// Which fields of a note type become the sides and the comments (indexes; -1: none).
struct AnkiFieldChoice
{
    int side1 = 0;
    int side2 = 1;
    int comment1 = -1;
    int comment2 = -1;

    friend bool operator==(const AnkiFieldChoice &, const AnkiFieldChoice &) = default;
};
using AnkiFieldChoices = QHash<qint64, AnkiFieldChoice>; // by note type; missing: the default

// What a note gives with the chosen fields: a side's first line is the side, its further lines
// go before the chosen comment; alternatives of the first side written with '/' are written
// with ','.
struct AnkiNoteSides
{
    QString first;
    QString firstComment;
    QString second;
    QString secondComment;
};
AnkiNoteSides AnkiSidesOfNote(const AnkiNote &note, const AnkiFieldChoice &choice);

// The note types whose notes may become pairs and that have more than two fields, so that
// the user may choose which become the sides; with a typical note of each as the example and
// the fields proposed for the sides (the second: one whose text differs from the first's).
struct AnkiTypeToChoose
{
    AnkiNoteType type;
    AnkiNote example;
    AnkiFieldChoice proposed;
};
QList<AnkiTypeToChoose> AnkiTypesToChoose(const AnkiCollection &collection);

// A review brought along: the pair (its position in its dictionary, from 0), the side offered
// (1 or 2), when, how it went and how long it took.
struct AnkiAnswer
{
    int pair = 0;
    int offeredSide = 1;
    qint64 atMs = 0;
    Grade grade = Grade::Again;
    qint64 durationMs = 0;
};

struct AnkiDictionary
{
    ImportResult content; // the pairs carry the reviews in their counters
    QList<AnkiAnswer> answers;
};

struct AnkiImport
{
    QList<AnkiDictionary> dictionaries; // in the order of the decks' names
    int clozeNotes = 0;                 // texts with gaps, which are no pairs
    int reviews = 0;                    // brought along
    int reviewsSkipped = 0; // of the pairs' cards: manual changes of the schedule, filtered
                            // reviews that kept it, cards of a third template or later
    // Every note that became no pair: its deck, what it is, why, the reviews not taken.
    QStringList skippedNotes;
    int reviewsOfSkippedNotes = 0;
};

// The dictionaries a collection gives with these choices; `packageTitle` names the pairs of
// notes without a known deck.
AnkiImport BuildAnkiImport(const AnkiCollection &collection, const AnkiFieldChoices &choices,
                           const QString &packageTitle);

// The answers on one dictionary as written to `path` and read back as `written`, whose pairs
// are those of the import in their order.
QList<AnswerRecord> AnkiAnswerRecords(const AnkiDictionary &dictionary, const Vocabulary &written,
                                      const QString &path);

// The files in `folder` for dictionaries of these titles: each title made a file name (the
// characters a file name cannot hold become '_'), numbered "(2)", "(3)" where a file of that
// name (in any case) exists or another title takes it, so that no file is written over.
QStringList AnkiDictionaryFiles(const QString &folder, const QStringList &titles);
// For each title, the dictionary an earlier import of the package made in `folder` (the
// file of the title's name), or empty where there is none.
QStringList AnkiEarlierDictionaries(const QString &folder, const QStringList &titles);
// Adds to a dictionary made by an earlier import the pairs of the import that it lacks (by
// their two sides), with their counters; its own pairs stay as they are. How many were added.
int AddNewAnkiPairs(Vocabulary &dictionary, const ImportResult &imported);

// Writes the full list of the notes that became no pair into a new text file (UTF-8) in
// `folder`, named after the package; its path, or empty when there is nothing to list or it
// cannot be written.
QString WriteAnkiSkippedReport(const AnkiImport &import, const QString &folder,
                               const QString &packageName);

// Why no pair came from the package at `source`: the notes with gaps, the first of the notes
// left out, and the report that lists them all when there are more.
QString AnkiNothingTakenText(const AnkiImport &import, const QString &source,
                             const QString &reportPath);

// What the import did, for the user: "Načteno 1200 dvojic do 2 slovníků: ...". `targets`: the
// files written, of the dictionaries with pairs in their order (all of them unless a write
// failed); `answers`: the reviews they brought; `historyAdded`: those new to the history
// (none: it could not take them, `historyTrouble` says why).
QString AnkiImportSummary(const AnkiImport &import, const QStringList &targets, int answers,
                          std::optional<int> historyAdded, const QString &historyTrouble,
                          const QString &reportPath = QString());
