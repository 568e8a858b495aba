#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Anki packages made by the tests themselves: the collection's SQLite schema as the three forms
// of the package hold it, compressed with libzstd for the newest, zipped with QuaZip.

enum class AnkiForm {
    Anki2,   // "collection.anki2", schema 11, note types and decks as JSON in the col row
    Anki21,  // "collection.anki21", the same schema, beside a stub "collection.anki2"
    Anki21b, // "collection.anki21b", schema 18 with tables of note types, fields and decks,
             // Zstandard-compressed, and a "meta" member
};

struct MadeNoteType
{
    qint64 id = 0;
    QString name;
    QStringList fields;
    bool cloze = false;
};

struct MadeNote
{
    qint64 id = 0; // its cards are id * 10 + template
    qint64 typeId = 0;
    QStringList fields;
    qint64 deckId = 1;
    int cards = 2;
};

struct MadeReview
{
    qint64 atMs = 0;
    qint64 cardId = 0;
    int ease = 3;
    int type = 1;
    int factor = 2500;
    qint64 durationMs = 4000;
};

struct MadeCollection
{
    QList<MadeNoteType> types;
    QList<QPair<qint64, QString>> decks; // id, full name with "::"
    QList<MadeNote> notes;
    QList<MadeReview> reviews;
    int schema = 0; // 0: the form's own
};

// A collection of one deck "Jazyky::Němčina" with a two-field type and `notes` notes.
MadeCollection SmallCollection(int notes = 3);

// The collection's SQLite database in the given form (uncompressed).
QByteArray CollectionDatabase(const MadeCollection &collection, AnkiForm form);
// The package's members, as the form holds them.
QList<QPair<QString, QByteArray>> PackageMembers(const MadeCollection &collection, AnkiForm form);
// A ZIP archive of these members, stored deflated.
void WriteZip(const QString &path, const QList<QPair<QString, QByteArray>> &members);
void WriteAnkiPackage(const QString &path, const MadeCollection &collection, AnkiForm form);
QByteArray ZstdCompressed(const QByteArray &bytes);
