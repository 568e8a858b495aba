#pragma once

#include "vocabulary.h"

#include "core/write_journal.h"

#include <QString>

#include <memory>

class QLockFile;

// What a write-back did.
struct WriteBack
{
    bool written = false;
    // Another program had changed the file: it was read again and this session's answers
    // were added to its counters.
    bool merged = false;
    // Pairs answered in this session that the changed file no longer holds.
    int lostPairs = 0;
    // The text no longer fitted windows-1250: the file is UTF-8 now.
    bool becameUtf8 = false;
    // After a merge, for every old position (index position - 1) the new one, 0 when gone.
    QList<int> newPositions;
    // Answered pairs ("side 1 / side 2") whose lines cannot hold counters: their answers
    // count in this session but are not stored.
    QStringList unstoredPairs;
    // The write journal could not be kept (its folder is read-only or full): why. The file
    // was written without it.
    QString journalUnkept;
};

// Writes this session's answers to the dictionary's own file, when there are any. When
// another program changed the file since it was read or written, the file is read again and
// the answers are added to its counters pair by pair first, so that nothing of either is lost.
// Throws FileError when the file cannot be read again or written; the dictionary in memory
// then keeps every answer.
// The new content waits in `journal` until the file holds it; `stored` runs once the file
// holds the answers, before the journal lets the content go.
WriteBack SaveVocabulary(Vocabulary &vocabulary, const WriteJournal &journal = WriteJournal(),
                         const std::function<void()> &stored = {});

// The answered pairs whose lines cannot hold counters ('@' before '/', or text after it that
// is no counters): their answers are not stored in the file.
QStringList UnstoredPairs(const Vocabulary &vocabulary);

// Tells the user that the answers on a pair are not stored, and why.
QString UnstoredAnswersMessage(const QString &pair);
// Tells the user that a file is UTF-8 from now on, because of what it holds.
QString BecameUtf8Message(const QString &path);

// A pair's identity: its sides and comments.
QString PairKey(const VocabularyEntry &entry);

// Adds the answers of `mine` (its counters less the saved ones) to the pairs of `theirs` with
// the same text; the k-th of equal pairs goes to the k-th. A counter that an answer-less reset
// would take below 0 stops at 0. Returns for each of my positions the new one (0: none); the
// number of pairs with answers that found no place goes to `lostPairs`.
QList<int> MergeAnswers(const Vocabulary &mine, Vocabulary &theirs, int *lostPairs);

// What taking a conflict copy's pairs did.
struct PairsTaken
{
    int added = 0; // pairs of the copy that the dictionary did not have, added after its own
    int left = 0;  // pairs of the copy for which the dictionary had no room
};
// Adds the pairs of `copy` whose text `dictionary` lacks after its pairs, in the copy's order,
// as far as there is room; their counters are the copy's.
PairsTaken TakeMissingPairs(Vocabulary &dictionary, const Vocabulary &copy);

// Marks a dictionary as open in this copy of the program (a hidden lock file beside it), so
// that another copy opening it can warn. Released when destroyed or when another is taken.
class DictionaryLock
{
public:
    enum class Result { Locked, HeldElsewhere, Impossible };

    DictionaryLock();
    ~DictionaryLock();
    DictionaryLock(DictionaryLock &&) noexcept;
    DictionaryLock &operator=(DictionaryLock &&) noexcept;

    // Takes the lock of the file, kept in `lockFile` (beside the file unless given); a lock
    // held before is released once this one is taken.
    Result lock(const QString &dictionaryPath, const QString &lockFile = QString());
    void unlock();
    // This lock is the file's.
    bool holds(const QString &dictionaryPath) const;

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_path;
};

// The lock file of a dictionary: hidden, beside it. A dictionary in the synchronised folder
// has it in the local folder instead, named by the dictionary's full path: a lock copied to
// another computer would keep the program there from the file for as long as it stayed open
// here, and the sync tool cannot lock across computers anyway.
QString LockFilePath(const QString &dictionaryPath, const QString &syncFolder = QString(),
                     const QString &localFolder = QString());

// The main window's caption of the dictionary: the theme (without its '*', at most 100
// characters) or " ?????", then the number of pairs.
QString VocabularyCaption(const Vocabulary &vocabulary);
// Shown when there is no pair to offer or no dictionary file to show.
QString EmptyVocabularyMessage();
QString NoVocabularyCaption();
