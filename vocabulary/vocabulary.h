#pragma once

#include <QList>
#include <QString>

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

// The one current dictionary: its pairs in file order, its theme line and its file.
struct Vocabulary
{
    static constexpr int Capacity = 1000;
    static constexpr int EntryTextCapacity = 50;

    QList<VocabularyEntry> entries;
    QString theme;
    QString path; // empty: no dictionary is current

    int count() const { return int(entries.size()); }
    // Positions count from 1.
    VocabularyEntry &at(int position) { return entries[position - 1]; }
    const VocabularyEntry &at(int position) const { return entries[position - 1]; }
};
