#include "history_rows.h"

#include "review_history.h"

#include <QSet>
#include <QSqlError>

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

// Reads one card's state (CardColumns) by the card's key (BindCardKey).
const QString ReadCardStatement = QStringLiteral("SELECT ") + CardColumns
                                  + QStringLiteral(" FROM cards WHERE side1 = ? AND comment1 = ?"
                                                   " AND side2 = ? AND comment2 = ? AND"
                                                   " direction = ?");

} // namespace

std::optional<QHash<CardKey, Card>> ReadCards(QSqlDatabase db, const QList<CardKey> &keys,
                                              QString *reason)
{
    QHash<CardKey, Card> cards;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (keys.size() <= CardsReadOneByOne) {
        SqliteStatement read(db, ReadCardStatement);
        for (const CardKey &key : keys) {
            if (read.isValid()) {
                BindCardKey(read, 1, key);
                if (read.nextRow())
                    cards.insert(key, CardAt(read, 0));
                read.reset();
            }
            if (!read.error().isEmpty()) {
                *reason = read.error();
                return std::nullopt;
            }
        }
        return cards;
    }
    const QSet<CardKey> wanted(keys.begin(), keys.end());
    if (!query.exec(QStringLiteral("SELECT side1, comment1, side2, comment2, direction, ")
                    + CardColumns + QStringLiteral(" FROM cards"))) {
        *reason = SqlFailureReason(query.lastError());
        return std::nullopt;
    }
    while (query.next()) {
        const CardKey key = CardKeyAt(query, 0);
        if (wanted.contains(key))
            cards.insert(key, CardAt(query, 5));
    }
    if (query.lastError().isValid()) {
        *reason = SqlFailureReason(query.lastError());
        return std::nullopt;
    }
    return cards;
}

namespace {

void bindPair(SqliteStatement &statement, const PairText &pair)
{
    statement.bind(1, pair.side1);
    statement.bind(2, pair.comment1);
    statement.bind(3, pair.side2);
    statement.bind(4, pair.comment2);
}

} // namespace

PairNumbers::PairNumbers(QSqlDatabase db)
    : m_find(db, QStringLiteral("SELECT id FROM pairs WHERE side1 = ? AND comment1 = ? AND"
                                " side2 = ? AND comment2 = ?"))
    , m_add(db, QStringLiteral("INSERT INTO pairs (side1, comment1, side2, comment2)"
                               " VALUES (?, ?, ?, ?) RETURNING id"))
{}

std::optional<qint64> PairNumbers::numberOf(const PairText &pair, QString *reason)
{
    const auto known = m_known.constFind(pair);
    if (known != m_known.cend())
        return *known;
    for (SqliteStatement *statement : {&m_find, &m_add}) {
        if (!statement->isValid()) {
            *reason = statement->error();
            return std::nullopt;
        }
        bindPair(*statement, pair);
        const bool found = statement->nextRow();
        const qint64 number = found ? statement->integer(0) : 0;
        statement->reset();
        if (found) {
            m_known.insert(pair, number);
            return number;
        }
        if (!statement->error().isEmpty()) {
            *reason = statement->error();
            return std::nullopt;
        }
    }
    *reason = QStringLiteral("the pair was not stored");
    return std::nullopt;
}

CardStore::CardStore(QSqlDatabase db, PairNumbers &pairs)
    : m_pairs(pairs)
    , m_statement(db, QStringLiteral("INSERT OR REPLACE INTO card_states (pair, direction, ")
                          + CardColumns + QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"))
{}

bool CardStore::store(const CardKey &key, const Card &card, QString *reason)
{
    const std::optional<qint64> pair = m_pairs.numberOf(key.pair, reason);
    return pair && store(*pair, key.offeredSide, card, reason);
}

bool CardStore::store(qint64 pair, int direction, const Card &card, QString *reason)
{
    if (m_statement.isValid()) {
        m_statement.bind(1, pair);
        m_statement.bind(2, qint64(direction));
        BindCardState(m_statement, 3, card);
        if (m_statement.run())
            return true;
    }
    *reason = m_statement.error();
    return false;
}

AnswerInsert::AnswerInsert(QSqlDatabase db, PairNumbers &pairs)
    : m_pairs(pairs)
    , m_statement(db, QStringLiteral("INSERT INTO answers (at_ms, pair, direction, grade, typed,"
                                     " duration_ms, dictionary, session, settled, computer, seq)"
                                     " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))
{}

const QByteArray &AnswerInsert::RepeatedText::of(const QString &next)
{
    if (next != text) {
        text = next;
        utf8 = next.toUtf8();
    }
    return utf8;
}

bool AnswerInsert::insert(const AnswerRecord &answer, const QString &dictionary,
                          const QString &session, bool settled, const QString &computer, qint64 seq,
                          QString *reason)
{
    const std::optional<qint64> pair = m_pairs.numberOf(answer.card.pair, reason);
    if (!pair)
        return false;
    if (m_statement.isValid()) {
        m_statement.bind(1, answer.atMs);
        m_statement.bind(2, *pair);
        m_statement.bind(3, qint64(answer.card.offeredSide));
        m_statement.bind(4, qint64(answer.grade));
        m_statement.bind(5, answer.typed);
        m_statement.bind(6, answer.durationMs);
        m_statement.bindUtf8(7, m_dictionary.of(dictionary));
        m_statement.bindUtf8(8, m_session.of(session));
        m_statement.bind(9, qint64(settled ? 1 : 0));
        if (computer.isEmpty()) {
            m_statement.bindNull(10);
            m_statement.bindNull(11);
        } else {
            m_statement.bindUtf8(10, m_computer.of(computer));
            m_statement.bind(11, seq);
        }
        if (m_statement.run())
            return true;
    }
    *reason = m_statement.error();
    return false;
}

std::optional<SettingContext> ContextNow(QSqlDatabase db, QString *reason)
{
    SettingContext context;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT computer, last_seq FROM logs WHERE last_seq > 0"))) {
        *reason = SqlFailureReason(query.lastError());
        return std::nullopt;
    }
    while (query.next())
        context.others.insert(query.value(0).toString(),
                              NumberRanges::span(1, query.value(1).toLongLong()));
    if (!query.exec(QStringLiteral("SELECT coalesce(max(id), 0) FROM answers")) || !query.next()) {
        *reason = SqlFailureReason(query.lastError());
        return std::nullopt;
    }
    context.lastAnswerId = query.value(0).toLongLong();
    return context;
}

bool StoreOwnSettings(QSqlDatabase db, PairNumbers &pairs, const QList<CounterSetting> &settings,
                      const SettingContext &context, QString *reason)
{
    SqliteStatement insert(db, QStringLiteral("INSERT INTO counter_settings (at_ms, dictionary,"
                                              " pair, offers1, offers2, errors1, errors2,"
                                              " context, after_answer, entering)"
                                              " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    if (!insert.isValid()) {
        *reason = insert.error();
        return false;
    }
    const QByteArray others = EncodedRecordSet(context.others);
    for (const CounterSetting &setting : settings) {
        const std::optional<qint64> pair = pairs.numberOf(setting.pair, reason);
        if (!pair)
            return false;
        insert.bind(1, setting.atMs);
        insert.bind(2, setting.dictionary);
        insert.bind(3, *pair);
        for (int i = 0; i < 4; ++i)
            insert.bind(4 + i, qint64(setting.counters[std::size_t(i)]));
        insert.bindUtf8(8, others);
        insert.bind(9, context.lastAnswerId);
        insert.bind(10, qint64(setting.entering ? 1 : 0));
        if (!insert.run()) {
            *reason = insert.error();
            return false;
        }
    }
    return true;
}
