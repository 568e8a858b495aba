#pragma once

#include "review_history.h"

#include "vocabulary/conflict_copies.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

#include <limits>

// One computer's answers, as it shares them with the user's other computers through a
// synchronised folder: a text file that only its own computer writes and only ever appends to.
//
//   MERKO-ODPOVEDI 1 <computer id>
//   A <seq> <at ms> <offered side> <grade> <duration ms> <side 1> <comment 1> <side 2>
//     <comment 2> <typed> <dictionary> <check>
//
//   V <dictionary> <SHA-1 of the file> <SHA-1 of a base>,... <computer>:<runs>,... <check>
//
// one record a line, fields separated by tabs, in UTF-8; a backslash, tab, carriage return or
// line feed inside a text is written \\, \t, \r, \n. The sequence numbers grow by one from 1.
// The check is the first eight hexadecimal digits of the SHA-1 of the line before its last tab:
// a record cut short (a sync in progress, a crash) has no line end yet and waits, a damaged one
// fails its check and is skipped. A record of a kind this version does not know is skipped too.
// An answer record (A) is one counted answer; a version record (V) says what a version of a
// dictionary file that the computer wrote has counted, for every computer the runs of its
// answers on the dictionary ("1-5+8+10-12": 1 to 5, 8, and 10 to 12), and which versions it
// was made from (none, one, or the two it merged). The first builds wrote versions as
// `W <dictionary> <SHA-1> <computer>:<seq>,... <check>`, every answer up to that number: read
// still, never written.
inline constexpr int AnswerLogVersion = 1;

struct LoggedAnswer
{
    qint64 seq = 0;
    // The dictionary is named relative to the synchronised folder when it lies inside it,
    // otherwise by its file name.
    AnswerRecord answer;
};
bool operator==(const LoggedAnswer &a, const LoggedAnswer &b);

// A version of a dictionary file that a computer wrote, and the answers it has counted.
struct LoggedVersion
{
    QString dictionary;      // named as in an answer record
    QByteArray hash;         // the SHA-1 of the file's bytes, in hexadecimal
    QList<QByteArray> bases; // the versions it was made from, the same way
    IncludedAnswers included;

    friend bool operator==(const LoggedVersion &, const LoggedVersion &) = default;
};

QByteArray AnswerLogHeader(const QString &computer);
QByteArray EncodeLoggedVersion(const LoggedVersion &version);
QByteArray EncodeLoggedAnswer(const LoggedAnswer &logged);

// What a read of a log from some offset found.
struct AnswerLogPart
{
    QList<LoggedAnswer> answers; // in the log's order, each sequence number once
    QList<LoggedVersion> versions;
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

// Appends this computer's answers to its own log.
class AnswerLogWriter
{
public:
    AnswerLogWriter(QString path, QString computer);

    const QString &path() const { return m_path; }
    // The highest sequence number in the file, read from its end; 0 for no file.
    qint64 lastSeq() const;
    // Appends the answers after a header when the file is new, and after a line end when a
    // record was cut short; false, with the reason, when the file cannot be written.
    bool append(const QList<LoggedAnswer> &answers, QString *reason);
    bool append(const QList<LoggedVersion> &versions, QString *reason);

private:
    bool appendRecords(const QByteArray &records, QString *reason);

    QString m_path;
    QString m_computer;
};

// This user's id on this computer: sixteen hexadecimal digits, made once and kept in the data
// folder. Empty, with the reason, when it can neither be read nor made.
QString ComputerId(const QString &dataFolder, QString *reason);
