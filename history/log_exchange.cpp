#include "log_exchange.h"

#include "history_rows.h"
#include "sqlite_statement.h"

#include "core/paths.h"
#include "core/text_file.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <tuple>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(LogExchange)
};

// Above this many cards one ordered pass over all answers is cheaper than a query a card.
constexpr qsizetype cardsQueriedOneByOne = 512;

bool failed(const QSqlQuery &query, QString *reason)
{
    *reason = SqlFailureReason(query.lastError());
    return false;
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

// The stored cards among these: one by one for a few, in one pass for many.
std::optional<QHash<CardKey, Card>> storedCards(QSqlDatabase db, const QList<CardKey> &keys,
                                                QString *reason)
{
    QHash<CardKey, Card> cards;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (keys.size() <= cardsQueriedOneByOne) {
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
        failed(query, reason);
        return std::nullopt;
    }
    while (query.next()) {
        const CardKey key = CardKeyAt(query, 0);
        if (wanted.contains(key))
            cards.insert(key, CardAt(query, 5));
    }
    return cards;
}

// An answer new to the history, in the order of the cards' answers.
struct Fresh
{
    qint64 atMs;
    QString computer;
    qint64 seq;
    Grade grade;
};

// The cards that got new answers: a card whose new answers all come after its last one goes on
// from where it is; one that got an answer from before is computed again from all of them.
bool updateCards(QSqlDatabase db, PairNumbers &pairs, QHash<CardKey, QList<Fresh>> &touched,
                 double desiredRetention, QString *reason)
{
    const std::optional<QHash<CardKey, Card>> stored = storedCards(db, touched.keys(), reason);
    if (!stored)
        return false;
    QSet<CardKey> replayed;
    CardStore store(db, pairs);
    for (auto entry = touched.begin(); entry != touched.end(); ++entry) {
        QList<Fresh> &fresh = entry.value();
        std::sort(fresh.begin(), fresh.end(), [](const Fresh &x, const Fresh &y) {
            return std::tie(x.atMs, x.computer, x.seq) < std::tie(y.atMs, y.computer, y.seq);
        });
        const auto found = stored->constFind(entry.key());
        std::optional<Card> card = found == stored->cend() ? std::nullopt : std::optional(*found);
        if (card && card->lastReviewMs >= fresh.first().atMs) {
            replayed.insert(entry.key());
            continue;
        }
        for (const Fresh &answer : fresh)
            card = ReviewCard(card, answer.grade, answer.atMs, desiredRetention);
        if (!store.store(entry.key(), *card, reason))
            return false;
    }
    return ReplayCards(db, pairs, replayed, desiredRetention, reason);
}

// Many answers at once: the indexes by card and by time are dropped before them and made anew
// after them, which is much quicker than keeping them in order answer by answer.
bool dropAnswerIndexes(QSqlQuery &query, QString *reason)
{
    for (const SqlIndex &index : AnswerIndexes) {
        if (!query.exec(QStringLiteral("DROP INDEX ") + index.name))
            return failed(query, reason);
    }
    return true;
}

bool makeAnswerIndexes(QSqlQuery &query, QString *reason)
{
    for (const SqlIndex &index : AnswerIndexes) {
        if (!query.exec(index.statement))
            return failed(query, reason);
    }
    return true;
}

// Whether `arriving` answers are taken with the indexes made anew after them (BulkAnswers).
std::optional<bool> takenInBulk(QSqlQuery &query, qsizetype arriving, QString *reason)
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

std::optional<QList<LogRead>> ReadLogsOn(QSqlDatabase db, const QStringList &paths, QString *reason,
                                         qsizetype maxAnswers)
{
    QList<LogToRead> toRead;
    for (const QString &path : paths) {
        const auto progress = ReadLogProgress(db, QFileInfo(path).completeBaseName(), reason);
        if (!progress)
            return std::nullopt;
        toRead.append({path, progress->offset, progress->lastSeq});
    }
    const qsizetype each
        = std::max<qsizetype>(1, maxAnswers / std::max<qsizetype>(1, paths.size()));
    QList<AnswerLogPart> parts = ReadAnswerLogFiles(toRead, each);
    QList<LogRead> logs;
    for (qsizetype i = 0; i < paths.size(); ++i)
        logs.append({QFileInfo(paths.at(i)).completeBaseName(), std::move(parts[i])});
    return logs;
}

bool ReplayCards(QSqlDatabase db, PairNumbers &pairs, const QSet<CardKey> &cards,
                 double desiredRetention, QString *reason)
{
    CardStore store(db, pairs);
    // The cards by their pairs' numbers.
    QHash<std::pair<qint64, int>, CardKey> numbered;
    for (const CardKey &key : cards) {
        const std::optional<qint64> pair = pairs.numberOf(key.pair, reason);
        if (!pair)
            return false;
        numbered.insert({*pair, key.offeredSide}, key);
    }
    QList<std::pair<CardKey, Card>> replayed;
    // Reads the answers' rows (pair, direction, grade, time) in the order of their cards.
    const auto replay = [&](SqliteStatement &answers) {
        std::optional<std::pair<qint64, int>> current;
        std::optional<Card> card;
        const auto close = [&] {
            if (current && card)
                replayed.append({numbered.value(*current), *card});
        };
        while (answers.nextRow()) {
            const std::pair<qint64, int> key{answers.integer(0), int(answers.integer(1))};
            if (!current || key != *current) {
                close();
                card.reset();
                current = numbered.contains(key) ? std::optional(key) : std::nullopt;
            }
            if (current)
                card = ReviewCard(card, Grade(answers.integer(2)), answers.integer(3),
                                  desiredRetention);
        }
        close();
        answers.reset();
        return answers.error().isEmpty();
    };
    // A few cards are read by their index, many in one ordered pass over all answers.
    const QString columns = QStringLiteral("SELECT pair, direction, grade, at_ms FROM answers ");
    if (cards.size() <= cardsQueriedOneByOne) {
        SqliteStatement answers(db, columns
                                        + QStringLiteral("WHERE pair = ? AND direction = ?"
                                                         " ORDER BY ")
                                        + timeOrder);
        for (auto card = numbered.cbegin(); card != numbered.cend(); ++card) {
            answers.bind(1, card.key().first);
            answers.bind(2, qint64(card.key().second));
            if (!answers.isValid() || !replay(answers)) {
                *reason = answers.error();
                return false;
            }
        }
    } else {
        SqliteStatement answers(db,
                                columns + QStringLiteral("ORDER BY pair, direction, ") + timeOrder);
        if (!answers.isValid() || !replay(answers)) {
            *reason = answers.error();
            return false;
        }
    }
    for (const auto &[key, replayedCard] : replayed) {
        if (!store.store(key, replayedCard, reason))
            return false;
    }
    return true;
}

namespace {

// The rows of versions read from logs, by statements prepared once for all of them and bound
// through SQLite's own interface: a log holds a version after nearly every answer.
class VersionRows
{
public:
    explicit VersionRows(QSqlDatabase db)
        : m_db(db)
        , m_version(db, QStringLiteral("INSERT OR IGNORE INTO versions (hash, writer,"
                                       " dictionary, counts) VALUES (?, ?, ?, ?)"))
        , m_words(db, QStringLiteral("SELECT count(*) FROM versions WHERE hash = ?"))
        , m_base(db,
                 QStringLiteral("INSERT OR IGNORE INTO version_bases (hash, base) VALUES (?, ?)"))
    {}

    // A version as its writer says, of the dictionary as named here.
    bool take(const QString &writer, const LoggedVersion &version, const QString &dictionary,
              QString *reason)
    {
        for (const SqliteStatement *statement : {&m_version, &m_words, &m_base}) {
            if (!statement->isValid())
                return failedWith(*statement, reason);
        }
        const QByteArray counts = EncodedCounts(version.included);
        m_version.bindUtf8(1, version.hash);
        m_version.bind(2, writer);
        m_version.bind(3, dictionary);
        m_version.bindUtf8(4, counts);
        if (!m_version.run())
            return failedWith(m_version, reason);
        m_words.bindUtf8(1, version.hash);
        const bool counted = m_words.nextRow();
        const qint64 words = counted ? m_words.integer(0) : 0;
        m_words.reset();
        if (!counted)
            return failedWith(m_words, reason);
        // Nearly every version has one word; the rest are rare.
        if (words > 1 && !takeAnotherWord(version.hash, reason))
            return false;
        for (const QByteArray &base : version.bases) {
            m_base.bindUtf8(1, version.hash);
            m_base.bindUtf8(2, base);
            if (!m_base.run())
                return failedWith(m_base, reason);
        }
        return true;
    }

private:
    static bool failedWith(const SqliteStatement &statement, QString *reason)
    {
        *reason = statement.error();
        return false;
    }

    // A version that more than one word names. A word that another holds all of, and more,
    // is dropped: a version went on from it and came back to the same bytes (counters reset or
    // edited back), or it was said to hold less than it does; the answers only the other
    // counted are not in the counters, and are owed by no one. Words that remain, each with
    // answers of its own, are of a version written alike (see OwedAnswers): two computers that
    // answered alike, or one twice (a file answered on to the counters of its conflict copy,
    // or an older file put back and answered as before).
    bool takeAnotherWord(const QByteArray &hash, QString *reason)
    {
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("SELECT writer, counts, dictionary FROM versions"
                                     " WHERE hash = ?"));
        query.addBindValue(QString::fromLatin1(hash));
        if (!query.exec())
            return failed(query, reason);
        struct Word
        {
            QString writer;
            QString text;
            IncludedAnswers counted;
        };
        QList<Word> words;
        QString dictionary;
        while (query.next()) {
            const QString text = query.value(1).toString();
            words.append({query.value(0).toString(), text,
                          DecodedCounts(text.toUtf8()).value_or(IncludedAnswers())});
            const QString named = query.value(2).toString();
            if (dictionary.isEmpty() || named < dictionary)
                dictionary = named;
        }
        query.finish();
        const auto holdsMore = [](const Word &one, const Word &other) {
            return CountsBeyond(other.counted, one.counted).isEmpty()
                   && !CountsBeyond(one.counted, other.counted).isEmpty();
        };
        qsizetype kept = words.size();
        query.prepare(QStringLiteral("DELETE FROM versions WHERE hash = ? AND writer = ?"
                                     " AND counts = ?"));
        for (const Word &word : words) {
            if (std::none_of(words.cbegin(), words.cend(),
                             [&](const Word &other) { return holdsMore(other, word); }))
                continue;
            --kept;
            query.addBindValue(QString::fromLatin1(hash));
            query.addBindValue(word.writer);
            query.addBindValue(word.text);
            if (!query.exec())
                return failed(query, reason);
        }
        const bool alike = kept > 1;
        query.prepare(alike ? QStringLiteral("INSERT OR IGNORE INTO alike_versions (hash,"
                                             " dictionary) VALUES (?, ?)")
                            : QStringLiteral("DELETE FROM alike_versions WHERE hash = ?"));
        query.addBindValue(QString::fromLatin1(hash));
        if (alike)
            query.addBindValue(dictionary);
        return query.exec() || failed(query, reason);
    }

    QSqlDatabase m_db;
    SqliteStatement m_version;
    SqliteStatement m_words;
    SqliteStatement m_base;
};

} // namespace

std::optional<int> ImportLogs(QSqlDatabase db, const QList<LogRead> &logs,
                              const std::function<QString(const QString &)> &localDictionary,
                              double desiredRetention, QString *reason)
{
    QHash<CardKey, QList<Fresh>> touched;
    int added = 0;
    qsizetype arriving = 0;
    for (const LogRead &log : logs)
        arriving += log.part.answers.size();
    const bool done = inTransaction(db, reason, [&] {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        const std::optional<bool> bulk = takenInBulk(query, arriving, reason);
        if (!bulk || (*bulk && !dropAnswerIndexes(query, reason)))
            return false;
        PairNumbers pairs(db);
        AnswerInsert insert(db, pairs);
        VersionRows versionRows(db);
        // The dictionaries as named here, each worked out once.
        QHash<QString, QString> dictionaries;
        const auto local = [&](const QString &logged) -> const QString & {
            auto found = dictionaries.find(logged);
            if (found == dictionaries.end())
                found = dictionaries.insert(logged, localDictionary(logged));
            return *found;
        };
        for (const LogRead &log : logs) {
            // A log read again from its start repeats what is known: each number once.
            QSet<qint64> known;
            if (!log.part.answers.isEmpty()) {
                query.prepare(QStringLiteral("SELECT seq FROM answers WHERE computer = ? AND seq"
                                             " BETWEEN ? AND ?"));
                query.addBindValue(log.computer);
                query.addBindValue(log.part.answers.first().seq);
                query.addBindValue(log.part.answers.last().seq);
                if (!query.exec())
                    return failed(query, reason);
                while (query.next())
                    known.insert(query.value(0).toLongLong());
                query.finish();
            }
            for (const LoggedAnswer &logged : log.part.answers) {
                if (known.contains(logged.seq))
                    continue;
                known.insert(logged.seq);
                const AnswerRecord &answer = logged.answer;
                if (!insert.insert(answer, local(answer.dictionary), QString(), true, log.computer,
                                   logged.seq, reason))
                    return false;
                ++added;
                touched[answer.card].append({answer.atMs, log.computer, logged.seq, answer.grade});
            }
            // What a version has counted, as the computer that wrote it says.
            for (const LoggedVersion &version : log.part.versions) {
                if (!versionRows.take(log.computer, version, local(version.dictionary), reason))
                    return false;
            }
            query.prepare(QStringLiteral("INSERT OR REPLACE INTO logs (computer, offset,"
                                         " last_seq) VALUES (?, ?, ?)"));
            query.addBindValue(log.computer);
            query.addBindValue(log.part.endOffset);
            query.addBindValue(log.part.lastSeq);
            if (!query.exec())
                return failed(query, reason);
        }
        if (*bulk && !makeAnswerIndexes(query, reason))
            return false;
        return updateCards(db, pairs, touched, desiredRetention, reason);
    });
    return done ? std::optional(added) : std::nullopt;
}

std::optional<int> ImportAnswers(QSqlDatabase db, const QList<AnswerRecord> &answers,
                                 double desiredRetention, QString *reason)
{
    if (answers.isEmpty())
        return 0;
    QHash<CardKey, QList<Fresh>> touched;
    int added = 0;
    const bool done = inTransaction(db, reason, [&] {
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
        const std::optional<bool> bulk = takenInBulk(query, answers.size(), reason);
        if (!bulk || (*bulk && !dropAnswerIndexes(query, reason)))
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
        if (*bulk && !makeAnswerIndexes(query, reason))
            return false;
        return updateCards(db, pairs, touched, desiredRetention, reason);
    });
    return done ? std::optional(added) : std::nullopt;
}

QSqlDatabase OpenHistoryConnection(const QString &connection, const QString &path)
{
    QSqlDatabase db = QSqlDatabase::contains(connection)
                          ? QSqlDatabase::database(connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    if (db.isOpen())
        return db;
    db.setDatabaseName(path);
    // Off the drill's thread a copy that holds the lock may be waited for a while.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return db;
    QSqlQuery query(db);
    query.exec(QStringLiteral("PRAGMA cache_size=-16000"));
    // As the drill's connection: a commit waits for no disk flush, the log is flushed at its
    // checkpoints.
    query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    const bool current = query.exec(QStringLiteral("PRAGMA user_version")) && query.next()
                         && query.value(0).toInt() == ReviewHistory::SchemaVersion;
    query.finish();
    if (!current)
        db.close();
    return db;
}

std::optional<QList<LoggedAnswer>>
AnswersForOwnLog(QSqlDatabase db, const QString &computer, qint64 lastInLog,
                 const std::function<QString(const QString &)> &loggedDictionary, QString *reason)
{
    const bool numbered = inTransaction(db, reason, [&] {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("SELECT max(seq) FROM answers WHERE computer = ?"));
        query.addBindValue(computer);
        if (!query.exec() || !query.next())
            return failed(query, reason);
        qint64 next = std::max(query.value(0).toLongLong(), lastInLog) + 1;
        query.finish();
        QList<qint64> unnumbered;
        if (!query.exec(QStringLiteral("SELECT id FROM answers WHERE seq IS NULL ORDER BY id")))
            return failed(query, reason);
        while (query.next())
            unnumbered.append(query.value(0).toLongLong());
        query.finish();
        query.prepare(QStringLiteral("UPDATE answers SET computer = ?, seq = ? WHERE id = ?"));
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
        answer.card = CardKeyAt(query, 2);
        answer.grade = Grade(query.value(7).toInt());
        answer.typed = query.value(8).toString();
        answer.durationMs = query.value(9).toLongLong();
        answer.dictionary = loggedDictionary(query.value(10).toString());
        answers.append({query.value(0).toLongLong(), answer});
    }
    return answers;
}

std::optional<VersionWriters> CountedByWriters(QSqlDatabase db, const QByteArray &hash,
                                               QString *reason)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT writer, counts FROM versions WHERE hash = ?"));
    query.addBindValue(QString::fromLatin1(hash));
    if (!query.exec()) {
        failed(query, reason);
        return std::nullopt;
    }
    VersionWriters writers;
    while (query.next()) {
        const auto counted = DecodedCounts(query.value(1).toByteArray());
        if (!counted) {
            *reason = Texts::tr("záznam verze slovníku je poškozený");
            return std::nullopt;
        }
        writers.insert(query.value(0).toString(), *counted);
    }
    return writers;
}

std::optional<IncludedAnswers> CountedWithBases(QSqlDatabase db, const QByteArray &hash,
                                                QString *reason)
{
    const auto writers = CountedByWriters(db, hash, reason);
    if (!writers)
        return std::nullopt;
    QList<IncludedAnswers> counted{CountedByOneWriter(*writers)};
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // The versions below it, each made from one version; below the version itself, only those
    // of one word.
    const QString ofOneWord
        = QStringLiteral("(SELECT count(*) FROM versions w WHERE w.hash = %1) = 1");
    query.prepare(QStringLiteral("WITH RECURSIVE line(hash, below) AS (SELECT ?, 0 UNION SELECT"
                                 " b.base, 1 FROM line l JOIN version_bases b ON b.hash = l.hash"
                                 " WHERE (SELECT count(*) FROM version_bases o WHERE o.hash ="
                                 " l.hash) = 1 AND (l.below = 0 OR ")
                  + ofOneWord.arg(QStringLiteral("l.hash"))
                  + QStringLiteral(")) SELECT v.counts FROM line JOIN versions v ON v.hash ="
                                   " line.hash WHERE line.below = 1 AND ")
                  + ofOneWord.arg(QStringLiteral("line.hash")));
    query.addBindValue(QString::fromLatin1(hash));
    if (!query.exec()) {
        failed(query, reason);
        return std::nullopt;
    }
    while (query.next()) {
        const auto base = DecodedCounts(query.value(0).toByteArray());
        if (!base) {
            *reason = Texts::tr("záznam verze slovníku je poškozený");
            return std::nullopt;
        }
        counted.append(*base);
    }
    return UnitedCounts(counted);
}

std::optional<bool> IsUnloggedOwnVersion(QSqlDatabase db, const QByteArray &hash, QString *reason)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT 1 FROM own_versions WHERE hash = ? AND logged = 0"));
    query.addBindValue(QString::fromLatin1(hash));
    if (!query.exec()) {
        failed(query, reason);
        return std::nullopt;
    }
    return query.next();
}

std::optional<IncludedAnswers> OwedAnswers(QSqlDatabase db, const QString &dictionary,
                                           const QByteArray &hash, const IncludedAnswers &counted,
                                           QString *reason)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT hash FROM alike_versions WHERE dictionary = ?"));
    query.addBindValue(SqlText(dictionary));
    if (!query.exec()) {
        failed(query, reason);
        return std::nullopt;
    }
    QList<QByteArray> alike;
    while (query.next())
        alike.append(query.value(0).toString().toLatin1());
    query.finish();
    IncludedAnswers owed;
    std::optional<QSet<QByteArray>> line; // the versions `hash` was made from, read when needed
    for (const QByteArray &version : alike) {
        const auto writers = CountedByWriters(db, version, reason);
        if (!writers)
            return std::nullopt;
        const IncludedAnswers missing = CountsBeyond(UnitedCounts(writers->values()), counted);
        if (missing.isEmpty())
            continue;
        if (!line) {
            query.prepare(QStringLiteral("WITH RECURSIVE line(hash) AS (SELECT ? UNION SELECT"
                                         " b.base FROM version_bases b JOIN line l ON"
                                         " b.hash = l.hash) SELECT hash FROM line"));
            query.addBindValue(QString::fromLatin1(hash));
            if (!query.exec()) {
                failed(query, reason);
                return std::nullopt;
            }
            line.emplace();
            while (query.next())
                line->insert(query.value(0).toString().toLatin1());
            query.finish();
        }
        if (line->contains(version))
            owed = UnitedCounts({owed, missing});
    }
    return owed;
}

std::optional<QList<AnswerRecord>> LoggedAnswersOn(QSqlDatabase db, const QString &dictionary,
                                                   const QString &computer, qint64 after,
                                                   qint64 upTo, QString *reason)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT side1, comment1, side2, comment2, direction, grade,"
                                 " at_ms FROM reviews WHERE computer = ? AND seq > ? AND"
                                 " seq <= ? AND dictionary = ? ORDER BY seq"));
    query.addBindValue(computer);
    query.addBindValue(after);
    query.addBindValue(upTo);
    query.addBindValue(SqlText(dictionary));
    if (!query.exec()) {
        failed(query, reason);
        return std::nullopt;
    }
    QList<AnswerRecord> answers;
    while (query.next()) {
        AnswerRecord answer;
        answer.card = CardKeyAt(query, 0);
        answer.grade = Grade(query.value(5).toInt());
        answer.atMs = query.value(6).toLongLong();
        answer.dictionary = dictionary;
        answers.append(answer);
    }
    return answers;
}

QString SyncFolderProblem(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return Texts::tr("Složka %1 neexistuje.").arg(folder);
    const SyncPlace place{folder, QString()};
    errno = 0;
    if (!QDir().mkpath(place.logFolder()))
        return Texts::tr("Ve složce %1 nelze založit složku pro odpovědi (%2): %3")
            .arg(folder, place.logFolder(), FileErrorReason(errno, QString()));
    return QString();
}

QString SyncPlace::logFolder() const
{
    return QDir(folder).filePath(QStringLiteral("merko/odpovedi"));
}

QString SyncPlace::ownLog() const
{
    return QDir(logFolder()).filePath(computer + QStringLiteral(".log"));
}

QString SyncPlace::loggedDictionary(const QString &path) const
{
    return IsInFolder(path, folder) ? QDir(folder).relativeFilePath(path) : path;
}

QString SyncPlace::localDictionary(const QString &logged) const
{
    return QDir::isAbsolutePath(logged) ? logged : QDir(folder).filePath(logged);
}

namespace {

// The versions this computer wrote that its log does not name yet, each with what it has
// counted: what a merge counted, or else what the version it was made from had (as one of its
// writers says; none for a version no log names), and the answers given here that it counted
// first. A version made, itself or through its bases, from a file that no log names yet and
// that came a short while ago waits for the log that names it (it comes with the file, a
// little later), until UnloggedVersionWaitMs after that file came: logged sooner, it
// would be said to hold less than it does. So does a version whose answers have no number yet.
// `waiting`: the versions that wait.
bool logOwnVersions(QSqlDatabase db, const SyncPlace &place, AnswerLogWriter &writer, qint64 nowMs,
                    int *waiting, QString *reason)
{
    *waiting = 0;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT hash, dictionary, bases, base_written_ms, counted"
                                   " FROM own_versions WHERE logged = 0")))
        return failed(query, reason);
    struct Pending
    {
        QString hash;
        QString dictionary;
        QStringList bases;
        qint64 baseArrivedMs;
        std::optional<IncludedAnswers> merged;
    };
    QList<Pending> pending;
    while (query.next()) {
        std::optional<IncludedAnswers> merged;
        if (!query.isNull(4)) {
            merged = DecodedCounts(query.value(4).toByteArray());
            if (!merged)
                merged = IncludedAnswers(); // damaged: counted as having counted nothing more
        }
        pending.append({query.value(0).toString(), query.value(1).toString(),
                        query.value(2).toString().split(QLatin1Char(','), Qt::SkipEmptyParts),
                        query.value(3).toLongLong(), merged});
    }
    query.finish();
    if (pending.isEmpty())
        return true;
    // A base that waits to be logged with its version is counted first: the log does not name
    // it yet.
    QHash<QString, qsizetype> unlogged;
    for (qsizetype i = 0; i < pending.size(); ++i)
        unlogged.insert(pending.at(i).hash, i);
    QHash<QString, IncludedAnswers> counted;
    QSet<QString> held; // wait for a log, or for numbers
    QSet<QString> begun;
    QList<LoggedVersion> versions;
    const auto take = [](IncludedAnswers &into, const IncludedAnswers &more) {
        into = UnitedCounts({into, more});
    };
    std::function<bool(qsizetype)> count = [&](qsizetype index) {
        const Pending &version = pending.at(index);
        if (begun.contains(version.hash))
            return true;
        begun.insert(version.hash);
        IncludedAnswers included = version.merged.value_or(IncludedAnswers());
        for (const QString &base : version.bases) {
            bool waits = false;
            if (unlogged.contains(base)) {
                if (!count(unlogged.value(base)))
                    return false;
                if (!version.merged)
                    take(included, counted.value(base));
                waits = held.contains(base);
            } else if (!version.merged) {
                const auto writers = CountedByWriters(db, base.toLatin1(), reason);
                if (!writers)
                    return false;
                take(included, CountedByOneWriter(*writers));
                waits = writers->isEmpty() && nowMs - version.baseArrivedMs < UnloggedVersionWaitMs;
            }
            if (waits) {
                held.insert(version.hash);
                return true;
            }
        }
        // A merge has counted, beside what it says, the answers given here that the versions
        // it merged counted first.
        QStringList countedIn{version.hash};
        if (version.merged)
            countedIn += version.bases;
        query.prepare(QStringLiteral("SELECT seq FROM answers WHERE counted_in IN (%1)")
                          .arg(QStringList(countedIn.size(), QStringLiteral("?")).join(',')));
        for (const QString &hash : countedIn)
            query.addBindValue(hash);
        if (!query.exec())
            return failed(query, reason);
        NumberRanges &own = included[place.computer];
        bool unnumbered = false;
        while (query.next()) {
            if (query.isNull(0))
                unnumbered = true;
            else
                own.insert(query.value(0).toLongLong());
        }
        query.finish();
        if (unnumbered) {
            held.insert(version.hash);
            return true;
        }
        counted.insert(version.hash, included);
        // Bases before the versions made from them.
        QList<QByteArray> bases;
        for (const QString &base : version.bases)
            bases.append(base.toLatin1());
        versions.append(
            {place.loggedDictionary(version.dictionary), version.hash.toLatin1(), bases, included});
        return true;
    };
    for (qsizetype i = 0; i < pending.size(); ++i) {
        if (!count(i))
            return false;
    }
    *waiting = int(held.size());
    if (versions.isEmpty())
        return true;
    if (!writer.append(versions, reason))
        return false;
    return inTransaction(db, reason, [&] {
        query.prepare(QStringLiteral("UPDATE own_versions SET logged = 1 WHERE hash = ?"));
        for (const LoggedVersion &version : versions) {
            query.addBindValue(QString::fromLatin1(version.hash));
            if (!query.exec())
                return failed(query, reason);
        }
        return true;
    });
}

} // namespace

FolderExchange ExchangeWithFolder(QSqlDatabase db, const SyncPlace &place, double desiredRetention,
                                  qsizetype answersAtOnce)
{
    FolderExchange exchange;
    // The log folder is made when the folder is named. Without it the folder is not there (a
    // disk not mounted leaves an empty folder in its place): nothing is written into it.
    if (!QFileInfo(place.logFolder()).isDir()) {
        exchange.troubles.append(
            Texts::tr("Synchronizovaná složka %1 teď není dostupná (chybí v ní složka %2). "
                      "Program procvičuje s historií tohoto počítače a odpovědi vymění, až "
                      "bude složka zpět. Je-li složka nová, zvolte ji v okně Volby "
                      "tlačítkem Synchronizace...")
                .arg(place.folder, place.logFolder()));
        return exchange;
    }
    QString reason;
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    AnswerLogWriter writer(place.ownLog(), place.computer);
    const QString cannotWrite = Texts::tr("Do souboru %1 nelze zapsat: %2");

    const auto own = AnswersForOwnLog(
        db, place.computer, writer.lastSeq(),
        [&place](const QString &path) { return place.loggedDictionary(path); }, &reason);
    if (!own)
        exchange.troubles.append(Texts::tr("Historii odpovědí nelze číst: %1").arg(reason));
    else if (!writer.append(*own, &reason))
        exchange.troubles.append(cannotWrite.arg(place.ownLog(), reason));
    else if (!logOwnVersions(db, place, writer, nowMs, &exchange.versionsWaiting, &reason))
        exchange.troubles.append(cannotWrite.arg(place.ownLog(), reason));

    QStringList paths;
    for (const QFileInfo &log :
         QDir(place.logFolder()).entryInfoList({QStringLiteral("*.log")}, QDir::Files)) {
        paths.append(log.filePath());
        if (log.completeBaseName() != place.computer)
            ++exchange.computers;
    }
    // A huge log is read and taken in rounds, each remembered, so that neither the memory nor
    // the time the history is locked grows with it. What a log holds that is not read is told
    // once, for all rounds.
    QList<AnswerLogPart> unread(paths.size());
    QString importTrouble;
    bool readFailed = false;
    // False when the logs could not be read or taken.
    const auto readLogs = [&] {
        for (bool more = true; more;) {
            std::optional<QList<LogRead>> logs = ReadLogsOn(db, paths, &reason, answersAtOnce);
            if (!logs) {
                readFailed = true;
                return false;
            }
            more = false;
            for (qsizetype i = 0; i < paths.size(); ++i) {
                const AnswerLogPart &part = logs->at(i).part;
                unread[i].laterFormat = part.laterFormat;
                unread[i].notALog = part.notALog;
                unread[i].damaged += part.damaged;
                more = more || part.more;
            }
            const auto taken = ImportLogs(
                db, *logs,
                [&place](const QString &logged) { return place.localDictionary(logged); },
                desiredRetention, &reason);
            if (!taken) {
                importTrouble
                    = Texts::tr("Odpovědi z ostatních počítačů nelze uložit: %1").arg(reason);
                return false;
            }
            exchange.taken += *taken;
        }
        return true;
    };
    // The logs just read may name what a waiting version was made from: it is logged now, and
    // read back, so that a conflict copy of it need not wait for the next exchange.
    if (readLogs() && exchange.versionsWaiting > 0) {
        const int before = exchange.versionsWaiting;
        if (!logOwnVersions(db, place, writer, nowMs, &exchange.versionsWaiting, &reason))
            exchange.troubles.append(cannotWrite.arg(place.ownLog(), reason));
        else if (exchange.versionsWaiting < before) {
            // The log may be new: this computer had written nothing into it yet.
            if (!paths.contains(place.ownLog())) {
                paths.append(place.ownLog());
                unread.append(AnswerLogPart());
            }
            readLogs();
        }
    }
    if (readFailed) {
        exchange.troubles.append(Texts::tr("Historii odpovědí nelze číst: %1").arg(reason));
        return exchange;
    }
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString &path = paths.at(i);
        if (unread.at(i).laterFormat)
            exchange.troubles.append(
                Texts::tr("Soubor %1 zapsala novější verze programu; jeho odpovědi se "
                          "nečtou.")
                    .arg(path));
        else if (unread.at(i).notALog)
            exchange.troubles.append(
                Texts::tr("Soubor %1 není záznamem odpovědí; nečte se.").arg(path));
        else if (unread.at(i).damaged > 0)
            exchange.troubles.append(
                Texts::tr("V souboru %1 je poškozených záznamů: %2; ostatní se čtou.")
                    .arg(path)
                    .arg(unread.at(i).damaged));
    }
    if (!importTrouble.isEmpty())
        exchange.troubles.append(importTrouble);
    return exchange;
}
