#pragma once

#include "fsrs.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
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
// The history is also the journal of the dictionaries' counters: an answer is committed here
// before its dictionary is written, and settled once the file holds it (or the user gave it
// up). An unsettled answer is one whose write did not complete.
class ReviewHistory : public QObject
{
    Q_OBJECT
public:
    // The schema this program writes; a database of a later one is left alone.
    static constexpr int SchemaVersion = 2;

    explicit ReviewHistory(QString path, QObject *parent = nullptr);
    ~ReviewHistory() override;

    const QString &path() const { return m_path; }
    // Opens the database when it is not open yet; false when it cannot be used now.
    bool ensureOpen();
    bool isOpen() const { return m_open; }

    // Adds the answer and updates its card; the card after the answer, or none on failure.
    std::optional<Card> record(const AnswerRecord &answer, double desiredRetention);
    // The cards of these pairs (both directions) that have been answered.
    QHash<CardKey, Card> cardsOf(const QList<PairText> &pairs);

    // The answers of a dictionary that were not settled, oldest first.
    QList<UnsettledAnswer> unsettledAnswers(const QString &dictionary);
    // These answers on the dictionary are this run's from now on: its next settling of their
    // file settles them.
    void adopt(const QString &dictionary, const QList<qint64> &ids);
    // This run's answers on the dictionary are in its file, or were given up. Should the
    // history fail to take that, it is tried again with the next settling.
    void settle(const QString &dictionary);
    // Every answer on the dictionary is in its file: a write that a killed run left unfinished
    // has been completed.
    void settleAll(const QString &dictionary);

    // How many answers the history holds.
    qint64 answerCount();
    // The open database for questions of its own (the progress window); invalid when the
    // history cannot be used.
    QSqlDatabase database();

signals:
    // The history cannot be used, or was damaged and replaced: what the user is told, once
    // until it works again.
    void troubled(const QString &message);

private:
    struct Failure
    {
        QString reason;
        int code = 0; // SQLite's primary result code
    };

    bool openDatabase();
    bool migrate();
    std::optional<Card> recordAnswer(const AnswerRecord &answer, double desiredRetention);
    void close();
    // A statement failed: the database is closed and the failure told by reportFailure().
    bool failWith(const QSqlError &error);
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
    QString m_connection;
    QString m_session; // this run's answers
    bool m_open = false;
    bool m_told = false;       // the user knows that the history cannot be used
    bool m_keepClosed = false; // a later version's database: never written
    std::optional<Failure> m_failure;
    // Dictionaries with answers of this run that may not be settled yet.
    QSet<QString> m_unsettled;
    // Dictionaries whose files hold this run's answers, still to be marked so.
    QSet<QString> m_toSettle;
};

// The user's history database: history.sqlite in `dataFolder`.
QString HistoryFilePath(const QString &dataFolder);
