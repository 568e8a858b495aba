#pragma once

#include "vocabulary.h"
#include "vocabulary_store.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

#include <optional>
#include <utility>

struct SideLanguages;

// What an operation on the current dictionary did, for the application to tell the user.
struct DictionaryResult
{
    enum class Status { Done, HeldElsewhere, Failed };

    Status status = Status::Done;
    QString reason;           // Failed: why, as the user is told it
    bool merged = false;      // another writer had changed the file: the answers were added to it
    int lostPairs = 0;        // answered pairs that the changed file no longer holds
    bool becameUtf8 = false;  // the text no longer fitted windows-1250: the file is UTF-8 now
    bool tellMerge = false;   // the merge is news to the user: the first, or one that lost pairs
    bool tellFailure = false; // the failure is news: answers after it do not repeat it
    // Pairs whose answers cannot be stored in their lines, each told once.
    QStringList unstoredPairs;
    // The write journal cannot be kept, so a kill while writing is not made good at the next
    // start: why, told once until it works again.
    QString journalUnkept;

    bool done() const { return status == Status::Done; }
};

// The counters of a dictionary's pairs by their text (PairKey), as the answers of all the user's
// computers make them.
using SharedCounters = QHash<QString, Counters>;

// What a write of a dictionary in the synchronised folder did.
struct SharedWrite
{
    int pairsAdded = 0; // pairs of conflict copies that the file lacked
    int pairsLeft = 0;  // pairs of conflict copies for which the file had no room
    // Another program (or a copy put back) changed the file, and its counters differ from those
    // of the answers: the answers' are written.
    bool countersReplaced = false;
    bool written = false;
};

// The one current dictionary of the run: its pairs, its file, the lock that tells other copies
// of the program that it is open here, and what the user has already been told of it. Its
// operations keep every answer safe and return what happened; they never show anything.
class CurrentDictionary : public QObject
{
    Q_OBJECT
public:
    // Whether another copy of the program holding the file keeps this one from opening it.
    enum class Sharing { RespectOtherCopies, ShareWithOtherCopies };

    explicit CurrentDictionary(QObject *parent = nullptr);
    ~CurrentDictionary() override;

    // Write-backs keep their new content in this folder until the file holds it.
    void setJournalFolder(const QString &folder) { m_journal = WriteJournal(folder); }
    const WriteJournal &journal() const { return m_journal; }
    // The folder that a sync tool shares between the user's computers (empty: none). Its
    // dictionaries keep their locks in `localLocks`, on this computer (the open one's lock
    // moves there at once, when it can be taken there).
    void setSyncFolder(const QString &syncFolder, const QString &localLocks);

    const Vocabulary &vocabulary() const { return m_vocabulary; }
    // The drill counts answers into the pairs.
    Vocabulary &vocabulary() { return m_vocabulary; }
    // The dictionary's file; empty before the first one and while it is set aside.
    const QString &path() const { return m_vocabulary.path; }
    // The name leads to this dictionary's file.
    bool isFileOf(const QString &fileName) const;
    // No other copy of the program had the file open when it was opened here.
    bool holdsLock() const;

    // Makes the file current: unsaved answers are written back, then the file is read and its
    // full name (resolved against the working directory now) becomes the path. HeldElsewhere,
    // with nothing changed, when another copy has the file open and that is respected. Throws
    // FileError when the write-back or the read fails; the dictionary then stays as it was.
    DictionaryResult open(const QString &fileName, Sharing sharing);

    // After an answer or a reset: the answers go to the file at once. A failure is news to the
    // user only until a write-back succeeds again.
    DictionaryResult writeBackAnswers();
    // Before the dictionary is left: every failure is the user's to decide on.
    DictionaryResult writeBackBeforeLeaving();
    // The user gives up the answers that could not be written.
    void discardAnswers();
    // The system ends the program and the answers could not be written: they are not asked
    // about again, and stay unsettled in the history, which restores them at the next start.
    void leaveAnswersToHistory();
    // Writes the dictionary to another file, which becomes its file. Throws FileError.
    void saveElsewhere(const QString &target);

    // The editor opens `fileName`. When it is this dictionary's file, the answers are written
    // back (throws FileError) and the dictionary is set aside, without a file, so that nothing
    // is written over the editor's work; the path set aside is returned (empty: untouched).
    QString setAsideFor(const QString &fileName);
    // The dictionary set aside gets its file back without reading it (the editor failed).
    void takeBack(const QString &path);

    // Writes the dictionary an import made from `source` into `target` and returns how many
    // pairs were written. The source is never written; when the target is this dictionary's
    // file, its answers are written back first. Throws FileError.
    int importInto(const QString &source, const QString &target, const Vocabulary &imported);
    // Changes `target`, a dictionary an earlier import made, by `change` (which adds the pairs
    // it lacks and returns how many), keeping its pairs, their statistics and its kept lines;
    // returns what `change` returned. When the target is this dictionary's file, its answers
    // are written back first. Throws FileError.
    int updateFromImport(const QString &target, const std::function<int(Vocabulary &)> &change);
    // Stores the languages of the two sides in the dictionary's file (its answers are written
    // back first). Throws FileError, also when another program changed the file meanwhile.
    void storeLanguages(const SideLanguages &languages);
    // The dictionary lies in the synchronised folder.
    bool isShared() const;
    // Writes a dictionary of the synchronised folder as its file is now (another computer's
    // write, or a hand edit, taken in), with the pairs of the conflict copies (read by the
    // caller, who removes them) that it lacks, and every pair's counters from `counters` (the
    // first of equal pairs; none: the file's own). Bytes equal to the file's are not written.
    // The answers are written back first. Throws FileError, with the dictionary as it was.
    SharedWrite writeShared(const std::optional<SharedCounters> &counters,
                            const QList<Vocabulary> &copies);

signals:
    // Another file became the dictionary.
    void opened();
    // The file was read again after another writer changed it: for every old position
    // (index: position - 1) the new one, 0 when the pair is gone.
    void pairsMoved(const QList<int> &newPositions);
    // Every answer counted on the dictionary of that file so far is in a file now, or was
    // given up by the user. Sent while the write's journal entry still exists.
    void answersSettled(const QString &path);
    // The write-back that another operation began with is done (perhaps with nothing to
    // write): what it did, whose news (a merge, UTF-8, answers that cannot be stored, no
    // journal) the user is to be told.
    void writtenBack(const DictionaryResult &result);

private:
    // The one write-back of the answers; a merge moves the pairs (pairsMoved).
    DictionaryResult tryWriteBack();
    // The write-back that an operation begins with: throws FileError when it fails, and
    // tells what it did through writtenBack().
    void writeBackFirst();
    // An operation's own change of the file, after its write-back: throws FileError, the
    // sentence `changedMeanwhile` ending the message, when another program changed the file
    // since.
    void rewrite(const QString &changedMeanwhile, const std::function<void(Vocabulary &)> &change);
    QString lockFileOf(const QString &path) const;

    Vocabulary m_vocabulary;
    DictionaryLock m_lock;
    QString m_syncFolder;
    QString m_localLocks;
    WriteJournal m_journal;
    bool m_mergeTold = false;          // the user was told of a merge with this dictionary
    bool m_sharedWritten = false;      // written with the answers' counters since it was opened
    bool m_saveFailureTold = false;    // the user was told that answers cannot be saved
    bool m_journalTroubleTold = false; // the user was told that the journal cannot be kept
    QStringList m_unstoredTold;        // pairs whose answers the user knows are not stored
};
