#include "log_exchange.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace {

// Above this many cards one ordered pass over all answers is cheaper than a query a card.
constexpr qsizetype cardsQueriedOneByOne = 64;

QVariant text(const QString &value)
{
    return value.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(value);
}

bool failed(const QSqlQuery &query, QString *reason)
{
    *reason = query.lastError().databaseText().isEmpty() ? query.lastError().driverText()
                                                         : query.lastError().databaseText();
    return false;
}

void bindKey(QSqlQuery &query, const CardKey &key)
{
    for (const QString *value :
         {&key.pair.side1, &key.pair.comment1, &key.pair.side2, &key.pair.comment2})
        query.addBindValue(text(*value));
    query.addBindValue(key.offeredSide);
}

bool storeCard(QSqlDatabase db, const CardKey &key, const Card &card, QString *reason)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO cards (side1, comment1, side2, comment2,"
                                 " direction, stability, difficulty, last_review_ms, due_ms,"
                                 " introduced_ms, reviews, lapses)"
                                 " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    bindKey(query, key);
    for (const QVariant &value :
         {QVariant(card.memory.stability), QVariant(card.memory.difficulty),
          QVariant(card.lastReviewMs), QVariant(card.dueMs), QVariant(card.introducedMs),
          QVariant(card.reviews), QVariant(card.lapses)})
        query.addBindValue(value);
    return query.exec() || failed(query, reason);
}

// Runs `body` in a transaction of its own, rolled back when it fails.
template<typename Body>
bool inTransaction(QSqlDatabase db, QString *reason, Body body)
{
    if (!db.transaction()) {
        *reason = db.lastError().text();
        return false;
    }
    if (body() && db.commit())
        return true;
    if (reason->isEmpty())
        *reason = db.lastError().text();
    db.rollback();
    return false;
}

const QString timeOrder = QStringLiteral("at_ms, computer, seq, id");

} // namespace

std::optional<LogProgress> ReadLogProgress(QSqlDatabase db, const QString &computer,
                                           QString *reason)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT offset, last_seq FROM logs WHERE computer = ?"));
    query.addBindValue(computer);
    if (!query.exec()) {
        failed(query, reason);
        return std::nullopt;
    }
    if (!query.next())
        return LogProgress{};
    return LogProgress{query.value(0).toLongLong(), query.value(1).toLongLong()};
}

bool ReplayCards(QSqlDatabase db, const QSet<CardKey> &cards, double desiredRetention,
                 QString *reason)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (cards.size() <= cardsQueriedOneByOne) {
        for (const CardKey &key : cards) {
            query.prepare(QStringLiteral("SELECT grade, at_ms FROM reviews WHERE side1 = ? AND"
                                         " comment1 = ? AND side2 = ? AND comment2 = ? AND"
                                         " direction = ? ORDER BY ")
                          + timeOrder);
            bindKey(query, key);
            if (!query.exec())
                return failed(query, reason);
            std::optional<Card> card;
            while (query.next())
                card = ReviewCard(card, Grade(query.value(0).toInt()), query.value(1).toLongLong(),
                                  desiredRetention);
            query.finish();
            if (card && !storeCard(db, key, *card, reason))
                return false;
        }
        return true;
    }
    if (!query.exec(QStringLiteral("SELECT side1, comment1, side2, comment2, direction, grade,"
                                   " at_ms FROM reviews ORDER BY side1, comment1, side2,"
                                   " comment2, direction, ")
                    + timeOrder))
        return failed(query, reason);
    QList<std::pair<CardKey, Card>> replayed;
    std::optional<CardKey> current;
    std::optional<Card> card;
    const auto close = [&] {
        if (current && card)
            replayed.append({*current, *card});
    };
    while (query.next()) {
        const CardKey key{{query.value(0).toString(), query.value(1).toString(),
                           query.value(2).toString(), query.value(3).toString()},
                          query.value(4).toInt()};
        if (!current || !(key == *current)) {
            close();
            card.reset();
            current = cards.contains(key) ? std::optional(key) : std::nullopt;
            if (!current)
                continue;
        } else if (!current) {
            continue;
        }
        card = ReviewCard(card, Grade(query.value(5).toInt()), query.value(6).toLongLong(),
                          desiredRetention);
    }
    close();
    query.finish();
    for (const auto &[key, replayedCard] : replayed) {
        if (!storeCard(db, key, replayedCard, reason))
            return false;
    }
    return true;
}

std::optional<int>
ImportLoggedAnswers(QSqlDatabase db, const QString &computer, const AnswerLogPart &part,
                    const std::function<QString(const QString &)> &localDictionary,
                    double desiredRetention, QString *reason)
{
    int added = 0;
    const bool done = inTransaction(db, reason, [&] {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("INSERT OR IGNORE INTO reviews (at_ms, side1, comment1,"
                                     " side2, comment2, direction, grade, typed, duration_ms,"
                                     " dictionary, session, settled, computer, seq)"
                                     " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '', 1, ?, ?)"));
        QSet<CardKey> touched;
        for (const LoggedAnswer &logged : part.answers) {
            const AnswerRecord &answer = logged.answer;
            query.addBindValue(answer.atMs);
            bindKey(query, answer.card);
            query.addBindValue(int(answer.grade));
            query.addBindValue(text(answer.typed));
            query.addBindValue(answer.durationMs);
            query.addBindValue(text(localDictionary(answer.dictionary)));
            query.addBindValue(computer);
            query.addBindValue(logged.seq);
            if (!query.exec())
                return failed(query, reason);
            if (query.numRowsAffected() == 1) {
                ++added;
                touched.insert(answer.card);
            }
        }
        query.prepare(QStringLiteral("INSERT OR REPLACE INTO logs (computer, offset, last_seq)"
                                     " VALUES (?, ?, ?)"));
        query.addBindValue(computer);
        query.addBindValue(part.endOffset);
        query.addBindValue(part.lastSeq);
        if (!query.exec())
            return failed(query, reason);
        return ReplayCards(db, touched, desiredRetention, reason);
    });
    return done ? std::optional(added) : std::nullopt;
}

std::optional<QList<LoggedAnswer>>
AnswersForOwnLog(QSqlDatabase db, const QString &computer, qint64 lastInLog,
                 const std::function<QString(const QString &)> &loggedDictionary, QString *reason)
{
    const bool numbered = inTransaction(db, reason, [&] {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("SELECT max(seq) FROM reviews WHERE computer = ?"));
        query.addBindValue(computer);
        if (!query.exec() || !query.next())
            return failed(query, reason);
        qint64 next = std::max(query.value(0).toLongLong(), lastInLog) + 1;
        query.finish();
        QList<qint64> unnumbered;
        if (!query.exec(QStringLiteral("SELECT id FROM reviews WHERE seq IS NULL ORDER BY id")))
            return failed(query, reason);
        while (query.next())
            unnumbered.append(query.value(0).toLongLong());
        query.finish();
        query.prepare(QStringLiteral("UPDATE reviews SET computer = ?, seq = ? WHERE id = ?"));
        for (const qint64 id : unnumbered) {
            query.addBindValue(computer);
            query.addBindValue(next++);
            query.addBindValue(id);
            if (!query.exec())
                return failed(query, reason);
        }
        return true;
    });
    if (!numbered)
        return std::nullopt;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT seq, at_ms, side1, comment1, side2, comment2, direction,"
                                 " grade, typed, duration_ms, dictionary FROM reviews"
                                 " WHERE computer = ? AND seq > ? ORDER BY seq"));
    query.addBindValue(computer);
    query.addBindValue(lastInLog);
    if (!query.exec()) {
        failed(query, reason);
        return std::nullopt;
    }
    QList<LoggedAnswer> answers;
    while (query.next()) {
        AnswerRecord answer;
        answer.atMs = query.value(1).toLongLong();
        answer.card = {{query.value(2).toString(), query.value(3).toString(),
                        query.value(4).toString(), query.value(5).toString()},
                       query.value(6).toInt()};
        answer.grade = Grade(query.value(7).toInt());
        answer.typed = query.value(8).toString();
        answer.durationMs = query.value(9).toLongLong();
        answer.dictionary = loggedDictionary(query.value(10).toString());
        answers.append({query.value(0).toLongLong(), answer});
    }
    return answers;
}
