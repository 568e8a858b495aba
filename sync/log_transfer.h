#pragma once

#include "answer_log.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The records of the user's computers synced through their logs, on an open history
// database (of the current schema) and a connection of its own: this computer's answers and
// counter settings numbered and appended to its log, the other computers' taken into the
// history.

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

// Takes the records read from computers' logs, each once by computer and number (answers
// settled: their own computer has counted them), and remembers how far each log was read, all
// in one transaction; the cards they touch are brought up to date. Returns how many records
// were new, or none on failure (nothing is taken). `localDictionary` turns a dictionary as a
// log names it into this computer's path.
std::optional<int> ImportLogs(QSqlDatabase db, const QList<LogRead> &logs,
                              const std::function<QString(const QString &)> &localDictionary,
                              const MemoryModel &model, QString *reason);

// This computer's records that its log does not hold yet.
struct OwnRecords
{
    QList<LoggedAnswer> answers;
    QList<LoggedSetting> settings;
};
// Numbers this computer's answers and counter settings that have no number yet, in the order
// they were made, after every number given before and after `lastInLog` (the log's last
// record); a setting's context gets every record of this computer before it. Returns the
// records after `lastInLog`, in order, to be appended to the log. `loggedDictionary` turns a
// path into the name the log gives it.
std::optional<OwnRecords>
OwnRecordsForLog(QSqlDatabase db, const QString &computer, qint64 lastInLog,
                 const std::function<QString(const QString &)> &loggedDictionary, QString *reason);

// What one sync with the synchronised folder did.
struct SyncRound
{
    int taken = 0;        // records of other computers new to this one
    int computers = 0;    // logs of other computers in the folder
    bool reached = false; // the folder was there: this computer's records are numbered
    QStringList troubles; // what went wrong, one sentence each, naming the file
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

// One sync: this computer's new records appended to its log, then every log in the folder
// read on from where it was left (its own too, which brings back records a lost history had)
// and taken into the history, up to `answersAtOnce` in each transaction.
SyncRound SyncWithFolder(QSqlDatabase db, const SyncPlace &place, const MemoryModel &model,
                         qsizetype answersAtOnce = AnswersReadAtOnce);
