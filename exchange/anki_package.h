#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The content of a package of the Anki flash-card program (".apkg" a deck, ".colpkg" a whole
// collection): a ZIP archive holding the collection as an SQLite database, in one of three
// forms: "collection.anki2" (the oldest, or a stub in newer packages), "collection.anki21"
// and "collection.anki21b" (Zstandard-compressed, the newest). The newest form present is
// read. Only what the import uses is kept; media are never read.

struct AnkiNoteType
{
    qint64 id = 0;
    QString name;
    QStringList fields; // the field names in their order
    bool cloze = false; // notes of the type are texts with gaps, not pairs
};

struct AnkiNote
{
    qint64 id = 0; // its creation time in milliseconds, so the notes' order
    qint64 typeId = 0;
    QStringList fields; // as stored: HTML
};

struct AnkiCard
{
    qint64 id = 0;
    qint64 noteId = 0;
    int templateIndex = 0; // 0 usually asks the front, 1 the back
    qint64 deckId = 0;     // its home deck, also while it is in a filtered deck
};

// One entry of the review log.
struct AnkiReview
{
    qint64 atMs = 0; // the log entry's id: when the answer was given
    qint64 cardId = 0;
    int ease = 0;   // 1 to 4: again, hard, good, easy; 0 a manual change of the schedule
    int type = 0;   // 0 learning, 1 review, 2 relearning, 3 filtered, 4 manual, 5 rescheduled
    int factor = 0; // the ease factor in permille; 0 for a filtered review that kept the schedule
    qint64 durationMs = 0;
};

struct AnkiCollection
{
    QList<AnkiNoteType> noteTypes;
    QHash<qint64, QString> decks; // full names, parts joined by "::"
    QList<AnkiNote> notes;        // oldest first
    QList<AnkiCard> cards;
    QList<AnkiReview> reviews; // oldest first
};

struct AnkiPackageLimits
{
    // At most this many bytes are unpacked from the archive (and from the compressed
    // database): a package that would expand beyond it is refused.
    qint64 maximumUnpacked = qint64(2) << 30;
};

// Reads the package at `path`. `progress` is told the percentage done now and then (from the
// thread that reads) and returns false to stop; none: stopped. A file that is no package,
// holds a member named to escape its folder, expands beyond the limit, holds a damaged
// database or one of an unknown later version, or holds no note throws FileError with a text
// for the user.
std::optional<AnkiCollection> ReadAnkiPackage(const QString &path,
                                              const std::function<bool(int)> &progress = {},
                                              const AnkiPackageLimits &limits = {});

// A file that looks like an Anki package by its name.
bool IsAnkiPackageFile(const QString &path);
