#pragma once

#include "vocabulary.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Copies of a dictionary that a sync tool keeps when the file was changed on two computers
// before they met: Syncthing's "lekce.sync-conflict-20261207-101500-ABCDEFG.slv", Nextcloud's
// "lekce (conflicted copy 2026-12-07 101500).slv", Dropbox's "lekce (Jana's conflicted copy
// 2026-12-07).slv" (a number in brackets may follow).
bool IsConflictCopyName(const QString &copyName, const QString &originalName);
// The conflict copies beside a dictionary, by name.
QStringList ConflictCopies(const QString &dictionaryPath);

// For every computer, the number of its last log record whose answers on a dictionary a version
// of its file has counted: a version holds every answer of that computer up to that number.
using IncludedAnswers = QHash<QString, qint64>;

// What two versions of a dictionary, the file's and a conflict copy's, have counted, from what
// each computer that wrote one of them logged (by writer). Versions alike (the same bytes)
// that two computers wrote are one from each. Of a version that several computers wrote, the
// file's is taken to hold the most any of them counted, the copy's the least, so that no
// answer is counted twice.
struct CountedByVersions
{
    IncludedAnswers dictionary;
    IncludedAnswers copy;
};
CountedByVersions ChooseCounted(const QHash<QString, IncludedAnswers> &dictionaryWriters,
                                const QHash<QString, IncludedAnswers> &copyWriters, bool alike);

// One counted answer on a pair, as a log tells it.
struct CountedAnswer
{
    VocabularyEntry pair; // its sides and comments
    int offeredSide = 1;
    bool wrong = false;
};

struct VersionMerge
{
    int pairsAdded = 0;   // pairs of the copy that the dictionary did not have
    int answersAdded = 0; // answers the copy had counted and the dictionary had not
    int pairsLeft = 0;    // pairs of the copy for which the dictionary had no room
    IncludedAnswers included;
};

// Merges a conflict copy into the dictionary: a pair of the copy that the dictionary lacks is
// added after its pairs with the copy's counters; a pair both have gets the answers that the
// copy counted and the dictionary did not, which `answersOf` gives (a computer's answers on the
// dictionary numbered after one number, up to another). No answer is counted twice, none lost.
VersionMerge MergeConflictCopy(
    Vocabulary &dictionary, const IncludedAnswers &dictionaryIncludes, const Vocabulary &copy,
    const IncludedAnswers &copyIncludes,
    const std::function<QList<CountedAnswer>(const QString &computer, qint64 after, qint64 upTo)>
        &answersOf);
