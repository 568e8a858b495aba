#pragma once

#include "review_history.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <functional>
#include <optional>

class PairNumbers;
class QSqlQuery;

// Answers taken into the history in numbers (from the other computers' logs, from another
// program), with the cards they touch brought up to date, on a connection of its own. A card's
// memory state is a function of all its answers in time order, whoever gave them, so that two
// computers that hold the same answers hold the same cards.

// A connection of its own (named `connection`) to the history at `path`, for work off the
// drill's thread, which waits a while for another program's lock. It is open only when the
// history has this program's schema: the drill's history makes it. When it is not open,
// `reason` (if given) says why: SQLite's failure, or another version's schema.
QSqlDatabase OpenHistoryConnection(const QString &connection, const QString &path,
                                   QString *reason = nullptr);

// The one way the history's connections write: `body` runs in a transaction begun with BEGIN
// IMMEDIATE, which takes the write lock at once, so that a transaction that reads before it
// writes never finds the database changed by another connection's commits meanwhile, and two
// copies never both hold a read that each must turn into a write. Rolled back when `body` or
// the commit fails (`reason` says why; `error`, when given, holds the error of BEGIN or COMMIT
// when one of them failed, so that a lock can be told from other failures).
bool InWriteTransaction(QSqlDatabase db, QString *reason, const std::function<bool()> &body,
                        QSqlError *error = nullptr);

// An answer new to the history, in the order of the cards' answers.
struct FreshAnswer
{
    qint64 atMs;
    QString computer;
    qint64 seq;
    Grade grade;
};
// The cards that got new answers: a card whose new answers all come after its last one goes on
// from where it is; one that got an answer from before is computed again from all of them.
bool UpdateCards(QSqlDatabase db, PairNumbers &pairs, QHash<CardKey, QList<FreshAnswer>> &touched,
                 const MemoryModel &model, QString *reason);

// Many answers at once make the indexes of the answers anew after them (BulkAnswers): whether
// `arriving` answers do, and the dropping and making of the indexes.
std::optional<bool> TakenInBulk(QSqlQuery &query, qsizetype arriving, QString *reason);
bool DropAnswerIndexes(QSqlQuery &query, QString *reason);
bool MakeAnswerIndexes(QSqlQuery &query, QString *reason);

// Takes answers given here elsewhere than in a drill (brought from another program) as this
// computer's, settled (their dictionaries count them), each once: an answer on a card at a
// moment that the history holds already is left out. The cards they touch are brought up to
// date. Returns how many were new, or none on failure (nothing is taken).
std::optional<int> ImportAnswers(QSqlDatabase db, const QList<AnswerRecord> &answers,
                                 const MemoryModel &model, QString *reason);

// A card by its pair's number and its direction.
using NumberedCard = std::pair<qint64, int>;
struct GradedAnswer
{
    Grade grade;
    qint64 atMs;
};
// The answers of every card (or of the cards `only` names), card by card, each card's in time
// order (of one time: by computer and number, then as recorded): a few cards by the index, many
// in one pass. A row of a grade this program never writes is no answer. False, with the
// reason, on failure.
using AnswersOfCard
    = std::function<void(const NumberedCard &card, const QList<GradedAnswer> &answers)>;
bool ReadAnswersByCard(QSqlDatabase db, const AnswersOfCard &each, QString *reason,
                       const QSet<NumberedCard> *only = nullptr);
// Computes every card again from its answers with the model (whose weights changed), within
// the caller's transaction.
bool ReplayAllCards(QSqlDatabase db, const MemoryModel &model, QString *reason);

// Computes the cards again from all their answers, in time order (of one time: by computer and
// number, then as recorded), within the transaction whose pair numbers `pairs` keeps.
bool ReplayCards(QSqlDatabase db, PairNumbers &pairs, const QSet<CardKey> &cards,
                 const MemoryModel &model, QString *reason);
