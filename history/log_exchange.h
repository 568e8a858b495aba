#pragma once

#include "answer_log.h"

#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class PairNumbers;

// The answers of the user's computers exchanged through their logs, on an open history
// database (of the current schema) and its connection. A card's memory state is a function of
// all its answers in time order, whoever gave them, so that two computers that hold the same
// answers hold the same cards.

// A version of a dictionary that no log names yet is waited for this long after its file came
// to this computer (FileStamp::arrived): the log that names it comes with the file, a little
// later or sooner. Reckoned from its coming, not its writing: a computer that was away takes
// a file long after it was written, and perhaps before its log. After that it counts as
// having counted nothing beyond its own counters.
inline constexpr qint64 UnloggedVersionWaitMs = 2 * 60 * 1000;

// How far a computer's log has been read.
struct LogProgress
{
    qint64 offset = 0;
    qint64 lastSeq = 0;
};
std::optional<LogProgress> ReadLogProgress(QSqlDatabase db, const QString &computer,
                                           QString *reason);

// What was read of one computer's log.
struct LogRead
{
    QString computer;
    AnswerLogPart part;
};

// At most this many answers are read from the logs at once and taken in one transaction.
inline constexpr qsizetype AnswersReadAtOnce = 200000;

// Reads the logs (each named `<computer>.log`) on from where this history left them, side by
// side, in their order, up to `maxAnswers` in all (the same share of it from each); none, with
// the reason, when the history cannot say where that was.
std::optional<QList<LogRead>> ReadLogsOn(QSqlDatabase db, const QStringList &paths, QString *reason,
                                         qsizetype maxAnswers = AnswersReadAtOnce);

// Takes the answers read from computers' logs, each once by computer and number, settled
// (their own computer has counted them), and remembers how far each log was read, all in one
// transaction; the cards they touch are brought up to date. Returns how many were new, or none
// on failure (nothing is taken). `localDictionary` turns a dictionary as a log names it into
// this computer's path.
std::optional<int> ImportLogs(QSqlDatabase db, const QList<LogRead> &logs,
                              const std::function<QString(const QString &)> &localDictionary,
                              double desiredRetention, QString *reason);

// Takes answers given here elsewhere than in a drill (brought from another program) as this
// computer's, settled (their dictionaries count them), each once: an answer on a card at a
// moment that the history holds already is left out. The cards they touch are brought up to
// date. Returns how many were new, or none on failure (nothing is taken).
std::optional<int> ImportAnswers(QSqlDatabase db, const QList<AnswerRecord> &answers,
                                 double desiredRetention, QString *reason);

// A connection of its own (named `connection`) to the history at `path`, for work off the
// drill's thread, which waits a while for another program's lock. It is open only when the
// history has this program's schema: the drill's history makes it.
QSqlDatabase OpenHistoryConnection(const QString &connection, const QString &path);

// Numbers this computer's answers that have no number yet, after every number given before
// and after `lastInLog` (the log's last record), and returns those after `lastInLog`, in order,
// to be appended to the log. `loggedDictionary` turns a path into the name the log gives it.
std::optional<QList<LoggedAnswer>>
AnswersForOwnLog(QSqlDatabase db, const QString &computer, qint64 lastInLog,
                 const std::function<QString(const QString &)> &loggedDictionary, QString *reason);

// Computes the cards again from all their answers, in time order (of one time: by computer and
// number, then as recorded), within the transaction whose pair numbers `pairs` keeps.
bool ReplayCards(QSqlDatabase db, PairNumbers &pairs, const QSet<CardKey> &cards,
                 double desiredRetention, QString *reason);

// What a version of a dictionary file has counted of each computer's answers, for each computer
// that wrote it and logged it: two computers that answered alike write the same bytes having
// counted different answers, and one computer may write them twice so. Empty when no log names
// the version yet.
using VersionWriters = QMultiHash<QString, IncludedAnswers>;
std::optional<VersionWriters> CountedByWriters(QSqlDatabase db, const QByteArray &hash,
                                               QString *reason);
// What a version holds: what it has counted, as its first writer by name says, and what the
// versions it was made from one after another, each made from one version, have counted. A
// version is logged with what the one it was made from had counted as far as a log named it
// then; one made from a file that no log named for a while is logged as holding nothing of it,
// and the log that names that file may still come. The line stops at a merge (it holds of the
// copy only what it took from it), at a version no log names, and below the version itself at
// one written alike, by two computers or by one twice (their words differ; see OwedAnswers).
std::optional<IncludedAnswers> CountedWithBases(QSqlDatabase db, const QByteArray &hash,
                                                QString *reason);
// Whether the version is one this computer wrote and has not logged yet: what it counted is
// known once it is logged, with the next exchange.
std::optional<bool> IsUnloggedOwnVersion(QSqlDatabase db, const QByteArray &hash, QString *reason);
// The answers that the dictionary's version `hash` (which has counted `counted`) owes: two
// computers that answered alike wrote the same bytes, each having counted answers of its own
// (or one computer did twice, its file replaced by a sync in between); the versions made from
// them went on from one word, and what only the other counted is in no counter. Only versions
// that `hash` was made from, itself included, owe.
std::optional<IncludedAnswers> OwedAnswers(QSqlDatabase db, const QString &dictionary,
                                           const QByteArray &hash, const IncludedAnswers &counted,
                                           QString *reason);
// One computer's answers on a dictionary (its path on this computer) numbered after `after`,
// up to `upTo`, in their order: what one version of the file counted and another did not.
std::optional<QList<AnswerRecord>> LoggedAnswersOn(QSqlDatabase db, const QString &dictionary,
                                                   const QString &computer, qint64 after,
                                                   qint64 upTo, QString *reason);

// What one exchange with the synchronised folder did.
struct FolderExchange
{
    int taken = 0;        // answers of other computers new to this one
    int computers = 0;    // logs of other computers in the folder
    QStringList troubles; // what went wrong, one sentence each, naming the file
    // Versions written here that wait for the log naming the file they were made from.
    int versionsWaiting = 0;
};

// Where this computer meets its others: the synchronised folder and this computer's id. The
// logs are in merko/odpovedi/<computer id>.log; a dictionary inside the folder is named by its
// path relative to it, one outside by its full path.
struct SyncPlace
{
    QString folder;
    QString computer;

    QString logFolder() const;
    QString ownLog() const;
    QString loggedDictionary(const QString &path) const;
    QString localDictionary(const QString &logged) const;
};

// Why the folder cannot be the synchronised folder (it is no folder, the log folder cannot be
// made in it), or empty when it can; the log folder is made.
QString SyncFolderProblem(const QString &folder);

// One exchange: this computer's new answers and versions appended to its log, then every log in
// the folder read on from where it was left (its own too, which brings back answers a lost
// history had) and taken into the history, up to `answersAtOnce` in each transaction. A version
// written here that waited for a log read then is logged, and read back.
FolderExchange ExchangeWithFolder(QSqlDatabase db, const SyncPlace &place, double desiredRetention,
                                  qsizetype answersAtOnce = AnswersReadAtOnce);
