#pragma once

#include "review_history.h"

#include <QSqlQuery>
#include <QVariant>

// How the history's tables hold cards and texts, for every statement that reads or writes them.

// A text as SQL stores it: an empty one is '', never NULL.
QVariant SqlText(const QString &text);
// Binds the five columns that name a card: both sides with their comments, and the direction.
void BindCardKey(QSqlQuery &query, const CardKey &key);
// The card named by the five columns from `first` on.
CardKey CardKeyAt(const QSqlQuery &query, int first);
// The card whose memory state is in the seven columns from `first` on, in the order of
// CardColumns.
Card CardAt(const QSqlQuery &query, int first);
inline const QString CardColumns = QStringLiteral(
    "stability, difficulty, last_review_ms, due_ms, introduced_ms, reviews, lapses");
// Prepares the statement that reads one card's state (CardColumns) and binds its key.
void PrepareReadCard(QSqlQuery &query, const CardKey &key);

// Prepares the statement that stores a card's state and binds it; the caller runs it.
void PrepareStoreCard(QSqlQuery &query, const CardKey &key, const Card &card);
