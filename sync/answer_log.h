#pragma once

#include "history/review_history.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <limits>

// One computer's records, as it shares them with the user's other computers through a
// synchronised folder: a text file that only its own computer writes and only ever appends to.
//
//   MERKO-ODPOVEDI 1 <computer id>
//   A <seq> <at ms> <offered side> <grade> <duration ms> <side 1> <comment 1> <side 2>
//     <comment 2> <typed> <dictionary> <check>
//   S <seq> <at ms> <side 1> <comment 1> <side 2> <comment 2> <offers 1> <offers 2>
//     <errors 1> <errors 2> <dictionary> <context> <check>
//   E the same, for the counters a dictionary had as it came into the synchronised folder
//
// one record a line, fields separated by tabs, in UTF-8; a backslash, tab, carriage return or
// line feed inside a text is written \\, \t, \r, \n. The records are numbered in one sequence
// that grows by one from 1. The check is the first eight hexadecimal digits of the SHA-1 of the
// line before its last tab: a record cut short (a sync in progress, a crash) has no line end yet
// and waits, a damaged one fails its check and is skipped. A record of a kind this version does
// not know is skipped too (the first builds wrote versions of files, V and W).
// An answer record (A) is one counted answer; a counter setting (S) sets a pair's four
// counters on a dictionary, and its context says which records of which computers its
// computer had read ("<computer>:<runs>,...", runs such as "1-5+8+10-12").
inline constexpr int AnswerLogVersion = 1;

struct LoggedAnswer
{
    qint64 seq = 0;
    // The dictionary is named relative to the synchronised folder when it lies inside it,
    // otherwise by its file name.
    AnswerRecord answer;
};
bool operator==(const LoggedAnswer &a, const LoggedAnswer &b);

struct LoggedSetting
{
    qint64 seq = 0;
    CounterSetting setting; // its dictionary named as in an answer record

    friend bool operator==(const LoggedSetting &, const LoggedSetting &) = default;
};

QByteArray AnswerLogHeader(const QString &computer);
QByteArray EncodeLoggedSetting(const LoggedSetting &logged);
QByteArray EncodeLoggedAnswer(const LoggedAnswer &logged);

// What a read of a log from some offset found.
struct AnswerLogPart
{
    // In the log's order, each sequence number once.
    QList<LoggedAnswer> answers;
    QList<LoggedSetting> settings;
    qint64 endOffset = 0;     // after the last whole line: where the next read begins
    qint64 lastSeq = 0;       // the highest sequence number seen
    int damaged = 0;          // whole lines that are no record of this format: skipped
    bool laterFormat = false; // a log of a later version: nothing is taken from it
    bool notALog = false;     // the file does not begin as a log
    bool more = false;        // stopped at the most answers asked for: read on from endOffset
};

// Reads the whole records of a log's bytes from `offset` (0: from its header), taking only
// records numbered after `afterSeq`.
AnswerLogPart ReadAnswerLog(QByteArrayView bytes, qint64 offset, qint64 afterSeq);

// The same from a file, in pieces, so that a huge log is never held whole, and at most
// `maxAnswers` answers of it (`more` says whether it stopped before its end). A file shorter
// than `offset` was replaced: it is read again from its start.
AnswerLogPart ReadAnswerLogFile(const QString &path, qint64 offset, qint64 afterSeq,
                                qsizetype maxAnswers = std::numeric_limits<qsizetype>::max());

// A log to read on from where it was left.
struct LogToRead
{
    QString path;
    qint64 offset = 0;
    qint64 afterSeq = 0;
};
// Reads several logs as ReadAnswerLogFile does, each up to `maxAnswersEach`, as many at once as
// there are cores; the parts in the order of the logs.
QList<AnswerLogPart> ReadAnswerLogFiles(const QList<LogToRead> &logs, qsizetype maxAnswersEach);

// Appends this computer's records to its own log.
class AnswerLogWriter
{
public:
    AnswerLogWriter(QString path, QString computer);

    const QString &path() const { return m_path; }
    // The highest sequence number in the file, read from its end; 0 for no file.
    qint64 lastSeq() const;
    // Appends the records, in the order of their numbers, after a header when the file is new,
    // and after a line end when a record was cut short; false, with the reason, when the file
    // cannot be written.
    bool append(const QList<LoggedAnswer> &answers, const QList<LoggedSetting> &settings,
                QString *reason);

private:
    bool appendRecords(const QByteArray &records, QString *reason);

    QString m_path;
    QString m_computer;
};

// This user's id on this computer: sixteen hexadecimal digits, made once and kept in the data
// folder. Empty, with the reason, when it can neither be read nor made.
QString ComputerId(const QString &dataFolder, QString *reason);
