#include "history_rows.h"

#include "sqlite_statement.h"

QVariant SqlText(const QString &text)
{
    return text.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(text);
}

void BindCardKey(QSqlQuery &query, const CardKey &key)
{
    query.addBindValue(SqlText(key.pair.side1));
    query.addBindValue(SqlText(key.pair.comment1));
    query.addBindValue(SqlText(key.pair.side2));
    query.addBindValue(SqlText(key.pair.comment2));
    query.addBindValue(key.offeredSide);
}

void BindCardKey(SqliteStatement &statement, int first, const CardKey &key)
{
    statement.bind(first, key.pair.side1);
    statement.bind(first + 1, key.pair.comment1);
    statement.bind(first + 2, key.pair.side2);
    statement.bind(first + 3, key.pair.comment2);
    statement.bind(first + 4, qint64(key.offeredSide));
}

CardKey CardKeyAt(const QSqlQuery &query, int first)
{
    return {{query.value(first).toString(), query.value(first + 1).toString(),
             query.value(first + 2).toString(), query.value(first + 3).toString()},
            query.value(first + 4).toInt()};
}

Card CardAt(const QSqlQuery &query, int first)
{
    return Card{{query.value(first).toDouble(), query.value(first + 1).toDouble()},
                query.value(first + 2).toLongLong(),
                query.value(first + 3).toLongLong(),
                query.value(first + 4).toLongLong(),
                query.value(first + 5).toInt(),
                query.value(first + 6).toInt()};
}

Card CardAt(const SqliteStatement &statement, int first)
{
    return Card{{statement.real(first), statement.real(first + 1)},
                statement.integer(first + 2),
                statement.integer(first + 3),
                statement.integer(first + 4),
                int(statement.integer(first + 5)),
                int(statement.integer(first + 6))};
}

const QString ReadCardStatement = QStringLiteral("SELECT ") + CardColumns
                                  + QStringLiteral(" FROM cards WHERE side1 = ? AND comment1 = ?"
                                                   " AND side2 = ? AND comment2 = ? AND"
                                                   " direction = ?");

const QString StoreCardStatement
    = QStringLiteral("INSERT OR REPLACE INTO cards (side1, comment1, side2, comment2, direction, ")
      + CardColumns + QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

void BindCardState(SqliteStatement &statement, int first, const Card &card)
{
    statement.bind(first, card.memory.stability);
    statement.bind(first + 1, card.memory.difficulty);
    statement.bind(first + 2, card.lastReviewMs);
    statement.bind(first + 3, card.dueMs);
    statement.bind(first + 4, card.introducedMs);
    statement.bind(first + 5, qint64(card.reviews));
    statement.bind(first + 6, qint64(card.lapses));
}

namespace {

// The card's state bound through Qt SQL, for a single store.
void bindCardState(QSqlQuery &query, const Card &card)
{
    for (const QVariant &value :
         {QVariant(card.memory.stability), QVariant(card.memory.difficulty),
          QVariant(card.lastReviewMs), QVariant(card.dueMs), QVariant(card.introducedMs),
          QVariant(card.reviews), QVariant(card.lapses)})
        query.addBindValue(value);
}

} // namespace

void PrepareStoreCard(QSqlQuery &query, const CardKey &key, const Card &card)
{
    query.prepare(StoreCardStatement);
    BindCardKey(query, key);
    bindCardState(query, card);
}

void PrepareReadCard(QSqlQuery &query, const CardKey &key)
{
    query.prepare(ReadCardStatement);
    BindCardKey(query, key);
}
