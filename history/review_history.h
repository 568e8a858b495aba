#pragma once

#include "fsrs.h"
#include "wal_checkpointer.h"

#include "core/number_ranges.h"
#include "vocabulary/vocabulary.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QSqlDatabase;
class QSqlError;

// A pair as the history knows it: both sides with their comments, as the merge of answers
// knows it, so that a word keeps its history when its file is renamed, moved or imported again.
struct PairText
{
    QString side1;
    QString comment1;
    QString side2;
    QString comment2;

    friend bool operator==(const PairText &, const PairText &) = default;
};

// A dictionary's pair as the history knows it.
PairText PairTextOf(const VocabularyEntry &entry);

// A pair asked in one direction: `offeredSide` is shown, the other side is answered.
struct CardKey
{
    PairText pair;
    int offeredSide = 1;

    friend bool operator==(const CardKey &, const CardKey &) = default;
};
size_t qHash(const PairText &pair, size_t seed = 0);
size_t qHash(const CardKey &key, size_t seed = 0);

// One counted answer.
struct AnswerRecord
{
    qint64 atMs = 0; // UTC, milliseconds since the epoch
    CardKey card;
    Grade grade = Grade::Again;
    QString typed;
    qint64 durationMs = 0; // from the offer to Enter
    QString dictionary;    // the file's full path
};

// A pair's counters as the user set them on a dictionary: when it came into the synchronised
// folder, when they were reset, when the pair was renamed. Shared with the user's other
// computers, it says what the counters are as far as its computer had read the others.
struct CounterSetting
{
    qint64 atMs = 0;
    QString dictionary; // the file's full path
    PairText pair;
    Counters counters{}; // offers 1, offers 2, errors 1, errors 2
    RecordSet context;   // the records of every computer's log that its computer had read
    // Set as the dictionary came into the folder (not reset or renamed by the user): of two
    // computers that brought it in without knowing of each other, the first counts.
    bool entering = false;

    friend bool operator==(const CounterSetting &, const CounterSetting &) = default;
};

// What this computer knows at a moment, for the counters set then: how far it had read the
// other computers' logs, and the last answer given here by then.
struct SettingContext
{
    RecordSet others;
    qint64 lastAnswerId = 0;
};

// An answer that the history holds but whose dictionary file may not hold yet.
struct UnsettledAnswer
{
    qint64 id = 0;
    CardKey card;
    Grade grade = Grade::Again;
};

// Every counted answer of the user, in one SQLite database in the user's data folder, and the
// memory state of every card, updated with each answer in the same transaction. Two copies of
// the program share it. It is opened when first needed; a database that cannot be used is
// reported once (troubled()) and the drill goes on without it, and a damaged one is set aside
// under a dated name and a new one started.
//
// No answer waits for it: while another program holds the database's lock (longer than a
// blink), the answers and settlings wait in memory, in their order, and are written once the
// lock is free. A settling that waits is also noted in a small file beside the database, so
// that a run killed meanwhile has its settling applied by the next one.
//
// The history is also the journal of the dictionaries' counters: an answer is committed here
// before its dictionary is written, and settled once the file holds it (or the user gave it
// up). An unsettled answer is one whose write did not complete.
class ReviewHistory : public QObject
{
    Q_OBJECT
public:
    // The schema this program writes; a database of a later one is left alone.
    static constexpr int SchemaVersion = 10;
    // How long a write waits for another program's lock before it is left to wait in memory.
    static constexpr int LockWaitMs = 20;

    explicit ReviewHistory(QString path, QObject *parent = nullptr);
    ~ReviewHistory() override;

    const QString &path() const { return m_path; }
    // Opens the database when it is not open yet; false when it cannot be used now.
    bool ensureOpen();
    bool isOpen() const { return m_open; }

    // The memory model that answers update their cards with, also those that waited for the
    // lock while it changed (the defaults until set).
    void setModel(const MemoryModel &model) { m_model = model; }
    // Adds the answer and updates its card; the card after the answer, or none when it was not
    // recorded now (it waits for the lock, or the history cannot be used).
    std::optional<Card> record(const AnswerRecord &answer);
    // The cards of these pairs (both directions) that have been answered; none when they
    // cannot be read.
    std::optional<QHash<CardKey, Card>> cardsOf(const QList<PairText> &pairs);

    // The answers of a dictionary that were not settled, oldest first.
    QList<UnsettledAnswer> unsettledAnswers(const QString &dictionary);
    // Takes over the unsettled answers of other runs on the dictionary, oldest first: they are
    // this run's from now on, and its next settling of the file settles them. None when they
    // cannot be taken now (writes wait for the lock, the history fails): nothing is taken.
    std::optional<QList<UnsettledAnswer>> claimUnsettled(const QString &dictionary);
    // This run's answers on the dictionary are in its file, or were given up. Should the
    // history fail to take that, it is tried again with the next write.
    void settle(const QString &dictionary);
    // Every answer on the dictionary is in its file: a write that a killed run left unfinished
    // has been completed.
    void settleAll(const QString &dictionary);
    // The user set counters of a dictionary in the synchronised folder: they go to this
    // computer's log, after the answers given before them, with what this computer knows now
    // (or knew at `context`, taken with contextNow()).
    void noteSettings(const QList<CounterSetting> &settings,
                      const std::optional<SettingContext> &context = std::nullopt);
    // What this computer knows now, for counters that are set later; none when the history
    // cannot be read.
    std::optional<SettingContext> contextNow();

    // Answers that wait for the lock.
    int waitingAnswers() const;
    // Waits up to `budgetMs` for the lock so that what waits is written (at the end of the
    // run); returns how many answers still wait.
    int finish(int budgetMs);

    // How many answers the history holds.
    qint64 answerCount();
    // Checkpoints of the write-ahead log done on their thread (for the measuring harness).
    int checkpointsDone() const { return m_checkpointer ? m_checkpointer->done() : 0; }
    // The open database for questions of its own (the progress window); invalid when the
    // history cannot be used.
    QSqlDatabase database();

signals:
    // The history cannot be used, or was damaged and replaced: what the user is told, once
    // until it works again.
    void troubled(const QString &message);
    // The lock that kept writes (or a taking over of answers) waiting is free, and everything
    // that waited is written.
    void caughtUp();

private:
    struct Failure
    {
        QString reason;
        int code = 0; // SQLite's primary result code
    };
    // A write in its turn: an answer, or a settling of a dictionary's answers (this run's, or
    // all of them).
    struct PendingWrite
    {
        enum class Kind { Answer, Settle, SettleAll, Settings };
        Kind kind = Kind::Answer;
        AnswerRecord answer;
        QString dictionary;
        QList<CounterSetting> settings;
        std::optional<SettingContext> context;
    };
    enum class Outcome { Done, Locked, Failed };

    bool openDatabase();
    bool checkPages();
    bool migrate();
    Outcome recordAnswer(const AnswerRecord &answer, std::optional<Card> *after);
    Outcome settleNow(const PendingWrite &write);
    Outcome settingsNow(const PendingWrite &write);
    // Marks the unsettled answers on the dictionary settled: those of `session`, or all.
    bool markSettled(const QString &dictionary, const QString &session, bool all);
    // What a write that just failed came to: the lock held elsewhere, or a failure.
    Outcome failureOutcome() const { return m_locked ? Outcome::Locked : Outcome::Failed; }
    Outcome run(const PendingWrite &write, std::optional<Card> *after);
    // Runs the waiting writes in order until one must wait for the lock; true when none waits.
    bool drain(std::optional<Card> *lastAnswer = nullptr);
    void enqueue(PendingWrite write, std::optional<Card> *after = nullptr);
    void retryLater();
    void retry();
    // The settlings that wait are noted beside the database (or the note removed).
    void noteWaitingSettlings();
    void applySettlingNotes();
    QString settlingNotePrefix() const;
    void close();
    // A statement failed: the database is closed and the failure told by reportFailure(); a
    // lock held by another program is only remembered.
    bool failWith(const QSqlError &error);
    // The same with SQLite's primary result code and its reason.
    bool failWith(int code, const QString &reason);
    // Runs an operation and deals with its failure once its queries are gone.
    template<typename Operation>
    auto guarded(Operation operation) -> decltype(operation());
    // Closes a failed database, sets a damaged one aside and tells the user.
    void reportFailure();
    void tell(const QString &message);
    bool execute(const QString &statement);
    bool inTransaction(const std::function<bool()> &body);
    QString setAside();

    QString m_path;
    MemoryModel m_model;
    QString m_connection;
    QString m_session; // this run's answers
    bool m_open = false;
    bool m_told = false;       // the user knows that the history cannot be used
    bool m_keepClosed = false; // a later version's database: never written
    bool m_locked = false;     // the last statement found the lock held by another program
    bool m_waitedForLock = false;
    bool m_draining = false;
    std::optional<Failure> m_failure;
    QList<PendingWrite> m_pending; // oldest first
    QTimer m_retry;
    QStringList m_notes; // this run's notes of waiting settlings
    int m_noteNumber = 0;
    // Dictionaries with answers of this run that may not be settled yet.
    QSet<QString> m_unsettled;
    std::unique_ptr<WalCheckpointer> m_checkpointer; // once the database is open
    int m_sinceCheckpoint = 0;                       // answers written since the last request
};

// Why a statement failed, as SQLite says it (the driver's text when SQLite says nothing).
QString SqlFailureReason(const QSqlError &error);

// The user's history database: history.sqlite in `dataFolder`.
QString HistoryFilePath(const QString &dataFolder);
