#pragma once

#include "vocabulary.h"

#include "core/number_ranges.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Copies of a dictionary that a sync tool keeps when the file was changed on two computers
// before they met: Syncthing's "lekce.sync-conflict-20261207-101500-ABCDEFG.slv", Nextcloud's
// "lekce (conflicted copy 2026-12-07 101500).slv", Dropbox's "lekce (Jana's conflicted copy
// 2026-12-07).slv" (a number in brackets may follow).
bool IsConflictCopyName(const QString &copyName, const QString &originalName);
// The conflict copies beside a dictionary, by name.
QStringList ConflictCopies(const QString &dictionaryPath);

// For every computer, the numbers of its log records whose answers on a dictionary a version of
// its file has counted.
using IncludedAnswers = QHash<QString, NumberRanges>;
// "<computer>:<runs>,<computer>:<runs>", by computer; none for text that is no such list.
QByteArray EncodedCounts(const IncludedAnswers &counts);
std::optional<IncludedAnswers> DecodedCounts(QByteArrayView text);

// A version of a dictionary file in the synchronised folder that this program wrote.
struct DictionaryVersion
{
    QString path;
    QByteArray hash;         // of the file's bytes (ContentVersion)
    QList<QByteArray> bases; // the versions it was made from: the one read, or the two merged
    // It has counted the answers given here on the dictionary that no version counted before;
    // otherwise (a file made anew) none of them.
    bool countsOwnAnswers = true;
    // When the file it was made from came to be here, written or brought by a sync tool
    // (milliseconds since the epoch; 0 when not known): for how long a log naming that file's
    // version may yet come. Not when it was written: a file may come long after that, and
    // before its log.
    qint64 baseArrivedMs = 0;
    // What a merge counted of every computer's answers; none: what the version it was made
    // from had.
    std::optional<IncludedAnswers> counted;
};

// What a version has counted, of the computers that wrote it and said so in their logs (by
// writer, each word a writer said). Two computers that answered alike write the same bytes
// having counted different answers, and so may one computer twice; each word is true of the
// bytes: the first writer by name is taken, and of its words the first in text order, so that
// every computer takes the same.
IncludedAnswers CountedByOneWriter(const QMultiHash<QString, IncludedAnswers> &writers);
// Every answer that any of them counted.
IncludedAnswers UnitedCounts(const QList<IncludedAnswers> &counts);
// The answers that `counts` holds and `than` does not, for each computer that has some.
IncludedAnswers CountsBeyond(const IncludedAnswers &counts, const IncludedAnswers &than);

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
// The merge has counted what either version had.
VersionMerge MergeConflictCopy(
    Vocabulary &dictionary, const IncludedAnswers &dictionaryIncludes, const Vocabulary &copy,
    const IncludedAnswers &copyIncludes,
    const std::function<QList<CountedAnswer>(const QString &computer, qint64 after, qint64 upTo)>
        &answersOf);
