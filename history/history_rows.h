#pragma once

#include "review_history.h"
#include "sqlite_statement.h"

#include <QHash>
#include <QSqlQuery>
#include <QVariant>

#include <optional>

// How the history's tables hold cards and texts, for every statement that reads or writes them.
//
// A pair's texts are stored once, in `pairs`, and numbered there; the answers (`answers`) and
// the cards' memory states (`card_states`) name a pair by its number. The views `reviews` and
// `cards` show the answers and the cards with their pairs' texts, for the questions that ask by
// them.

// A text as SQL stores it: an empty one is '', never NULL.
QVariant SqlText(const QString &text);
// Binds the five columns that name a card in the views: both sides with their comments, and
// the direction.
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
// Binds a card's state (CardColumns) from the parameter `first` on.
void BindCardState(SqliteStatement &statement, int first, const Card &card);
// Above this many cards one pass over all of them (or all their answers) is cheaper than a
// query a card.
constexpr qsizetype CardsReadOneByOne = 512;
// The one reader of stored cards: those among `keys` that the history holds, one by one for a
// few, in one pass for many. None, with the reason, when the history failed.
std::optional<QHash<CardKey, Card>> ReadCards(QSqlDatabase db, const QList<CardKey> &keys,
                                              QString *reason);

// The numbers of pairs, each made when its pair is first stored, and remembered: for the
// statements of one transaction (a number made in one that is rolled back is gone).
class PairNumbers
{
public:
    explicit PairNumbers(QSqlDatabase db);
    // The pair's number; none, with the reason, when it can neither be read nor stored.
    std::optional<qint64> numberOf(const PairText &pair, QString *reason);

private:
    SqliteStatement m_find;
    SqliteStatement m_add;
    QHash<PairText, qint64> m_known;
};

// What this computer knows now (SettingContext): how far it has read each log, and its last
// answer.
std::optional<SettingContext> ContextNow(QSqlDatabase db, QString *reason);
// Stores counters set here, not numbered yet: each is numbered after the answer
// `context.lastAnswerId` when this computer's records go to its log.
bool StoreOwnSettings(QSqlDatabase db, PairNumbers &pairs, const QList<CounterSetting> &settings,
                      const SettingContext &context, QString *reason);

// Stores cards' states, with their pairs numbered.
class CardStore
{
public:
    CardStore(QSqlDatabase db, PairNumbers &pairs);
    bool store(const CardKey &key, const Card &card, QString *reason);
    // The same for a card named by its pair's number and its direction.
    bool store(qint64 pair, int direction, const Card &card, QString *reason);

private:
    PairNumbers &m_pairs;
    SqliteStatement m_statement;
};

// Adds answers, with their pairs numbered.
class AnswerInsert
{
public:
    AnswerInsert(QSqlDatabase db, PairNumbers &pairs);
    // `computer` empty: this computer's answer, numbered when it goes to its log. `settled`:
    // the dictionary's counters hold it (its computer counted it).
    bool insert(const AnswerRecord &answer, const QString &dictionary, const QString &session,
                bool settled, const QString &computer, qint64 seq, QString *reason);

private:
    // A text bound to every row alike, as UTF-8 made once.
    struct RepeatedText
    {
        QString text;
        QByteArray utf8;
        const QByteArray &of(const QString &next);
    };

    PairNumbers &m_pairs;
    SqliteStatement m_statement;
    RepeatedText m_dictionary;
    RepeatedText m_session;
    RepeatedText m_computer;
};

// The indexes of the answers by card and by time: what the progress window, the schedule and
// the computing of cards ask by. A read of many answers makes them anew after the answers.
struct SqlIndex
{
    QString name;
    QString statement;
};
inline const SqlIndex AnswerIndexes[] = {
    {QStringLiteral("answers_time"), QStringLiteral("CREATE INDEX answers_time ON answers(at_ms)")},
    {QStringLiteral("answers_dictionary_time"),
     QStringLiteral("CREATE INDEX answers_dictionary_time ON answers(dictionary, at_ms)")},
    {QStringLiteral("answers_card_time"),
     QStringLiteral("CREATE INDEX answers_card_time ON answers(pair, direction, at_ms, computer,"
                    " seq, id, grade)")},
    // A dictionary's answers by computer, then by pair and record: its shared counters are
    // computed from this index alone, each computer's answers in one run whose computer is not
    // read row by row, a pair's records in order.
    {QStringLiteral("answers_dictionary_computer"),
     QStringLiteral("CREATE INDEX answers_dictionary_computer ON answers(dictionary, computer,"
                    " pair, seq, direction, grade)")},
};
// A read of at least this many answers, and of at least a third as many as the history holds,
// makes the indexes anew; fewer beside many are quicker put in order one by one (measured:
// 5000 answers into 100,000 took a third of the time with the indexes kept, 200,000 into
// 400,000 some 40 % less with them made anew).
inline constexpr qsizetype BulkAnswers = 5000;
inline constexpr qsizetype BulkShareOfHeld = 3;
