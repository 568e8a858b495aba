#pragma once

#include "review_history.h"

#include <QSqlQuery>
#include <QVariant>

class SqliteStatement;

// How the history's tables hold cards and texts, for every statement that reads or writes them.

// A text as SQL stores it: an empty one is '', never NULL.
QVariant SqlText(const QString &text);
// Binds the five columns that name a card: both sides with their comments, and the direction.
void BindCardKey(QSqlQuery &query, const CardKey &key);
// The same on SQLite's own interface, from the parameter `first` on.
void BindCardKey(SqliteStatement &statement, int first, const CardKey &key);
// The card named by the five columns from `first` on.
CardKey CardKeyAt(const QSqlQuery &query, int first);
// The card whose memory state is in the seven columns from `first` on, in the order of
// CardColumns.
Card CardAt(const QSqlQuery &query, int first);
Card CardAt(const SqliteStatement &statement, int first);
inline const QString CardColumns = QStringLiteral(
    "stability, difficulty, last_review_ms, due_ms, introduced_ms, reviews, lapses");
// The statement that reads one card's state (CardColumns) by the card's key (BindCardKey).
extern const QString ReadCardStatement;
// The statement that stores a card (BindCardKey, then BindCardState).
extern const QString StoreCardStatement;
// Binds a card's state (CardColumns) from the parameter `first` on.
void BindCardState(SqliteStatement &statement, int first, const Card &card);
// Prepares the statement that reads one card's state and binds its key.
void PrepareReadCard(QSqlQuery &query, const CardKey &key);
// Prepares the statement that stores a card's state and binds it; the caller runs it.
void PrepareStoreCard(QSqlQuery &query, const CardKey &key, const Card &card);

// The indexes of the answers by card and by time: what the progress window, the schedule and
// the computing of cards ask by. A read of many answers makes them anew after the answers.
struct SqlIndex
{
    QString name;
    QString statement;
};
inline const SqlIndex ReviewIndexes[] = {
    {QStringLiteral("reviews_time"), QStringLiteral("CREATE INDEX reviews_time ON reviews(at_ms)")},
    {QStringLiteral("reviews_dictionary_time"),
     QStringLiteral("CREATE INDEX reviews_dictionary_time ON reviews(dictionary, at_ms)")},
    {QStringLiteral("reviews_card"),
     QStringLiteral("CREATE INDEX reviews_card ON reviews(side1, comment1, side2, comment2,"
                    " direction, dictionary)")},
    {QStringLiteral("reviews_card_time"),
     QStringLiteral("CREATE INDEX reviews_card_time ON reviews(side1, comment1, side2, comment2,"
                    " direction, at_ms, computer, seq, id, grade)")},
};
// A read of at least this many answers makes the indexes anew.
inline constexpr qsizetype BulkAnswers = 5000;
