#include "review_history.h"

#include "core/paths.h"

#include "answer_import.h"
#include "history_rows.h"
#include "sqlite_statement.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>
#include <QVariant>

#include <algorithm>
#include <initializer_list>
#include <type_traits>
#include <utility>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(ReviewHistory)
};

// SQLite's primary result codes that mean the file is no database or a damaged one.
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;
// Another connection holds the lock.
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;

// Each step brings the schema from its index to the next version.
const QList<QStringList> SchemaSteps = {
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
        QStringLiteral("CREATE INDEX reviews_card ON reviews(side1, comment1, side2,"
                       " comment2, direction, dictionary)"),
    },
    // Answers shared with the user's other computers through their logs: the computer that
    // gave an answer and its number in that computer's log (none: this computer's answer,
    // not numbered yet), and how far each log has been read.
    {
        QStringLiteral("ALTER TABLE reviews ADD COLUMN computer TEXT"),
        QStringLiteral("ALTER TABLE reviews ADD COLUMN seq INTEGER"),
        QStringLiteral("CREATE UNIQUE INDEX reviews_logged ON reviews(computer, seq)"
                       " WHERE seq IS NOT NULL"),
        QStringLiteral("CREATE INDEX reviews_unlogged ON reviews(id) WHERE seq IS NULL"),
        QStringLiteral("CREATE TABLE logs (computer TEXT PRIMARY KEY,"
                       " offset INTEGER NOT NULL, last_seq INTEGER NOT NULL)"),
        // The versions of dictionary files that computers wrote, and what each has counted
        // of each computer's answers.
        QStringLiteral("CREATE TABLE versions (hash TEXT PRIMARY KEY,"
                       " dictionary TEXT NOT NULL) WITHOUT ROWID"),
        QStringLiteral("CREATE TABLE version_includes (hash TEXT NOT NULL,"
                       " computer TEXT NOT NULL, seq INTEGER NOT NULL,"
                       " PRIMARY KEY (hash, computer)) WITHOUT ROWID"),
        // The versions this computer wrote: the versions they were made from, and the last
        // answer given here that each has counted; logged once in this computer's log.
        QStringLiteral("CREATE TABLE own_versions (hash TEXT PRIMARY KEY,"
                       " dictionary TEXT NOT NULL, bases TEXT NOT NULL,"
                       " last_review INTEGER NOT NULL, logged INTEGER NOT NULL DEFAULT 0)"
                       " WITHOUT ROWID"),
        // A card's answers in time order, all that computing the card needs.
        QStringLiteral("CREATE INDEX reviews_card_time ON reviews(side1, comment1,"
                       " side2, comment2, direction, at_ms, computer, seq, id, grade)"),
    },
    // Two computers that answered alike write the same bytes having counted different
    // answers: what a version has counted is kept for each computer that wrote it. The
    // logs are read again from their start to say it (their answers are taken once all
    // the same).
    {
        QStringLiteral("DROP TABLE versions"),
        QStringLiteral("DROP TABLE version_includes"),
        QStringLiteral("CREATE TABLE versions (hash TEXT NOT NULL, writer TEXT NOT NULL,"
                       " dictionary TEXT NOT NULL, PRIMARY KEY (hash, writer)) WITHOUT ROWID"),
        QStringLiteral("CREATE TABLE version_includes (hash TEXT NOT NULL,"
                       " writer TEXT NOT NULL, computer TEXT NOT NULL, seq INTEGER NOT NULL,"
                       " PRIMARY KEY (hash, writer, computer)) WITHOUT ROWID"),
        QStringLiteral("UPDATE logs SET offset = 0, last_seq = 0"),
    },
    // Each pair's texts once, numbered, and the answers and cards naming the pair by its
    // number: a history of many answers takes about half the room, and an answer writes a few
    // short index entries instead of long texts. The views show them as before.
    {
        QStringLiteral("CREATE TABLE pairs (id INTEGER PRIMARY KEY,"
                       " side1 TEXT NOT NULL, comment1 TEXT NOT NULL,"
                       " side2 TEXT NOT NULL, comment2 TEXT NOT NULL,"
                       " UNIQUE (side1, comment1, side2, comment2))"),
        QStringLiteral("INSERT OR IGNORE INTO pairs (side1, comment1, side2, comment2)"
                       " SELECT side1, comment1, side2, comment2 FROM reviews"
                       " UNION SELECT side1, comment1, side2, comment2 FROM cards"),
        QStringLiteral("CREATE TABLE answers ("
                       " id INTEGER PRIMARY KEY,"
                       " at_ms INTEGER NOT NULL,"
                       " pair INTEGER NOT NULL REFERENCES pairs(id),"
                       " direction INTEGER NOT NULL," // the side offered, 1 or 2
                       " grade INTEGER NOT NULL,"     // 1 again, 2 hard, 3 good, 4 easy
                       " typed TEXT NOT NULL,"
                       " duration_ms INTEGER NOT NULL,"
                       " dictionary TEXT NOT NULL,"
                       " session TEXT NOT NULL,"
                       " settled INTEGER NOT NULL DEFAULT 0,"
                       // the computer that gave it and its number in that computer's log
                       // (none: this computer's answer, not numbered yet)
                       " computer TEXT, seq INTEGER)"),
        QStringLiteral("INSERT INTO answers (id, at_ms, pair, direction, grade, typed,"
                       " duration_ms, dictionary, session, settled, computer, seq)"
                       " SELECT r.id, r.at_ms, p.id, r.direction, r.grade, r.typed,"
                       " r.duration_ms, r.dictionary, r.session, r.settled, r.computer,"
                       " r.seq FROM reviews r JOIN pairs p ON p.side1 = r.side1 AND"
                       " p.comment1 = r.comment1 AND p.side2 = r.side2 AND"
                       " p.comment2 = r.comment2"),
        QStringLiteral("CREATE TABLE card_states ("
                       " pair INTEGER NOT NULL REFERENCES pairs(id),"
                       " direction INTEGER NOT NULL,"
                       " stability REAL NOT NULL, difficulty REAL NOT NULL,"
                       " last_review_ms INTEGER NOT NULL, due_ms INTEGER NOT NULL,"
                       " introduced_ms INTEGER NOT NULL,"
                       " reviews INTEGER NOT NULL, lapses INTEGER NOT NULL,"
                       " PRIMARY KEY (pair, direction)) WITHOUT ROWID"),
        QStringLiteral("INSERT INTO card_states SELECT p.id, c.direction, c.stability,"
                       " c.difficulty, c.last_review_ms, c.due_ms, c.introduced_ms,"
                       " c.reviews, c.lapses FROM cards c JOIN pairs p ON"
                       " p.side1 = c.side1 AND p.comment1 = c.comment1 AND"
                       " p.side2 = c.side2 AND p.comment2 = c.comment2"),
        QStringLiteral("DROP TABLE reviews"),
        QStringLiteral("DROP TABLE cards"),
        QStringLiteral("CREATE VIEW reviews AS SELECT a.id, a.at_ms, p.side1, p.comment1,"
                       " p.side2, p.comment2, a.direction, a.grade, a.typed, a.duration_ms,"
                       " a.dictionary, a.session, a.settled, a.computer, a.seq"
                       " FROM answers a JOIN pairs p ON p.id = a.pair"),
        QStringLiteral("CREATE VIEW cards AS SELECT p.side1, p.comment1, p.side2,"
                       " p.comment2, c.direction, c.stability, c.difficulty,"
                       " c.last_review_ms, c.due_ms, c.introduced_ms, c.reviews, c.lapses"
                       " FROM card_states c JOIN pairs p ON p.id = c.pair"),
        QStringLiteral("CREATE INDEX answers_unsettled ON answers(dictionary)"
                       " WHERE settled = 0"),
        QStringLiteral("CREATE UNIQUE INDEX answers_logged ON answers(computer, seq)"
                       " WHERE seq IS NOT NULL"),
        QStringLiteral("CREATE INDEX answers_unlogged ON answers(id) WHERE seq IS NULL"),
        AnswerIndexes[0].statement,
        AnswerIndexes[1].statement,
        AnswerIndexes[2].statement,
    },
    // A version made from a file that no log names yet, written a short while before, waits
    // for the log that names it: when that file was written is kept.
    {
        QStringLiteral("ALTER TABLE own_versions ADD COLUMN base_written_ms INTEGER NOT NULL"
                       " DEFAULT 0"),
    },
    // What a version has counted of a computer's answers is kept as runs of their numbers,
    // not as one last number: a computer's answers may lie partly in a conflict copy and
    // partly in the file; all of it in the version's row, as its writer logged it. Each
    // answer given here names the first version of its file that counted it, and a version
    // the versions it was made from.
    {
        QStringLiteral("ALTER TABLE versions ADD COLUMN counts TEXT NOT NULL DEFAULT ''"),
        QStringLiteral("UPDATE versions SET counts = coalesce((SELECT group_concat(c, ',')"
                       " FROM (SELECT computer || ':1-' || seq AS c FROM version_includes i"
                       " WHERE i.hash = versions.hash AND i.writer = versions.writer AND"
                       " seq > 0 ORDER BY computer)), '')"),
        QStringLiteral("DROP TABLE version_includes"),
        QStringLiteral("CREATE TABLE version_bases (hash TEXT NOT NULL, base TEXT NOT NULL,"
                       " PRIMARY KEY (hash, base)) WITHOUT ROWID"),
        QStringLiteral("ALTER TABLE answers ADD COLUMN counted_in TEXT"),
        // What the files hold already is counted by no version.
        QStringLiteral("UPDATE answers SET counted_in = '' WHERE settled = 1"),
        QStringLiteral("CREATE INDEX answers_uncounted ON answers(dictionary)"
                       " WHERE counted_in IS NULL AND session <> ''"),
        QStringLiteral("CREATE INDEX answers_counted_in ON answers(counted_in)"
                       " WHERE counted_in IS NOT NULL"),
        // A merge's version: what it counted of the other computers' answers (NULL: what
        // the version it was made from had).
        QStringLiteral("ALTER TABLE own_versions ADD COLUMN counted TEXT"),
        // The versions that more than one computer wrote, the few that may owe answers.
        QStringLiteral("CREATE TABLE alike_versions (hash TEXT PRIMARY KEY,"
                       " dictionary TEXT NOT NULL) WITHOUT ROWID"),
        QStringLiteral("INSERT INTO alike_versions SELECT hash, min(dictionary) FROM versions"
                       " GROUP BY hash HAVING count(*) > 1"),
    },
    // One computer may write the same bytes twice having counted different answers (a file
    // replaced by a sync and answered on to the counters of its conflict copy): each word is
    // kept, not only its last. The logs are read again from their start to bring back the
    // words that a later one replaced.
    {
        QStringLiteral("CREATE TABLE version_words (hash TEXT NOT NULL, writer TEXT NOT NULL,"
                       " dictionary TEXT NOT NULL, counts TEXT NOT NULL,"
                       " PRIMARY KEY (hash, writer, counts)) WITHOUT ROWID"),
        QStringLiteral("INSERT INTO version_words SELECT hash, writer, dictionary, counts"
                       " FROM versions"),
        QStringLiteral("DROP TABLE versions"),
        QStringLiteral("ALTER TABLE version_words RENAME TO versions"),
        QStringLiteral("UPDATE logs SET offset = 0, last_seq = 0"),
    },
    // The counters of a dictionary in the synchronised folder follow from the answers and
    // from the counters set by the user (a dictionary entering the folder, a reset, a pair
    // renamed), which every computer logs; what versions of files counted is not kept.
    {
        QStringLiteral("DROP TABLE versions"),
        QStringLiteral("DROP TABLE version_bases"),
        QStringLiteral("DROP TABLE alike_versions"),
        QStringLiteral("DROP TABLE own_versions"),
        QStringLiteral("DROP INDEX answers_uncounted"),
        QStringLiteral("DROP INDEX answers_counted_in"),
        QStringLiteral("ALTER TABLE answers DROP COLUMN counted_in"),
        // `computer` and `seq` as for answers (none: set here, not numbered yet; it is
        // numbered after the answer `after_answer`); `context`: the records its computer
        // had read, as runs of numbers by computer (this computer's own are added when it
        // is numbered).
        QStringLiteral("CREATE TABLE counter_settings (id INTEGER PRIMARY KEY,"
                       " computer TEXT, seq INTEGER, at_ms INTEGER NOT NULL,"
                       " dictionary TEXT NOT NULL, pair INTEGER NOT NULL REFERENCES pairs(id),"
                       " offers1 INTEGER NOT NULL, offers2 INTEGER NOT NULL,"
                       " errors1 INTEGER NOT NULL, errors2 INTEGER NOT NULL,"
                       " context TEXT NOT NULL, after_answer INTEGER NOT NULL DEFAULT 0,"
                       " entering INTEGER NOT NULL DEFAULT 0)"),
        QStringLiteral("CREATE UNIQUE INDEX counter_settings_logged ON"
                       " counter_settings(computer, seq) WHERE seq IS NOT NULL"),
        QStringLiteral("CREATE INDEX counter_settings_dictionary ON"
                       " counter_settings(dictionary)"),
        AnswerIndexes[3].statement,
    },
    // A dictionary's answers are indexed by computer before pair: the shared counters read
    // each computer's run of them.
    {
        QStringLiteral("DROP INDEX IF EXISTS answers_dictionary_pair"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS answers_dictionary_computer ON"
                       " answers(dictionary, computer, pair, seq, direction, grade)"),
    },
};

} // namespace

PairText PairTextOf(const VocabularyEntry &entry)
{
    return {entry.side[1], entry.comment[1], entry.side[2], entry.comment[2]};
}

size_t qHash(const PairText &pair, size_t seed)
{
    return qHashMulti(seed, pair.side1, pair.comment1, pair.side2, pair.comment2);
}

size_t qHash(const CardKey &key, size_t seed)
{
    return qHashMulti(seed, key.pair, key.offeredSide);
}

QString SqlFailureReason(const QSqlError &error)
{
    return error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
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
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(500);
    connect(&m_retry, &QTimer::timeout, this, &ReviewHistory::retry);
}

ReviewHistory::~ReviewHistory()
{
    m_checkpointer.reset();
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
    return failWith(error.nativeErrorCode().toInt() & 0xff, SqlFailureReason(error));
}

bool ReviewHistory::failWith(int code, const QString &reason)
{
    if (code == SqliteBusy || code == SqliteLocked) {
        m_locked = true;
        return false;
    }
    if (!m_failure)
        m_failure = Failure{reason, code};
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
            emit troubled(Texts::tr("Historie odpovědí %1 je poškozená (%2). Program ji "
                                    "odložil jako %3 a začíná novou.")
                              .arg(m_path, failure.reason, asideAs));
            return;
        }
    }
    tell(Texts::tr("Historii odpovědí %1 nelze použít: %2. Procvičování pokračuje bez ní, "
                   "podle statistiky uložené ve slovníku.")
             .arg(m_path, failure.reason));
}

// The damaged file and its companions keep their content under a dated name; nothing of a
// user's history is ever deleted. Returns the new name, or empty when it cannot be moved.
QString ReviewHistory::setAside()
{
    m_checkpointer.reset(); // its connection is to the file set aside
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

bool ReviewHistory::inTransaction(const std::function<bool()> &body)
{
    QString reason;
    QSqlError error;
    if (InWriteTransaction(QSqlDatabase::database(m_connection, false), &reason, body, &error))
        return true;
    // The body has told its own failure; that of BEGIN or COMMIT (a lock among them) is told
    // here.
    if (error.type() != QSqlError::NoError)
        failWith(error);
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
        tell(Texts::tr("Historii odpovědí nelze vést: chybí ovladač SQLite pro Qt (balíček "
                       "libqt6sql6-sqlite). Procvičování pokračuje podle statistiky uložené "
                       "ve slovníku."));
        return false;
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    close(); // a connection left by an opening that found the lock held
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    // Another copy of the program may be writing: wait for it a moment, never longer.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(LockWaitMs));
    if (!db.open())
        return failWith(db.lastError());
    // Checkpoints, which sync the files, run on a thread of their own (WalCheckpointer).
    if (!execute(QStringLiteral("PRAGMA journal_mode=WAL"))
        || !execute(QStringLiteral("PRAGMA synchronous=NORMAL"))
        || !execute(QStringLiteral("PRAGMA wal_autocheckpoint=0"))
        // Room for the pages of the answers' indexes when other computers' answers come in.
        || !execute(QStringLiteral("PRAGMA cache_size=-16000")) || !checkPages() || !migrate())
        return false;
    if (!m_checkpointer)
        m_checkpointer = std::make_unique<WalCheckpointer>(m_path);
    m_open = true;
    applySettlingNotes();
    return m_open;
}

// A page damaged where no query of the start looks (a crash of the disk, a copy cut short)
// would be written over answer after answer: the file's structure is checked once at each
// opening, and a damaged file is set aside as one whose header is broken. The check reads the
// whole file: milliseconds for a year of answers, a fraction of a second for 100,000.
bool ReviewHistory::checkPages()
{
    QSqlQuery check(QSqlDatabase::database(m_connection, false));
    if (!check.exec(QStringLiteral("PRAGMA quick_check(1)")) || !check.next())
        return failWith(check.lastError());
    const QString verdict = check.value(0).toString();
    if (verdict == QLatin1String("ok"))
        return true;
    check.finish();
    return failWith(SqliteCorrupt, Texts::tr("kontrola souboru našla poškozenou stránku"));
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
        tell(Texts::tr("Historii odpovědí %1 zapsala novější verze programu (schéma %2); "
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
            for (const QString &statement : SchemaSteps.at(step)) {
                if (!execute(statement))
                    return false;
            }
        }
        return execute(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
    });
}

std::optional<Card> ReviewHistory::record(const AnswerRecord &answer)
{
    std::optional<Card> after;
    m_unsettled.insert(answer.dictionary);
    guarded([&] { enqueue({PendingWrite::Kind::Answer, answer, QString(), {}, {}}, &after); });
    return after;
}

void ReviewHistory::enqueue(PendingWrite write, std::optional<Card> *after)
{
    m_pending.append(std::move(write));
    // While the lock is known to be held, the retry comes; nothing waits for it now.
    if (m_retry.isActive())
        return;
    drain(after);
}

bool ReviewHistory::drain(std::optional<Card> *lastAnswer)
{
    // A message of a failure can run the event loop, and with it the retry: one drain at once.
    if (m_draining)
        return false;
    m_draining = true;
    const auto done = qScopeGuard([this] { m_draining = false; });
    while (!m_pending.isEmpty()) {
        const PendingWrite write = m_pending.first();
        const bool answer = write.kind == PendingWrite::Kind::Answer;
        std::optional<Card> after;
        m_locked = false;
        const Outcome outcome = run(write, &after);
        if (outcome == Outcome::Locked) {
            retryLater();
            noteWaitingSettlings();
            return false;
        }
        // A settling that fails is kept for the next attempt: an answer that the file holds
        // must never be taken for one it is missing. An answer that fails was told of.
        if (outcome == Outcome::Failed && !answer) {
            noteWaitingSettlings();
            return false;
        }
        m_pending.removeFirst();
        if (answer && m_pending.isEmpty() && lastAnswer)
            *lastAnswer = after;
    }
    noteWaitingSettlings();
    return true;
}

void ReviewHistory::retryLater()
{
    m_waitedForLock = true;
    m_retry.start();
}

void ReviewHistory::retry()
{
    bool free = false;
    guarded([&] {
        if (!drain())
            return;
        // Nothing waits, but someone does (a taking over of answers): is the lock free now?
        m_locked = false;
        if (ensureOpen() && execute(QStringLiteral("BEGIN IMMEDIATE"))) {
            execute(QStringLiteral("ROLLBACK"));
            free = true;
        } else if (m_locked) {
            retryLater();
        }
    });
    if (free && std::exchange(m_waitedForLock, false))
        emit caughtUp();
}

ReviewHistory::Outcome ReviewHistory::run(const PendingWrite &write, std::optional<Card> *after)
{
    if (write.kind == PendingWrite::Kind::Answer)
        return recordAnswer(write.answer, after);
    if (write.kind == PendingWrite::Kind::Settings)
        return settingsNow(write);
    return settleNow(write);
}

ReviewHistory::Outcome ReviewHistory::recordAnswer(const AnswerRecord &answer,
                                                   std::optional<Card> *after)
{
    if (!ensureOpen())
        return failureOutcome();
    // Read, reckon and write under one write lock, so that two copies answering the same card
    // each build on the other's answer.
    const bool recorded = inTransaction([&] {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        QString reason;
        const auto stored = ReadCards(db, {answer.card}, &reason);
        if (!stored)
            return failWith(SqlitePrimaryErrorCode(db), reason);
        const auto found = stored->constFind(answer.card);
        const std::optional<Card> before
            = found == stored->cend() ? std::nullopt : std::optional(*found);
        *after = ReviewCard(before, answer.grade, answer.atMs, m_model);
        PairNumbers pairs(db);
        if (!CardStore(db, pairs).store(answer.card, **after, &reason)
            || !AnswerInsert(db, pairs).insert(answer, answer.dictionary, m_session, false,
                                               QString(), 0, &reason))
            return failWith(SqlitePrimaryErrorCode(db), reason);
        // An answer older than the card's last one (another computer's clock is ahead): the
        // card is computed again from all its answers in time order.
        if (!before || before->lastReviewMs <= answer.atMs)
            return true;
        if (!ReplayCards(db, pairs, {answer.card}, m_model, &reason))
            return failWith(SqlitePrimaryErrorCode(db), reason);
        const auto replayed = ReadCards(db, {answer.card}, &reason);
        if (!replayed || !replayed->contains(answer.card))
            return failWith(SqlitePrimaryErrorCode(db), reason);
        *after = replayed->value(answer.card);
        return true;
    });
    if (!recorded) {
        after->reset();
        return failureOutcome();
    }
    m_told = false;
    // A few pages an answer: a checkpoint every hundred keeps the log small.
    if (++m_sinceCheckpoint >= 100 && m_checkpointer) {
        m_sinceCheckpoint = 0;
        m_checkpointer->request();
    }
    return Outcome::Done;
}

ReviewHistory::Outcome ReviewHistory::settleNow(const PendingWrite &write)
{
    if (!ensureOpen())
        return failureOutcome();
    const bool all = write.kind == PendingWrite::Kind::SettleAll;
    if (!markSettled(write.dictionary, m_session, all))
        return failureOutcome();
    if (!all)
        m_unsettled.remove(write.dictionary);
    return Outcome::Done;
}

bool ReviewHistory::markSettled(const QString &dictionary, const QString &session, bool all)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("UPDATE answers SET settled = 1"
                                 " WHERE settled = 0 AND dictionary = ? AND (session = ? OR ?)"));
    query.addBindValue(SqlText(dictionary));
    query.addBindValue(session);
    query.addBindValue(all ? 1 : 0);
    return query.exec() || failWith(query.lastError());
}

std::optional<QHash<CardKey, Card>> ReviewHistory::cardsOf(const QList<PairText> &pairs)
{
    return guarded([&]() -> std::optional<QHash<CardKey, Card>> {
        if (!ensureOpen())
            return std::nullopt;
        QList<CardKey> wanted;
        wanted.reserve(pairs.size() * 2);
        for (const PairText &pair : pairs) {
            wanted.append({pair, 1});
            wanted.append({pair, 2});
        }
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        QString reason;
        std::optional<QHash<CardKey, Card>> cards = ReadCards(db, wanted, &reason);
        if (!cards)
            failWith(SqlitePrimaryErrorCode(db), reason);
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
        query.addBindValue(SqlText(dictionary));
        if (!query.exec()) {
            failWith(query.lastError());
            return answers;
        }
        while (query.next())
            answers.append(
                {query.value(0).toLongLong(), CardKeyAt(query, 1), Grade(query.value(6).toInt())});
        return answers;
    });
}

// Read and taken over in one transaction: what is counted is exactly what this run settles.
std::optional<QList<UnsettledAnswer>> ReviewHistory::claimUnsettled(const QString &dictionary)
{
    std::optional<QList<UnsettledAnswer>> claimed;
    guarded([&] {
        // Writes that wait come first; until they are done, nothing is taken.
        if (!m_pending.isEmpty()) {
            m_waitedForLock = true;
            return;
        }
        m_locked = false;
        if (!ensureOpen()) {
            if (m_locked)
                retryLater();
            return;
        }
        QList<UnsettledAnswer> answers;
        const bool taken = inTransaction([&] {
            QSqlQuery query(QSqlDatabase::database(m_connection, false));
            query.prepare(QStringLiteral("SELECT id, side1, comment1, side2, comment2, direction,"
                                         " grade FROM reviews WHERE settled = 0 AND dictionary = ?"
                                         " AND session <> ? ORDER BY id"));
            query.addBindValue(SqlText(dictionary));
            query.addBindValue(m_session);
            if (!query.exec())
                return failWith(query.lastError());
            while (query.next())
                answers.append({query.value(0).toLongLong(), CardKeyAt(query, 1),
                                Grade(query.value(6).toInt())});
            query.finish();
            query.prepare(QStringLiteral("UPDATE answers SET session = ? WHERE settled = 0"
                                         " AND dictionary = ? AND session <> ?"));
            query.addBindValue(m_session);
            query.addBindValue(SqlText(dictionary));
            query.addBindValue(m_session);
            return query.exec() || failWith(query.lastError());
        });
        if (taken) {
            m_retry.stop(); // the lock is free, and nothing waits
            if (!answers.isEmpty())
                m_unsettled.insert(dictionary);
            claimed = std::move(answers);
        } else if (m_locked) {
            retryLater();
        }
    });
    return claimed;
}

void ReviewHistory::settle(const QString &dictionary)
{
    // A dictionary without answers of this run has nothing to settle; a settling that waits
    // is tried again with this one.
    if (!m_unsettled.contains(dictionary) && m_pending.isEmpty())
        return;
    // A later settling of the same dictionary covers an earlier one.
    m_pending.removeIf([&](const PendingWrite &write) {
        return write.kind == PendingWrite::Kind::Settle && write.dictionary == dictionary;
    });
    if (m_unsettled.contains(dictionary))
        guarded([&] { enqueue({PendingWrite::Kind::Settle, {}, dictionary, {}, {}}); });
    else if (!m_retry.isActive())
        guarded([&] { drain(); });
}

void ReviewHistory::settleAll(const QString &dictionary)
{
    guarded([&] { enqueue({PendingWrite::Kind::SettleAll, {}, dictionary, {}, {}}); });
}

void ReviewHistory::noteSettings(const QList<CounterSetting> &settings,
                                 const std::optional<SettingContext> &context)
{
    if (settings.isEmpty())
        return;
    PendingWrite write;
    write.kind = PendingWrite::Kind::Settings;
    write.settings = settings;
    write.context = context;
    guarded([&] { enqueue(std::move(write)); });
}

std::optional<SettingContext> ReviewHistory::contextNow()
{
    return guarded([&]() -> std::optional<SettingContext> {
        if (!ensureOpen())
            return std::nullopt;
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        QString reason;
        const auto context = ContextNow(db, &reason);
        if (!context)
            failWith(SqlitePrimaryErrorCode(db), reason);
        return context;
    });
}

// Stored unnumbered, with what this computer had read of the others and after which of its
// answers it came; numbered in that order when it goes to the log.
ReviewHistory::Outcome ReviewHistory::settingsNow(const PendingWrite &write)
{
    if (!ensureOpen())
        return failureOutcome();
    const bool done = inTransaction([&] {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        QString reason;
        std::optional<SettingContext> context = write.context;
        if (!context)
            context = ContextNow(db, &reason);
        PairNumbers pairs(db);
        if (!context || !StoreOwnSettings(db, pairs, write.settings, *context, &reason))
            return failWith(SqlitePrimaryErrorCode(db), reason);
        return true;
    });
    return done ? Outcome::Done : failureOutcome();
}

int ReviewHistory::waitingAnswers() const
{
    return int(std::count_if(m_pending.cbegin(), m_pending.cend(), [](const PendingWrite &write) {
        return write.kind == PendingWrite::Kind::Answer;
    }));
}

int ReviewHistory::finish(int budgetMs)
{
    QElapsedTimer waited;
    waited.start();
    m_retry.stop();
    while (!guarded([&] { return drain(); })) {
        m_retry.stop();
        if (waited.elapsed() >= budgetMs || !m_locked)
            break;
        QThread::msleep(50);
    }
    if (m_locked && !m_pending.isEmpty())
        m_retry.start();
    return waitingAnswers();
}

// ---- notes of settlings that wait ----

QString ReviewHistory::settlingNotePrefix() const
{
    return QFileInfo(m_path).fileName() + QStringLiteral(".settled-");
}

// One note file per state of the waiting settlings, never changed once written, so that a
// copy that applies another's note never loses a line that copy adds later.
void ReviewHistory::noteWaitingSettlings()
{
    QStringList dictionaries;
    for (const PendingWrite &write : m_pending) {
        if (write.kind == PendingWrite::Kind::Settle || write.kind == PendingWrite::Kind::SettleAll)
            dictionaries.append(QString::number(int(write.kind)) + QLatin1Char(' ')
                                + write.dictionary);
    }
    const QStringList older = std::exchange(m_notes, {});
    if (!dictionaries.isEmpty()) {
        const QString note = QFileInfo(m_path).dir().filePath(
            settlingNotePrefix() + m_session + QLatin1Char('-') + QString::number(++m_noteNumber));
        QSaveFile file(note);
        const QByteArray content = dictionaries.join(QLatin1Char('\n')).toUtf8() + '\n';
        if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size()
            && file.commit())
            m_notes.append(note);
    }
    for (const QString &note : older)
        QFile::remove(note);
}

// The settlings that a run noted and did not live to write (its own, or a copy's still
// running: applying them early is right, their files hold the answers).
void ReviewHistory::applySettlingNotes()
{
    const QDir folder = QFileInfo(m_path).dir();
    const QString prefix = settlingNotePrefix();
    for (const QString &name : folder.entryList({prefix + QLatin1Char('*')}, QDir::Files)) {
        const QString session = name.mid(prefix.size()).section(QLatin1Char('-'), 0, 0);
        QFile note(folder.filePath(name));
        if (session == m_session || !note.open(QIODevice::ReadOnly))
            continue;
        const QStringList lines = QString::fromUtf8(note.readAll()).split(QLatin1Char('\n'));
        note.close();
        const bool applied = inTransaction([&] {
            for (const QString &line : lines) {
                const bool all = line.startsWith(QString::number(int(PendingWrite::Kind::SettleAll))
                                                 + QLatin1Char(' '));
                const QString dictionary = line.section(QLatin1Char(' '), 1);
                if (!dictionary.isEmpty() && !markSettled(dictionary, session, all))
                    return false;
            }
            return true;
        });
        if (!applied)
            return;
        QFile::remove(note.fileName());
    }
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
        if (query.exec(QStringLiteral("SELECT count(*) FROM answers")) && query.next())
            return query.value(0).toLongLong();
        failWith(query.lastError());
        return qint64(0);
    });
}
