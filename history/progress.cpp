#include "progress.h"
#include "review_history.h"

#include "core/file_error.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Progress)
};

// SQLite's local calendar day of a review, as the C library's local time gives it.
const QString LocalDay = QStringLiteral("date(r.at_ms / 1000, 'unixepoch', 'localtime')");

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char(','))
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QString FormatDuration(qint64 ms)
{
    const qint64 seconds = std::max<qint64>(ms, 0) / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

HistoryProgress::HistoryProgress(QSqlDatabase database, QString dictionary, qint64 nowMs,
                                 const MemoryModel &model, QString computer)
    : m_database(std::move(database))
    , m_dictionary(std::move(dictionary))
    , m_computer(std::move(computer))
    , m_nowMs(nowMs)
    , m_weights(model.weights)
    , m_intervalPerStability(Fsrs::IntervalPerStability(model.weights, model.desiredRetention))
    , m_today(QDateTime::fromMSecsSinceEpoch(nowMs).date())
{}

bool HistoryProgress::run(QSqlQuery &query, const QString &statement,
                          const QVariantList &values) const
{
    query.setForwardOnly(true);
    bool ran = query.prepare(statement);
    for (const QVariant &value : values)
        query.addBindValue(value);
    ran = ran && query.exec();
    if (!ran && m_failure.isEmpty()) {
        m_failure = SqlFailureReason(query.lastError());
        if (m_failure.isEmpty())
            m_failure = Texts::tr("neznámá chyba databáze");
    }
    return ran;
}

QString HistoryProgress::reviewScope() const
{
    return m_dictionary.isEmpty() ? QStringLiteral("1") : QStringLiteral("r.dictionary = ?");
}

// A card belongs to a dictionary once it was answered there. The card's answers are looked up
// by the card's index, the first of the dictionary ending the search ("+": not by the
// dictionary's index, which holds every answer of the dictionary).
QString HistoryProgress::cardScope() const
{
    return m_dictionary.isEmpty()
               ? QStringLiteral("1")
               : QStringLiteral("EXISTS (SELECT 1 FROM answers r WHERE r.pair = c.pair AND "
                                "r.direction = c.direction AND +r.dictionary = ?)");
}

// The values of a statement's placeholders, followed by the dictionary's when its scope
// condition (always the last) has one.
QVariantList HistoryProgress::scoped(QVariantList values) const
{
    if (!m_dictionary.isEmpty())
        values.append(m_dictionary);
    return values;
}

qint64 HistoryProgress::dayStartMs(int daysBack) const
{
    return m_today.addDays(-daysBack).startOfDay().toMSecsSinceEpoch();
}

bool HistoryProgress::hasAnswers() const
{
    QSqlQuery query(m_database);
    const QVariantList values = scoped({});
    return run(query,
               QStringLiteral("SELECT EXISTS (SELECT 1 FROM answers r WHERE %1)")
                   .arg(reviewScope()),
               values)
           && query.next() && query.value(0).toBool();
}

QList<DayAnswers> HistoryProgress::answersPerDay(int days) const
{
    QList<DayAnswers> result;
    for (int back = days - 1; back >= 0; --back)
        result.append({m_today.addDays(-back)});
    const QVariantList values = scoped({dayStartMs(days - 1)});
    QSqlQuery query(m_database);
    if (!run(query,
             QStringLiteral("SELECT %1 AS day, sum(r.grade >= 3), sum(r.grade = 2), "
                            "sum(r.grade = 1) FROM answers r WHERE r.at_ms >= ? AND %2 "
                            "GROUP BY day")
                 .arg(LocalDay, reviewScope()),
             values))
        return result;
    while (query.next()) {
        const qint64 index = m_today.addDays(-(days - 1))
                                 .daysTo(QDate::fromString(query.value(0).toString(), Qt::ISODate));
        if (index < 0 || index >= days)
            continue;
        DayAnswers &day = result[index];
        day.exact = query.value(1).toInt();
        day.typo = query.value(2).toInt();
        day.wrong = query.value(3).toInt();
    }
    return result;
}

QList<DayShare> HistoryProgress::firstAnswerShares(int days) const
{
    QList<DayShare> result;
    const QVariantList values = scoped({dayStartMs(days - 1)});
    QSqlQuery query(m_database);
    // The rows of the period are taken first by time, and only theirs get a local day.
    if (!run(query,
             QStringLiteral("WITH recent AS MATERIALIZED (SELECT r.pair, r.direction, r.at_ms, "
                            "r.id, r.grade, %1 AS day FROM answers r WHERE r.at_ms >= ? AND %2) "
                            "SELECT day, avg(grade > 1), count(*) FROM (SELECT day, grade, "
                            "row_number() OVER (PARTITION BY pair, direction, day ORDER BY "
                            "at_ms, id) AS n FROM recent) WHERE n = 1 "
                            "GROUP BY day ORDER BY day")
                 .arg(LocalDay, reviewScope()),
             values))
        return result;
    while (query.next())
        result.append({QDate::fromString(query.value(0).toString(), Qt::ISODate),
                       query.value(1).toDouble(), query.value(2).toInt()});
    return result;
}

QList<int> HistoryProgress::dueForecast(int days) const
{
    QList<int> result(days, 0);
    // The values in the order of their places: the due time's, the scope's, the horizon's.
    QVariantList values = scoped({m_intervalPerStability, double(Fsrs::MaximumIntervalDays)});
    values.append(dayStartMs(-days));
    QSqlQuery query(m_database);
    // Due as the drill takes it (CardDueAt): when recall falls to the retention set now.
    if (!run(query,
             QStringLiteral(
                 "SELECT date(due / 1000, 'unixepoch', 'localtime') AS day, count(*) "
                 "FROM (SELECT c.last_review_ms + CAST(min(c.stability * ?, ?) * %1 "
                 "AS INTEGER) AS due FROM card_states c WHERE %2) WHERE due < ? GROUP BY day")
                 .arg(MsPerDay)
                 .arg(cardScope()),
             values))
        return result;
    while (query.next()) {
        const qint64 index
            = m_today.daysTo(QDate::fromString(query.value(0).toString(), Qt::ISODate));
        result[int(std::clamp<qint64>(index, 0, days - 1))] += query.value(1).toInt();
    }
    return result;
}

MemoryBuckets HistoryProgress::memoryBuckets(int dictionaryCards) const
{
    MemoryBuckets buckets;
    const QVariantList values = scoped({});
    QSqlQuery query(m_database);
    if (!run(query,
             QStringLiteral("SELECT count(*), total(c.stability < 1), "
                            "total(c.stability >= 1 AND c.stability < 7), "
                            "total(c.stability >= 7 AND c.stability < 28), "
                            "total(c.stability >= 28) FROM card_states c WHERE %1")
                 .arg(cardScope()),
             values)
        || !query.next())
        return buckets;
    buckets.fresh = std::max(0, dictionaryCards - query.value(0).toInt());
    buckets.underDay = query.value(1).toInt();
    buckets.week = query.value(2).toInt();
    buckets.month = query.value(3).toInt();
    buckets.longer = query.value(4).toInt();
    return buckets;
}

QList<HardCard> HistoryProgress::hardestCards(HardOrder order, int limit) const
{
    QList<HardCard> cards;
    const QVariantList values = scoped({});
    // By the wrong answers the database sorts; recall is reckoned here, over the cards of the
    // scope. Of two cards alike the one of the weaker memory comes first. Every wrong answer
    // counts, the first one too: a word the learner never got right is among the hardest.
    const QString orderAndLimit = order == HardOrder::ByWrongAnswers
                                      ? QStringLiteral(" ORDER BY wrong DESC, c.stability, "
                                                       "c.reviews DESC LIMIT %1")
                                            .arg(limit)
                                      : QStringLiteral(" ORDER BY c.stability");
    QSqlQuery query(m_database);
    if (!run(query,
             QStringLiteral("SELECT p.side1, p.side2, c.direction, (SELECT count(*) FROM answers "
                            "w WHERE w.pair = c.pair AND w.direction = c.direction AND w.grade = "
                            "%1) AS wrong, c.reviews, c.stability, c.last_review_ms FROM "
                            "card_states c JOIN pairs p ON p.id = c.pair WHERE %2")
                     .arg(int(Grade::Again))
                     .arg(cardScope())
                 + orderAndLimit,
             values))
        return cards;
    while (query.next()) {
        Card card;
        card.memory.stability = query.value(5).toDouble();
        card.lastReviewMs = query.value(6).toLongLong();
        cards.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toInt(),
                      query.value(3).toInt(), query.value(4).toInt(),
                      CardRetrievability(m_weights, card, m_nowMs)});
    }
    if (order == HardOrder::ByRetrievability) {
        const auto weaker = [](const HardCard &a, const HardCard &b) {
            return a.retrievability < b.retrievability;
        };
        std::stable_sort(cards.begin(), cards.end(), weaker);
        cards.resize(std::min<qsizetype>(limit, cards.size()));
    }
    return cards;
}

ProgressFigures HistoryProgress::figures() const
{
    ProgressFigures figures;
    const QVariantList values
        = scoped({LongestAnswerMs, dayStartMs(0), dayStartMs(0), LongestAnswerMs,
                  m_computer.isEmpty() ? QStringLiteral("") : m_computer});
    QSqlQuery query(m_database);
    if (run(query,
            QStringLiteral("SELECT count(*), total(min(r.duration_ms, ?)), "
                           "total(r.at_ms >= ?), total(CASE WHEN r.at_ms >= ? THEN "
                           "min(r.duration_ms, ?) ELSE 0 END), "
                           "count(DISTINCT coalesce(r.computer, ?)) FROM answers r WHERE %1")
                .arg(reviewScope()),
            values)
        && query.next()) {
        figures.answersInAll = query.value(0).toLongLong();
        figures.msInAll = qint64(query.value(1).toDouble());
        figures.answersToday = query.value(2).toInt();
        figures.msToday = qint64(query.value(3).toDouble());
        figures.computers = query.value(4).toInt();
    }
    // The streak runs back from today, or from yesterday while today has no answer yet: one
    // indexed look a day, instead of reckoning the local day of every answer ever given.
    QSqlQuery day(m_database);
    day.prepare(QStringLiteral("SELECT EXISTS (SELECT 1 FROM answers r WHERE r.at_ms >= ? AND "
                               "r.at_ms < ? AND %1)")
                    .arg(reviewScope()));
    const auto practised = [&](int daysBack) {
        for (const QVariant &value : scoped({dayStartMs(daysBack), dayStartMs(daysBack - 1)}))
            day.addBindValue(value);
        return day.exec() && day.next() && day.value(0).toBool();
    };
    for (int back = practised(0) ? 0 : 1; practised(back); ++back)
        ++figures.streakDays;
    return figures;
}

QByteArray HistoryProgress::answersCsv() const
{
    QStringList lines{Texts::tr("čas,slovník,strana 1,komentář 1,strana 2,komentář 2,"
                                "nabídnutá strana,známka,napsáno,doba (ms)",
                                "the columns of the answers' CSV file, separated by commas")};
    const QVariantList values = scoped({});
    QSqlQuery query(m_database);
    if (run(query,
            QStringLiteral("SELECT r.at_ms, r.dictionary, r.side1, r.comment1, r.side2, "
                           "r.comment2, r.direction, r.grade, r.typed, r.duration_ms "
                           "FROM reviews r WHERE %1 ORDER BY r.at_ms, r.id")
                .arg(reviewScope()),
            values)) {
        const QString grades[] = {QString(), Texts::tr("znovu"), Texts::tr("s obtížemi"),
                                  Texts::tr("dobře"), Texts::tr("snadno")};
        while (query.next()) {
            const int grade = std::clamp(query.value(7).toInt(), 0, 4);
            QStringList fields{
                QDateTime::fromMSecsSinceEpoch(query.value(0).toLongLong()).toString(Qt::ISODate)};
            fields.append(csvField(query.value(1).toString()));
            // The sides and comments as the user reads them, without the blanks that part them
            // in the file.
            for (int column = 2; column <= 5; ++column)
                fields.append(csvField(query.value(column).toString().trimmed()));
            fields.append(query.value(6).toString());
            fields.append(grades[grade]);
            fields.append(csvField(query.value(8).toString()));
            fields.append(query.value(9).toString());
            lines.append(fields.join(QLatin1Char(',')));
        }
    }
    if (!m_failure.isEmpty())
        throw FileError(Texts::tr("Historii odpovědí nelze přečíst (%1); soubor CSV se "
                                  "neuložil.")
                            .arg(m_failure));
    // With its byte order mark, so that a spreadsheet reads the accents as UTF-8.
    return "\xEF\xBB\xBF" + (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}
