#pragma once

#include <QList>
#include <QString>

// Side numbers are 1 and 2, as everywhere in the program; index 0 of these arrays is unused
// so that `entry.Offers[s]` reads exactly like the rules that use it.
struct VocabularyEntry
{
    QString Side[3];
    QString Comment[3];
    qint32 Offers[3] = {0, 0, 0};
    qint32 Errors[3] = {0, 0, 0};

    friend bool operator==(const VocabularyEntry &, const VocabularyEntry &) = default;
};

// The one current dictionary: its pairs in file order, its theme line and its file.
struct Vocabulary
{
    static constexpr int Capacity = 1000;
    static constexpr int EntryTextCapacity = 50;

    QList<VocabularyEntry> Entries;
    QString Theme;
    QString Path; // empty: no dictionary is current

    int Count() const { return int(Entries.size()); }
    // Positions count from 1.
    VocabularyEntry &At(int position) { return Entries[position - 1]; }
    const VocabularyEntry &At(int position) const { return Entries[position - 1]; }
};
