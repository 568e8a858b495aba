#include "answer_import.h"

#include "history_rows.h"
#include "sqlite_statement.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <tuple>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(AnswerImport)
};

bool failed(const QSqlQuery &query, QString *reason)
{
    *reason = SqlFailureReason(query.lastError());
    return false;
}

const QString timeOrder = QStringLiteral("at_ms, computer, seq, id");

// A card as its answers, in time order, leave it.
Card ReplayedCard(const QList<GradedAnswer> &answers, const MemoryModel &model)
{
    std::optional<Card> card;
    for (const GradedAnswer &answer : answers)
        card = ReviewCard(card, answer.grade, answer.atMs, model);
    return *card;
}

} // namespace

bool InWriteTransaction(QSqlDatabase db, QString *reason, const std::function<bool()> &body,
                        QSqlError *error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        if (error)
            *error = query.lastError();
        return failed(query, reason);
    }
    if (body() && query.exec(QStringLiteral("COMMIT")))
        return true;
    if (error)
        *error = query.lastError();
    if (reason->isEmpty())
        *reason = SqlFailureReason(query.lastError());
    query.exec(QStringLiteral("ROLLBACK"));
    return false;
}

bool UpdateCards(QSqlDatabase db, PairNumbers &pairs, QHash<CardKey, QList<FreshAnswer>> &touched,
                 const MemoryModel &model, QString *reason)
{
    const std::optional<QHash<CardKey, Card>> stored = ReadCards(db, touched.keys(), reason);
    if (!stored)
        return false;
    QSet<CardKey> replayed;
    CardStore store(db, pairs);
    for (auto entry = touched.begin(); entry != touched.end(); ++entry) {
        QList<FreshAnswer> &fresh = entry.value();
        std::sort(fresh.begin(), fresh.end(), [](const FreshAnswer &x, const FreshAnswer &y) {
            return std::tie(x.atMs, x.computer, x.seq) < std::tie(y.atMs, y.computer, y.seq);
        });
        const auto found = stored->constFind(entry.key());
        std::optional<Card> card = found == stored->cend() ? std::nullopt : std::optional(*found);
        if (card && card->lastReviewMs >= fresh.first().atMs) {
            replayed.insert(entry.key());
            continue;
        }
        for (const FreshAnswer &answer : fresh)
            card = ReviewCard(card, answer.grade, answer.atMs, model);
        if (!store.store(entry.key(), *card, reason))
            return false;
    }
    return ReplayCards(db, pairs, replayed, model, reason);
}

// Many answers at once: the indexes by card and by time are dropped before them and made anew
// after them, which is much quicker than keeping them in order answer by answer.
bool DropAnswerIndexes(QSqlQuery &query, QString *reason)
{
    for (const SqlIndex &index : AnswerIndexes) {
        if (!query.exec(QStringLiteral("DROP INDEX ") + index.name))
            return failed(query, reason);
    }
    return true;
}

bool MakeAnswerIndexes(QSqlQuery &query, QString *reason)
{
    for (const SqlIndex &index : AnswerIndexes) {
        if (!query.exec(index.statement))
            return failed(query, reason);
    }
    return true;
}

// Whether `arriving` answers are taken with the indexes made anew after them (BulkAnswers).
std::optional<bool> TakenInBulk(QSqlQuery &query, qsizetype arriving, QString *reason)
{
    if (arriving < BulkAnswers)
        return false;
    // The highest number an answer got is near enough to how many there are.
    if (!query.exec(QStringLiteral("SELECT coalesce(max(id), 0) FROM answers")) || !query.next()) {
        failed(query, reason);
        return std::nullopt;
    }
    const qint64 held = query.value(0).toLongLong();
    query.finish();
    return arriving * BulkShareOfHeld >= held;
}

std::optional<int> ImportAnswers(QSqlDatabase db, const QList<AnswerRecord> &answers,
                                 const MemoryModel &model, QString *reason)
{
    if (answers.isEmpty())
        return 0;
    QHash<CardKey, QList<FreshAnswer>> touched;
    int added = 0;
    const bool done = InWriteTransaction(db, reason, [&] {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        // An answer on the same card at the same moment is the same answer, taken before.
        const auto [earliest, latest] = std::minmax_element(
            answers.cbegin(), answers.cend(),
            [](const AnswerRecord &x, const AnswerRecord &y) { return x.atMs < y.atMs; });
        QSet<std::pair<CardKey, qint64>> known;
        query.prepare(QStringLiteral("SELECT side1, comment1, side2, comment2, direction, at_ms"
                                     " FROM reviews WHERE at_ms BETWEEN ? AND ?"));
        query.addBindValue(earliest->atMs);
        query.addBindValue(latest->atMs);
        if (!query.exec())
            return failed(query, reason);
        while (query.next())
            known.insert({CardKeyAt(query, 0), query.value(5).toLongLong()});
        query.finish();
        const std::optional<bool> bulk = TakenInBulk(query, answers.size(), reason);
        if (!bulk || (*bulk && !DropAnswerIndexes(query, reason)))
            return false;
        PairNumbers pairs(db);
        AnswerInsert insert(db, pairs);
        for (const AnswerRecord &answer : answers) {
            if (known.contains({answer.card, answer.atMs}))
                continue;
            known.insert({answer.card, answer.atMs});
            // Of a session of their own, settled: answers given here, which a version of their
            // dictionary that holds every answer given here has counted.
            if (!insert.insert(answer, answer.dictionary, QStringLiteral("import"), true, QString(),
                               0, reason))
                return false;
            ++added;
            touched[answer.card].append({answer.atMs, QString(), 0, answer.grade});
        }
        if (*bulk && !MakeAnswerIndexes(query, reason))
            return false;
        return UpdateCards(db, pairs, touched, model, reason);
    });
    return done ? std::optional(added) : std::nullopt;
}

QSqlDatabase OpenHistoryConnection(const QString &connection, const QString &path, QString *reason)
{
    QSqlDatabase db = QSqlDatabase::contains(connection)
                          ? QSqlDatabase::database(connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    if (db.isOpen())
        return db;
    db.setDatabaseName(path);
    // Off the drill's thread a copy that holds the lock may be waited for a while.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    QString why;
    if (db.open()) {
        QSqlQuery query(db);
        query.exec(QStringLiteral("PRAGMA cache_size=-16000"));
        // As the drill's connection: a commit waits for no disk flush, the log is flushed at
        // its checkpoints.
        query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        // The first read is where a file that cannot be used fails (its log cannot be
        // written, say): that is no schema of another version.
        if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
            why = SqlFailureReason(query.lastError());
        else if (query.value(0).toInt() != ReviewHistory::SchemaVersion)
            why = Texts::tr("zapsala ji jiná verze programu Merko");
        query.finish();
        if (!why.isEmpty())
            db.close();
    } else {
        why = SqlFailureReason(db.lastError());
    }
    if (reason && !why.isEmpty())
        *reason = why;
    return db;
}

bool ReadAnswersByCard(QSqlDatabase db, const AnswersOfCard &each, QString *reason,
                       const QSet<NumberedCard> *only)
{
    QList<GradedAnswer> answers;
    // Reads rows (pair, direction, grade, time) in the order of their cards.
    const auto read = [&](SqliteStatement &rows) {
        std::optional<NumberedCard> current;
        bool taken = false; // the current card is one asked for
        const auto close = [&] {
            if (taken && !answers.isEmpty())
                each(*current, answers);
            answers.clear();
        };
        while (rows.nextRow()) {
            const NumberedCard card{rows.integer(0), int(rows.integer(1))};
            if (!current || card != *current) {
                close();
                current = card;
                taken = !only || only->contains(card);
            }
            const qint64 grade = rows.integer(2);
            // A grade this program never writes (a damaged or foreign row) is not an answer.
            if (taken && grade >= int(Grade::Again) && grade <= int(Grade::Easy))
                answers.append({Grade(grade), rows.integer(3)});
        }
        close();
        rows.reset();
        *reason = rows.error();
        return reason->isEmpty();
    };
    const QString columns = QStringLiteral("SELECT pair, direction, grade, at_ms FROM answers ");
    if (only && only->size() <= CardsReadOneByOne) {
        SqliteStatement rows(
            db, columns + QStringLiteral("WHERE pair = ? AND direction = ? ORDER BY ") + timeOrder);
        for (const NumberedCard &card : *only) {
            rows.bind(1, card.first);
            rows.bind(2, qint64(card.second));
            if (!rows.isValid() || !read(rows)) {
                *reason = rows.error();
                return false;
            }
        }
        return true;
    }
    SqliteStatement rows(db, columns + QStringLiteral("ORDER BY pair, direction, ") + timeOrder);
    if (!rows.isValid()) {
        *reason = rows.error();
        return false;
    }
    return read(rows);
}

bool ReplayAllCards(QSqlDatabase db, const MemoryModel &model, QString *reason)
{
    PairNumbers pairs(db);
    CardStore store(db, pairs);
    bool stored = true;
    QString storing;
    const bool read = ReadAnswersByCard(
        db,
        [&](const NumberedCard &key, const QList<GradedAnswer> &answers) {
            if (stored)
                stored = store.store(key.first, key.second, ReplayedCard(answers, model), &storing);
        },
        reason);
    if (!stored)
        *reason = storing;
    return read && stored;
}

bool ReplayCards(QSqlDatabase db, PairNumbers &pairs, const QSet<CardKey> &cards,
                 const MemoryModel &model, QString *reason)
{
    // The cards by their pairs' numbers.
    QHash<NumberedCard, CardKey> numbered;
    for (const CardKey &key : cards) {
        const std::optional<qint64> pair = pairs.numberOf(key.pair, reason);
        if (!pair)
            return false;
        numbered.insert({*pair, key.offeredSide}, key);
    }
    const QSet<NumberedCard> only(numbered.keyBegin(), numbered.keyEnd());
    QList<std::pair<CardKey, Card>> replayed;
    if (!ReadAnswersByCard(
            db,
            [&](const NumberedCard &key, const QList<GradedAnswer> &answers) {
                replayed.append({numbered.value(key), ReplayedCard(answers, model)});
            },
            reason, &only))
        return false;
    CardStore store(db, pairs);
    for (const auto &[key, replayedCard] : replayed) {
        if (!store.store(key, replayedCard, reason))
            return false;
    }
    return true;
}
