#pragma once

#include "fsrs.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

class QSqlQuery;

// Answers of one day: exact, accepted by a typo criterion, wrong or revealed.
struct DayAnswers
{
    QDate day;
    int exact = 0;
    int typo = 0;
    int wrong = 0;

    friend bool operator==(const DayAnswers &, const DayAnswers &) = default;
};

// The share of the day's first answers (of each card) that were right.
struct DayShare
{
    QDate day;
    double share = 0;
    int firstAnswers = 0;

    friend bool operator==(const DayShare &, const DayShare &) = default;
};

// Cards by how long they are held in memory (their stability).
struct MemoryBuckets
{
    int fresh = 0;    // never answered (only for a dictionary, whose pairs are known)
    int underDay = 0; // under a day
    int week = 0;     // 1 to 7 days
    int month = 0;    // 1 to 4 weeks
    int longer = 0;

    friend bool operator==(const MemoryBuckets &, const MemoryBuckets &) = default;
};

// A card that fails often or is likely forgotten.
struct HardCard
{
    QString side1;
    QString side2;
    int offeredSide = 1;
    int wrongAnswers = 0; // answered wrong or shown, the first answer too
    int reviews = 0;
    double retrievability = 1;
};

// The line of figures under the pictures.
struct ProgressFigures
{
    int streakDays = 0; // days in a row with practice, up to today (or yesterday)
    int answersToday = 0;
    qint64 msToday = 0;
    qint64 answersInAll = 0;
    qint64 msInAll = 0;
    int computers = 0; // that gave the answers

    friend bool operator==(const ProgressFigures &, const ProgressFigures &) = default;
};

// "1:05:09": a time in milliseconds as hours, minutes and seconds.
QString FormatDuration(qint64 ms);

// How the hardest cards are ordered.
enum class HardOrder { ByWrongAnswers, ByRetrievability };

// What the progress window shows, reckoned by SQL from the answer history: for the answers
// recorded with one dictionary, or for the whole history. Days are the user's local calendar
// days (23 or 25 hours on a change of daylight saving time).
class HistoryProgress
{
public:
    // The time an answer counts with at most: one left on screen over lunch is no work.
    static constexpr qint64 LongestAnswerMs = 5 * 60 * 1000;

    // `dictionary` empty: the whole history. `desiredRetention`: the one in force, which says
    // when a card is due.
    // `computer`: this computer's id in the synchronised folder, whose answers not yet
    // numbered are its too; empty without one.
    HistoryProgress(QSqlDatabase database, QString dictionary, qint64 nowMs,
                    const MemoryModel &model = {}, QString computer = QString());
    // Why a question failed, empty while none did: a failure is never shown as "no data".
    const QString &failure() const { return m_failure; }

    // The local day of the moment given.
    QDate today() const { return m_today; }
    bool hasAnswers() const;
    // The last `days` days, today last, every day present.
    QList<DayAnswers> answersPerDay(int days) const;
    // The days among the last `days` with answers, oldest first.
    QList<DayShare> firstAnswerShares(int days) const;
    // Cards falling due on each of the next `days` days, today first (overdue ones today).
    QList<int> dueForecast(int days) const;
    // `dictionaryCards`: the cards the dictionary has (its pairs in both directions), whose
    // unanswered rest is new; 0 for the whole history.
    MemoryBuckets memoryBuckets(int dictionaryCards) const;
    QList<HardCard> hardestCards(HardOrder order, int limit) const;
    ProgressFigures figures() const;
    // Every answer, one a row under a header line, for a spreadsheet (UTF-8). Throws
    // FileError when the history cannot be read.
    QByteArray answersCsv() const;

private:
    // The condition that keeps to the scope, for reviews (alias r) and for cards (alias c).
    QString reviewScope() const;
    QString cardScope() const;
    QVariantList scoped(QVariantList values) const;
    qint64 dayStartMs(int daysBack) const;
    // Runs a statement with its values bound in order; false (and the failure kept) when it
    // failed.
    bool run(QSqlQuery &query, const QString &statement, const QVariantList &values) const;

    QSqlDatabase m_database;
    QString m_dictionary;
    QString m_computer;
    qint64 m_nowMs;
    Fsrs::Weights m_weights;
    double m_intervalPerStability;
    QDate m_today;
    mutable QString m_failure;
};
