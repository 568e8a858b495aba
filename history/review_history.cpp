#include "review_history.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QSet>
#include <QVariant>

#include <initializer_list>
#include <type_traits>
#include <utility>

namespace {

// SQLite's primary result codes that mean the file is no database or a damaged one.
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;

// Each step brings the schema from its index to the next version.
const QList<QStringList> &migrations()
{
    static const QList<QStringList> steps = {
        {
            QStringLiteral("CREATE TABLE reviews ("
                           " id INTEGER PRIMARY KEY,"
                           " at_ms INTEGER NOT NULL,"
                           " side1 TEXT NOT NULL, comment1 TEXT NOT NULL,"
                           " side2 TEXT NOT NULL, comment2 TEXT NOT NULL,"
                           " direction INTEGER NOT NULL," // the side offered, 1 or 2
                           " grade INTEGER NOT NULL,"     // 1 again, 2 hard, 3 good, 4 easy
                           " typed TEXT NOT NULL,"
                           " duration_ms INTEGER NOT NULL,"
                           " dictionary TEXT NOT NULL,"
                           " session TEXT NOT NULL,"
                           " settled INTEGER NOT NULL DEFAULT 0)"),
            QStringLiteral("CREATE INDEX reviews_unsettled ON reviews(dictionary)"
                           " WHERE settled = 0"),
            QStringLiteral("CREATE INDEX reviews_time ON reviews(at_ms)"),
            QStringLiteral("CREATE TABLE cards ("
                           " side1 TEXT NOT NULL, comment1 TEXT NOT NULL,"
                           " side2 TEXT NOT NULL, comment2 TEXT NOT NULL,"
                           " direction INTEGER NOT NULL,"
                           " stability REAL NOT NULL, difficulty REAL NOT NULL,"
                           " last_review_ms INTEGER NOT NULL, due_ms INTEGER NOT NULL,"
                           " introduced_ms INTEGER NOT NULL,"
                           " reviews INTEGER NOT NULL, lapses INTEGER NOT NULL,"
                           " PRIMARY KEY (side1, comment1, side2, comment2, direction))"
                           " WITHOUT ROWID"),
        },
        // The progress window's questions: a dictionary's answers by time, and whether a card
        // was answered with a dictionary.
        {
            QStringLiteral("CREATE INDEX reviews_dictionary_time ON reviews(dictionary, at_ms)"),
            QStringLiteral("CREATE INDEX reviews_card ON reviews(side1, comment1, side2, "
                           "comment2, direction, dictionary)"),
        },
    };
    return steps;
}

QString reasonOf(const QSqlError &error)
{
    return error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
}

// A text as SQL stores it: an empty one is '', never NULL.
QVariant textValue(const QString &text)
{
    return text.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(text);
}

void bindCard(QSqlQuery &query, const CardKey &key)
{
    query.addBindValue(textValue(key.pair.side1));
    query.addBindValue(textValue(key.pair.comment1));
    query.addBindValue(textValue(key.pair.side2));
    query.addBindValue(textValue(key.pair.comment2));
    query.addBindValue(key.offeredSide);
}

CardKey cardKeyAt(const QSqlQuery &query, int first)
{
    return {{query.value(first).toString(), query.value(first + 1).toString(),
             query.value(first + 2).toString(), query.value(first + 3).toString()},
            query.value(first + 4).toInt()};
}

// The card whose memory state starts at column `first`.
Card cardAt(const QSqlQuery &query, int first)
{
    return Card{{query.value(first).toDouble(), query.value(first + 1).toDouble()},
                query.value(first + 2).toLongLong(),
                query.value(first + 3).toLongLong(),
                query.value(first + 4).toLongLong(),
                query.value(first + 5).toInt(),
                query.value(first + 6).toInt()};
}

} // namespace

size_t qHash(const PairText &pair, size_t seed)
{
    return qHashMulti(seed, pair.side1, pair.comment1, pair.side2, pair.comment2);
}

size_t qHash(const CardKey &key, size_t seed)
{
    return qHashMulti(seed, key.pair, key.offeredSide);
}

QString HistoryFilePath(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("history.sqlite"));
}

ReviewHistory::ReviewHistory(QString path, QObject *parent)
    : QObject(parent)
    , m_path(std::move(path))
    , m_connection(QStringLiteral("history-") + QUuid::createUuid().toString(QUuid::Id128))
    , m_session(QUuid::createUuid().toString(QUuid::Id128))
{}

ReviewHistory::~ReviewHistory()
{
    close();
}

void ReviewHistory::close()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
    m_open = false;
}

void ReviewHistory::tell(const QString &message)
{
    if (m_told)
        return;
    m_told = true;
    emit troubled(message);
}

// A failure is dealt with once no query of the connection is alive any more: by
// reportFailure(), which every public operation calls last.
bool ReviewHistory::failWith(const QSqlError &error)
{
    if (!m_failure)
        m_failure = Failure{reasonOf(error), error.nativeErrorCode().toInt() & 0xff};
    m_open = false;
    return false;
}

template<typename Operation>
auto ReviewHistory::guarded(Operation operation) -> decltype(operation())
{
    if constexpr (std::is_void_v<decltype(operation())>) {
        operation();
        reportFailure();
    } else {
        auto result = operation();
        reportFailure();
        return result;
    }
}

void ReviewHistory::reportFailure()
{
    if (!m_failure)
        return;
    const Failure failure = *std::exchange(m_failure, std::nullopt);
    close();
    if (failure.code == SqliteCorrupt || failure.code == SqliteNotADatabase) {
        const QString asideAs = setAside();
        if (!asideAs.isEmpty()) {
            emit troubled(QStringLiteral("Historie odpovědí %1 je poškozená (%2). Program ji "
                                         "odložil jako %3 a začíná novou.")
                              .arg(m_path, failure.reason, asideAs));
            return;
        }
    }
    tell(QStringLiteral("Historii odpovědí %1 nelze použít: %2. Procvičování pokračuje bez ní, "
                        "podle statistiky uložené ve slovníku.")
             .arg(m_path, failure.reason));
}

// The damaged file and its companions keep their content under a dated name; nothing of a
// user's history is ever deleted. Returns the new name, or empty when it cannot be moved.
QString ReviewHistory::setAside()
{
    close();
    const QFileInfo info(m_path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString aside
        = info.dir().filePath(info.completeBaseName() + QStringLiteral("-poskozena-") + stamp
                              + QStringLiteral(".sqlite"));
    if (QFileInfo::exists(aside) || !QFile::rename(m_path, aside))
        return {};
    for (const char *companion : {"-wal", "-shm"}) {
        if (QFileInfo::exists(m_path + QLatin1String(companion)))
            QFile::rename(m_path + QLatin1String(companion), aside + QLatin1String(companion));
    }
    return aside;
}

bool ReviewHistory::execute(const QString &statement)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (query.exec(statement))
        return true;
    return failWith(query.lastError());
}

// BEGIN IMMEDIATE takes the write lock at once, so that two copies never both hold a read
// that each must turn into a write. A body or commit that fails is rolled back.
bool ReviewHistory::inTransaction(const std::function<bool()> &body)
{
    if (!execute(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    if (body() && execute(QStringLiteral("COMMIT")))
        return true;
    QSqlQuery(QSqlDatabase::database(m_connection, false)).exec(QStringLiteral("ROLLBACK"));
    return false;
}

bool ReviewHistory::ensureOpen()
{
    if (m_open)
        return true;
    if (m_keepClosed)
        return false;
    // A damaged database is replaced by a new one at once: one more attempt.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool opened = openDatabase();
        reportFailure();
        if (opened)
            return true;
        if (QFileInfo::exists(m_path))
            break;
    }
    return false;
}

bool ReviewHistory::openDatabase()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        tell(QStringLiteral("Historii odpovědí nelze vést: chybí ovladač SQLite pro Qt (balíček "
                            "libqt6sql6-sqlite). Procvičování pokračuje podle statistiky uložené "
                            "ve slovníku."));
        return false;
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    // Another copy of the program may be writing: wait for it rather than fail.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return failWith(db.lastError());
    if (!execute(QStringLiteral("PRAGMA journal_mode=WAL"))
        || !execute(QStringLiteral("PRAGMA synchronous=NORMAL")) || !migrate())
        return false;
    m_open = true;
    return true;
}

bool ReviewHistory::migrate()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery version(db);
    if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next())
        return failWith(version.lastError());
    const int found = version.value(0).toInt();
    version.finish();
    if (found > SchemaVersion) {
        tell(QStringLiteral("Historii odpovědí %1 zapsala novější verze programu (schéma %2); "
                            "tato verze ji nemění a pokračuje bez ní.")
                 .arg(m_path)
                 .arg(found));
        m_keepClosed = true;
        return false;
    }
    if (found == SchemaVersion)
        return true;
    return inTransaction([&] {
        for (int step = found; step < SchemaVersion; ++step) {
            for (const QString &statement : migrations().at(step)) {
                if (!execute(statement))
                    return false;
            }
        }
        return execute(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
    });
}

std::optional<Card> ReviewHistory::record(const AnswerRecord &answer, double desiredRetention)
{
    return guarded([&] { return recordAnswer(answer, desiredRetention); });
}

std::optional<Card> ReviewHistory::recordAnswer(const AnswerRecord &answer, double desiredRetention)
{
    if (!ensureOpen())
        return std::nullopt;
    std::optional<Card> after;
    // Read, reckon and write under one write lock, so that two copies answering the same card
    // each build on the other's answer.
    const bool recorded = inTransaction([&] {
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        query.prepare(QStringLiteral("SELECT stability, difficulty, last_review_ms, due_ms,"
                                     " introduced_ms, reviews, lapses FROM cards WHERE side1 = ?"
                                     " AND comment1 = ? AND side2 = ? AND comment2 = ?"
                                     " AND direction = ?"));
        bindCard(query, answer.card);
        if (!query.exec())
            return failWith(query.lastError());
        std::optional<Card> before;
        if (query.next())
            before = cardAt(query, 0);
        query.finish();
        after = ReviewCard(before, answer.grade, answer.atMs, desiredRetention);
        query.prepare(QStringLiteral("INSERT OR REPLACE INTO cards (side1, comment1, side2,"
                                     " comment2, direction, stability, difficulty,"
                                     " last_review_ms, due_ms, introduced_ms, reviews, lapses)"
                                     " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        bindCard(query, answer.card);
        for (const QVariant &value :
             {QVariant(after->memory.stability), QVariant(after->memory.difficulty),
              QVariant(after->lastReviewMs), QVariant(after->dueMs), QVariant(after->introducedMs),
              QVariant(after->reviews), QVariant(after->lapses)})
            query.addBindValue(value);
        if (!query.exec())
            return failWith(query.lastError());
        query.prepare(QStringLiteral("INSERT INTO reviews (at_ms, side1, comment1, side2,"
                                     " comment2, direction, grade, typed, duration_ms,"
                                     " dictionary, session) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
                                     " ?)"));
        query.addBindValue(answer.atMs);
        bindCard(query, answer.card);
        query.addBindValue(int(answer.grade));
        query.addBindValue(textValue(answer.typed));
        query.addBindValue(answer.durationMs);
        query.addBindValue(textValue(answer.dictionary));
        query.addBindValue(m_session);
        return query.exec() || failWith(query.lastError());
    });
    if (!recorded)
        return std::nullopt;
    m_told = false;
    m_unsettled.insert(answer.dictionary);
    return after;
}

QHash<CardKey, Card> ReviewHistory::cardsOf(const QList<PairText> &pairs)
{
    return guarded([&] {
        QHash<CardKey, Card> cards;
        if (!ensureOpen())
            return cards;
        QSet<CardKey> wanted;
        wanted.reserve(pairs.size() * 2);
        for (const PairText &pair : pairs) {
            wanted.insert({pair, 1});
            wanted.insert({pair, 2});
        }
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT side1, comment1, side2, comment2, direction,"
                                       " stability, difficulty, last_review_ms, due_ms,"
                                       " introduced_ms, reviews, lapses FROM cards"))) {
            failWith(query.lastError());
            return cards;
        }
        while (query.next()) {
            CardKey key = cardKeyAt(query, 0);
            if (wanted.contains(key))
                cards.insert(std::move(key), cardAt(query, 5));
        }
        return cards;
    });
}

QList<UnsettledAnswer> ReviewHistory::unsettledAnswers(const QString &dictionary)
{
    return guarded([&] {
        QList<UnsettledAnswer> answers;
        if (!ensureOpen())
            return answers;
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        query.prepare(QStringLiteral("SELECT id, side1, comment1, side2, comment2, direction,"
                                     " grade FROM reviews WHERE settled = 0 AND dictionary = ?"
                                     " ORDER BY id"));
        query.addBindValue(textValue(dictionary));
        if (!query.exec()) {
            failWith(query.lastError());
            return answers;
        }
        while (query.next())
            answers.append(
                {query.value(0).toLongLong(), cardKeyAt(query, 1), Grade(query.value(6).toInt())});
        return answers;
    });
}

void ReviewHistory::adopt(const QString &dictionary, const QList<qint64> &ids)
{
    guarded([&] {
        if (ids.isEmpty() || !ensureOpen())
            return;
        const bool adopted = inTransaction([&] {
            QSqlQuery query(QSqlDatabase::database(m_connection, false));
            query.prepare(QStringLiteral("UPDATE reviews SET session = ? WHERE id = ?"));
            for (const qint64 id : ids) {
                query.addBindValue(m_session);
                query.addBindValue(id);
                if (!query.exec())
                    return failWith(query.lastError());
            }
            return true;
        });
        if (adopted)
            m_unsettled.insert(dictionary);
    });
}

void ReviewHistory::settle(const QString &dictionary)
{
    // A settling that failed before is tried again with this one; a dictionary without
    // answers of this run has nothing to settle.
    if (m_unsettled.contains(dictionary))
        m_toSettle.insert(dictionary);
    if (m_toSettle.isEmpty())
        return;
    guarded([&] {
        if (!ensureOpen())
            return;
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        query.prepare(QStringLiteral("UPDATE reviews SET settled = 1"
                                     " WHERE settled = 0 AND dictionary = ? AND session = ?"));
        for (const QString &waiting : QSet<QString>(m_toSettle)) {
            query.addBindValue(textValue(waiting));
            query.addBindValue(m_session);
            if (!query.exec()) {
                failWith(query.lastError());
                return;
            }
            m_toSettle.remove(waiting);
            m_unsettled.remove(waiting);
        }
    });
}

void ReviewHistory::settleAll(const QString &dictionary)
{
    guarded([&] {
        if (!ensureOpen())
            return;
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        query.prepare(
            QStringLiteral("UPDATE reviews SET settled = 1 WHERE settled = 0 AND dictionary = ?"));
        query.addBindValue(textValue(dictionary));
        if (!query.exec())
            failWith(query.lastError());
    });
}

QSqlDatabase ReviewHistory::database()
{
    return guarded([&] {
        return ensureOpen() ? QSqlDatabase::database(m_connection, false) : QSqlDatabase();
    });
}

qint64 ReviewHistory::answerCount()
{
    return guarded([&]() -> qint64 {
        if (!ensureOpen())
            return 0;
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        if (query.exec(QStringLiteral("SELECT count(*) FROM reviews")) && query.next())
            return query.value(0).toLongLong();
        failWith(query.lastError());
        return qint64(0);
    });
}
