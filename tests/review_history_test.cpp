#include "drill/drill_session.h"
#include "history/review_history.h"
#include "settings/settings.h"
#include "test_support.h"
#include "vocabulary/current_dictionary.h"
#include "vocabulary/vocabulary_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <QVariant>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Another program's connection that holds the history's write lock while it lives.
class LockHolder
{
public:
    explicit LockHolder(const QString &path)
        : m_name(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        held = db.open() && QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE"));
    }
    ~LockHolder()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    bool held = false;

private:
    QString m_name;
};

const PairText Dog{QStringLiteral("pes"), QString(), QStringLiteral("r Hund"), QString()};
const PairText Cat{QStringLiteral("kočka "), QStringLiteral("zvíře"), QStringLiteral("e Katze"),
                   QString()};

class ReviewHistoryTest : public testing::Test
{
protected:
    QString path(const char *name) const { return QDir(dir.path()).filePath(QLatin1String(name)); }
    QString database() const { return HistoryFilePath(dir.path()); }
    static AnswerRecord answer(const PairText &pair, int side, Grade grade, qint64 atMs,
                               const QString &dictionary = QStringLiteral("/d/lekce.slv"))
    {
        return {atMs, {pair, side}, grade, QStringLiteral("typed"), 1500, dictionary};
    }
    QVariant value(const char *statement) const
    {
        return queryValue(database(), QLatin1String(statement));
    }
    // Keeps what the history tells the user, in order, in messages.
    void listen(ReviewHistory &history)
    {
        QObject::connect(&history, &ReviewHistory::troubled,
                         [this](const QString &text) { messages.append(text); });
    }

    QTemporaryDir dir;
    QStringList messages;
};

TEST_F(ReviewHistoryTest, EachAnswerAddsARowAndUpdatesItsCardInOneStep)
{
    ReviewHistory history(database());
    std::optional<Card> expected;
    for (const auto &[day, grade] :
         {std::pair{0, Grade::Good}, {3, Grade::Hard}, {14, Grade::Again}}) {
        const qint64 at = day * MsPerDay;
        expected = ReviewCard(expected, grade, at, MemoryModel{});
        EXPECT_EQ(history.record(answer(Dog, 1, grade, at)), expected);
    }
    history.record(answer(Dog, 2, Grade::Good, 0)); // the other direction is its own card
    history.record(answer(Cat, 1, Grade::Good, 0));

    // Another copy of the program reads the same cards, identified by the pairs' texts.
    ReviewHistory other(database());
    const QHash<CardKey, Card> cards = other.cardsOf({Dog}).value();
    ASSERT_EQ(cards.size(), 2);
    EXPECT_EQ(cards.value({Dog, 1}), *expected);
    EXPECT_EQ(cards.value({Dog, 2}).reviews, 1);
    EXPECT_EQ(other.cardsOf({Cat})->value({Cat, 1}).reviews, 1) << "a comment is part of the pair";
    EXPECT_EQ(other.answerCount(), 5);
    EXPECT_EQ(value("SELECT group_concat(grade || ':' || direction || ':' || typed || ':' || "
                    "duration_ms || ':' || dictionary || ':' || settled, '|') FROM reviews "
                    "WHERE side1 = 'pes'"),
              QStringLiteral("3:1:typed:1500:/d/lekce.slv:0|2:1:typed:1500:/d/lekce.slv:0|"
                             "1:1:typed:1500:/d/lekce.slv:0|3:2:typed:1500:/d/lekce.slv:0"));
    EXPECT_EQ(value("PRAGMA journal_mode"), QStringLiteral("wal"));
}

// The tables as the fourth version of the schema left them, with one answer and its card.
const char *const FourthSchema[]
    = {"CREATE TABLE reviews (id INTEGER PRIMARY KEY, at_ms INTEGER NOT NULL, side1 TEXT NOT NULL,"
       " comment1 TEXT NOT NULL, side2 TEXT NOT NULL, comment2 TEXT NOT NULL,"
       " direction INTEGER NOT NULL, grade INTEGER NOT NULL, typed TEXT NOT NULL,"
       " duration_ms INTEGER NOT NULL, dictionary TEXT NOT NULL, session TEXT NOT NULL,"
       " settled INTEGER NOT NULL DEFAULT 0, computer TEXT, seq INTEGER)",
       "CREATE INDEX reviews_unsettled ON reviews(dictionary) WHERE settled = 0",
       "CREATE INDEX reviews_time ON reviews(at_ms)",
       "CREATE TABLE cards (side1 TEXT NOT NULL, comment1 TEXT NOT NULL, side2 TEXT NOT NULL,"
       " comment2 TEXT NOT NULL, direction INTEGER NOT NULL, stability REAL NOT NULL,"
       " difficulty REAL NOT NULL, last_review_ms INTEGER NOT NULL, due_ms INTEGER NOT NULL,"
       " introduced_ms INTEGER NOT NULL, reviews INTEGER NOT NULL, lapses INTEGER NOT NULL,"
       " PRIMARY KEY (side1, comment1, side2, comment2, direction)) WITHOUT ROWID",
       "CREATE INDEX reviews_dictionary_time ON reviews(dictionary, at_ms)",
       "CREATE INDEX reviews_card ON reviews(side1, comment1, side2, comment2, direction,"
       " dictionary)",
       "CREATE UNIQUE INDEX reviews_logged ON reviews(computer, seq) WHERE seq IS NOT NULL",
       "CREATE INDEX reviews_unlogged ON reviews(id) WHERE seq IS NULL",
       "CREATE TABLE logs (computer TEXT PRIMARY KEY, offset INTEGER NOT NULL,"
       " last_seq INTEGER NOT NULL)",
       "CREATE TABLE own_versions (hash TEXT PRIMARY KEY, dictionary TEXT NOT NULL,"
       " bases TEXT NOT NULL, last_review INTEGER NOT NULL, logged INTEGER NOT NULL DEFAULT 0)"
       " WITHOUT ROWID",
       "CREATE INDEX reviews_card_time ON reviews(side1, comment1, side2, comment2, direction,"
       " at_ms, computer, seq, id, grade)",
       "CREATE TABLE versions (hash TEXT NOT NULL, writer TEXT NOT NULL, dictionary TEXT NOT NULL,"
       " PRIMARY KEY (hash, writer)) WITHOUT ROWID",
       "CREATE TABLE version_includes (hash TEXT NOT NULL, writer TEXT NOT NULL,"
       " computer TEXT NOT NULL, seq INTEGER NOT NULL, PRIMARY KEY (hash, writer, computer))"
       " WITHOUT ROWID",
       "INSERT INTO reviews VALUES (7, 1000, 'pes', '', 'r Hund', '', 1, 3, 'Hund', 1500,"
       " '/d/lekce.slv', 's', 1, 'b', 4)",
       "INSERT INTO reviews VALUES (9, 2000, 'kočka ', 'zvíře', 'e Katze', '', 2, 1, 'Katz', 900,"
       " '/d/lekce.slv', 's', 0, NULL, NULL)",
       "INSERT INTO cards VALUES ('pes', '', 'r Hund', '', 1, 2.5, 5.0, 1000, 90000, 1000, 1, 0)",
       "PRAGMA user_version = 4"};

static void WriteFourthSchema(const QString &database)
{
    for (const char *statement : FourthSchema)
        queryValue(database, QString::fromUtf8(statement));
}

TEST_F(ReviewHistoryTest, TheSchemaIsCreatedOnceAndKeptWhenOpenedAgain)
{
    {
        ReviewHistory history(database());
        ASSERT_TRUE(history.ensureOpen());
        history.record(answer(Dog, 1, Grade::Good, 0));
    }
    EXPECT_EQ(value("PRAGMA user_version").toInt(), ReviewHistory::SchemaVersion);
    {
        ReviewHistory again(database());
        EXPECT_EQ(again.answerCount(), 1) << "opening again keeps what is there";
    }
}

// A history of the ninth schema, whose answers were indexed by pair before computer, is
// brought to the current one with its answers.
TEST_F(ReviewHistoryTest, ANinthSchemaHistoryIsBroughtOnWithItsAnswers)
{
    {
        ReviewHistory history(database());
        ASSERT_TRUE(history.ensureOpen());
        history.record(answer(Dog, 1, Grade::Good, 0));
    }
    for (const char *statement :
         {"DROP INDEX answers_dictionary_computer",
          "CREATE INDEX answers_dictionary_pair ON answers(dictionary, pair, computer, seq,"
          " direction, grade)",
          "PRAGMA user_version = 9"})
        queryValue(database(), QString::fromUtf8(statement));
    EXPECT_EQ(ReviewHistory(database()).answerCount(), 1);
    EXPECT_EQ(value("PRAGMA user_version").toInt(), ReviewHistory::SchemaVersion);
}

// A database of the fourth version: its pairs are numbered, and every answer and card is kept,
// by its texts as before.
TEST_F(ReviewHistoryTest, AFourthSchemaHistoryKeepsEveryAnswerAndCard)
{
    WriteFourthSchema(database());
    {
        ReviewHistory fourth(database());
        EXPECT_EQ(fourth.answerCount(), 2);
        const auto cards = fourth.cardsOf({Dog, Cat});
        ASSERT_TRUE(cards);
        EXPECT_EQ(cards->size(), 1);
        EXPECT_EQ(cards->value({Dog, 1}), (Card{{2.5, 5.0}, 1000, 90000, 1000, 1, 0}));
        EXPECT_EQ(fourth.unsettledAnswers(QStringLiteral("/d/lekce.slv")).size(), 1);
    }
    EXPECT_EQ(value("PRAGMA user_version").toInt(), ReviewHistory::SchemaVersion);
    EXPECT_EQ(value("SELECT group_concat(id || ':' || at_ms || ':' || side1 || ':' || comment1 || "
                    "':' || side2 || ':' || direction || ':' || grade || ':' || typed || ':' || "
                    "duration_ms || ':' || dictionary || ':' || settled || ':' || "
                    "coalesce(computer || seq, '-'), '|') FROM reviews"),
              U("7:1000:pes::r Hund:1:3:Hund:1500:/d/lekce.slv:1:b4|"
                "9:2000:kočka :zvíře:e Katze:2:1:Katz:900:/d/lekce.slv:0:-"));
    EXPECT_EQ(value("SELECT count(*) FROM pairs").toInt(), 2);
    EXPECT_EQ(value("SELECT count(*) FROM sqlite_master WHERE name LIKE 'reviews_%'").toInt(), 0)
        << "the indexes over the texts are gone";
}

// A database of the first version gets what the later ones added, and keeps its answers.
TEST_F(ReviewHistoryTest, AFirstSchemaHistoryGetsWhatTheLaterOnesAdded)
{
    WriteFourthSchema(database());
    for (const char *statement :
         {"DROP INDEX reviews_dictionary_time", "DROP INDEX reviews_card",
          "DROP INDEX reviews_logged", "DROP INDEX reviews_unlogged",
          "DROP INDEX reviews_card_time", "DROP TABLE logs", "DROP TABLE versions",
          "DROP TABLE version_includes", "DROP TABLE own_versions",
          "ALTER TABLE reviews DROP COLUMN computer", "ALTER TABLE reviews DROP COLUMN seq",
          "PRAGMA user_version = 1"})
        queryValue(database(), QString::fromLatin1(statement));
    EXPECT_EQ(ReviewHistory(database()).answerCount(), 2);
    EXPECT_EQ(value("PRAGMA user_version").toInt(), ReviewHistory::SchemaVersion);
    EXPECT_EQ(value("SELECT count(*) FROM sqlite_master WHERE name IN "
                    "('answers_dictionary_time', 'answers_logged', 'answers_unlogged', "
                    "'answers_card_time', 'logs', 'counter_settings', "
                    "'counter_settings_logged', 'counter_settings_dictionary')")
                  .toInt(),
              8);
    EXPECT_EQ(value("SELECT count(*) FROM sqlite_master WHERE name IN ('versions', "
                    "'version_bases', 'own_versions', 'alike_versions', 'answers_uncounted', "
                    "'answers_counted_in')")
                  .toInt(),
              0)
        << "what versions of files counted is not kept";
    EXPECT_EQ(value("SELECT count(*) FROM reviews WHERE computer IS NULL AND seq IS NULL").toInt(),
              2);
}

// The versions of the third schema did not say who wrote them: the logs are read again.
TEST_F(ReviewHistoryTest, AThirdSchemaHistoryReadsTheLogsAgain)
{
    WriteFourthSchema(database());
    queryValue(database(), QStringLiteral("INSERT INTO logs VALUES ('b', 500, 7)"));
    queryValue(database(), QStringLiteral("PRAGMA user_version = 3"));
    EXPECT_EQ(ReviewHistory(database()).answerCount(), 2);
    EXPECT_EQ(value("SELECT offset || ':' || last_seq FROM logs"), QStringLiteral("0:0"));
}

// A history of the fourth schema, with what versions of files counted, goes through every step
// to the counters set by the user, and keeps its answers.
TEST_F(ReviewHistoryTest, SettledAnswersOfTheFourthSchemaGoThroughEveryStep)
{
    WriteFourthSchema(database());
    queryValue(database(), QStringLiteral("UPDATE reviews SET settled = 1"));
    EXPECT_EQ(ReviewHistory(database()).answerCount(), 2);
    EXPECT_EQ(value("SELECT count(*) FROM pragma_table_info('answers') WHERE name = 'counted_in'")
                  .toInt(),
              0);
    EXPECT_EQ(value("SELECT count(*) FROM answers WHERE settled = 1").toInt(), 2);
}

// A database written by a later version of the program is neither used nor changed.
TEST_F(ReviewHistoryTest, ALaterSchemaIsNeitherUsedNorChanged)
{
    // A history this program kept, which a later version then carried on.
    WriteFourthSchema(database());
    EXPECT_EQ(ReviewHistory(database()).answerCount(), 2);
    queryValue(database(), QStringLiteral("PRAGMA user_version = 99"));
    const QByteArray before = ReadBytes(database());
    ReviewHistory later(database());
    listen(later);
    EXPECT_FALSE(later.record(answer(Dog, 1, Grade::Good, MsPerDay)));
    EXPECT_FALSE(later.record(answer(Dog, 1, Grade::Good, MsPerDay)));
    ASSERT_EQ(messages.size(), 1) << "told once";
    EXPECT_TRUE(messages.first().contains(QStringLiteral("novější verze")));
    EXPECT_EQ(ReadBytes(database()), before);
}

TEST_F(ReviewHistoryTest, ADamagedDatabaseIsSetAsideAndANewOneStarted)
{
    const QByteArray damaged = QByteArray("SQLite format 3") + QByteArray(5000, '\x17');
    WriteBytes(database(), damaged);
    ReviewHistory history(database());
    listen(history);
    EXPECT_TRUE(history.record(answer(Dog, 1, Grade::Good, 0))) << "a new one works";
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().contains(QStringLiteral("poškozená")));
    const QStringList aside
        = QDir(dir.path()).entryList({QStringLiteral("history-poskozena-*.sqlite")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadBytes(path(qPrintable(aside.first()))), damaged) << "kept as it was";
    EXPECT_TRUE(messages.first().contains(aside.first()));
    EXPECT_EQ(history.answerCount(), 1);
}

// A history with a zeroed page (a disk that lost a block) where no answer writes (the table of
// the other computers' logs) opens without a complaint from SQLite, and answers would go on
// into it; the check at its opening finds it, and it is set aside before anything is written.
TEST_F(ReviewHistoryTest, AHistoryWithADamagedPageIsSetAsideAtItsOpening)
{
    {
        ReviewHistory history(database());
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(history.record(answer(Dog, 1, Grade::Good, i * MsPerDay)));
    }
    const qsizetype page = value("PRAGMA page_size").toInt();
    const qsizetype logs = value("SELECT rootpage FROM sqlite_master WHERE name = 'logs'").toInt();
    QByteArray bytes = ReadBytes(database());
    ASSERT_GT(logs, 1);
    ASSERT_GE(bytes.size(), logs * page);
    bytes.replace((logs - 1) * page, page, QByteArray(page, '\0'));
    WriteBytes(database(), bytes);

    ReviewHistory history(database());
    listen(history);
    EXPECT_TRUE(history.record(answer(Cat, 1, Grade::Good, 0))) << "a new one works";
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().contains(QStringLiteral("poškozená"))) << qPrintable(messages[0]);
    const QStringList aside
        = QDir(dir.path()).entryList({QStringLiteral("history-poskozena-*.sqlite")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadBytes(path(qPrintable(aside.first()))), bytes) << "kept as it was";
    EXPECT_EQ(history.answerCount(), 1);
}

// The history in a child process whose folder became read-only or is a disk that fills up:
// the answers fail, the user is told once, and what was there before stays.
TEST_F(ReviewHistoryTest, AReadOnlyOrFullDiskIsToldOnceAndKeepsWhatWasThere)
{
    {
        ReviewHistory history(database());
        history.record(answer(Dog, 1, Grade::Good, 0));
    }
    const int readOnly = InChild([&] {
        if (!MountReadOnly(dir.path()))
            return 77;
        ReviewHistory history(database());
        listen(history);
        const bool failed = !history.record(answer(Cat, 1, Grade::Good, 0))
                            && !history.record(answer(Cat, 1, Grade::Good, 1));
        return failed && messages.size() == 1
                       && messages.first().contains(QStringLiteral("nelze použít"))
                   ? 0
                   : 1;
    });
    if (readOnly == 77)
        GTEST_SKIP() << "mounts are not allowed here";
    EXPECT_EQ(readOnly, 0);
    EXPECT_EQ(ReviewHistory(database()).answerCount(), 1);

    const QString tiny = path("tiny");
    QDir().mkpath(tiny);
    const int full = InChild([&] {
        if (!MountTinyDisk(tiny, "256k"))
            return 77;
        ReviewHistory history(HistoryFilePath(tiny));
        listen(history);
        AnswerRecord long_ = answer(Dog, 1, Grade::Good, 0);
        long_.typed = QString(4000, QLatin1Char('x'));
        int recorded = 0;
        while (recorded < 1000 && history.record(long_))
            ++recorded;
        const bool toldOnce = !history.record(long_) && messages.size() == 1;
        // What was committed before the disk filled up is all there.
        return recorded > 0 && recorded < 1000 && toldOnce
                       && queryValue(HistoryFilePath(tiny),
                                     QStringLiteral("SELECT count(*) FROM reviews"))
                                  .toInt()
                              == recorded
                   ? 0
                   : 1;
    });
    EXPECT_EQ(full, 0);
}

TEST_F(ReviewHistoryTest, TwoCopiesAnsweringAtOnceLoseNothing)
{
    ReviewHistory(database()).ensureOpen();
    constexpr int Answers = 150;
    pid_t children[2];
    for (int copy = 0; copy < 2; ++copy) {
        children[copy] = fork();
        if (children[copy] == 0) {
            int waiting = 0;
            {
                // An answer that meets the other copy's lock waits for it, never lost.
                ReviewHistory history(database());
                for (int i = 0; i < Answers; ++i)
                    history.record(answer(Dog, 1, Grade::Good, i));
                waiting = history.finish(20000);
            }
            _exit(waiting == 0 ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ReviewHistory history(database());
    EXPECT_EQ(history.answerCount(), 2 * Answers);
    EXPECT_EQ(history.cardsOf({Dog})->value({Dog, 1}).reviews, 2 * Answers)
        << "every answer built on the card as the other copy left it";
}

TEST_F(ReviewHistoryTest, AnswersAreSettledByTheirOwnRunOrAllAtOnce)
{
    const QString lesson = QStringLiteral("/d/lekce.slv");
    ReviewHistory mine(database());
    ReviewHistory other(database());
    mine.record(answer(Dog, 1, Grade::Good, 0, lesson));
    mine.record(answer(Cat, 1, Grade::Again, 1, lesson));
    other.record(answer(Dog, 2, Grade::Good, 2, lesson));
    other.record(answer(Dog, 1, Grade::Good, 3, QStringLiteral("/d/jiny.slv")));

    const QList<UnsettledAnswer> waiting = mine.unsettledAnswers(lesson);
    ASSERT_EQ(waiting.size(), 3);
    EXPECT_EQ(waiting.at(1).card, (CardKey{Cat, 1}));
    EXPECT_EQ(waiting.at(1).grade, Grade::Again);

    mine.settle(lesson);
    ASSERT_EQ(mine.unsettledAnswers(lesson).size(), 1) << "the other run's answer waits";
    const auto claimed = mine.claimUnsettled(lesson);
    ASSERT_TRUE(claimed);
    ASSERT_EQ(claimed->size(), 1);
    EXPECT_EQ(claimed->first().card, (CardKey{Dog, 2}));
    EXPECT_EQ(mine.claimUnsettled(lesson)->size(), 0) << "this run's own are not taken again";
    mine.settle(lesson);
    EXPECT_TRUE(mine.unsettledAnswers(lesson).isEmpty());

    other.settleAll(QStringLiteral("/d/jiny.slv"));
    EXPECT_EQ(value("SELECT count(*) FROM reviews WHERE settled = 0").toInt(), 0);
}

// The file holds the answer, but the history cannot take note of it at once: it is tried again
// with the next settling, so that the answer is not added to the file a second time later.
TEST_F(ReviewHistoryTest, ASettlingThatFailsIsTriedAgainWithTheNext)
{
    ReviewHistory history(database());
    listen(history);
    history.record(answer(Dog, 1, Grade::Good, 0, QStringLiteral("/d/a.slv")));
    history.settle(QStringLiteral("/d/jiny.slv")); // no answers there: nothing to do
    queryValue(database(), QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE OF settled ON "
                                          "answers BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    history.settle(QStringLiteral("/d/a.slv"));
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(value("SELECT count(*) FROM reviews WHERE settled = 0").toInt(), 1);

    queryValue(database(), QStringLiteral("DROP TRIGGER refuse"));
    history.record(answer(Cat, 1, Grade::Good, 1, QStringLiteral("/d/b.slv")));
    history.settle(QStringLiteral("/d/b.slv"));
    EXPECT_EQ(value("SELECT count(*) FROM reviews WHERE settled = 0").toInt(), 0);
}

// An answer that waited for another program's lock while the weights changed updates its card
// with the weights in force when it is written, as the cards computed again with them are.
TEST_F(ReviewHistoryTest, AnAnswerThatWaitedUpdatesItsCardWithTheWeightsInForce)
{
    ReviewHistory history(database());
    ASSERT_TRUE(history.record(answer(Dog, 1, Grade::Good, 0)));
    MemoryModel own;
    own.weights[8] = 2.5; // recall makes memories grow faster
    {
        LockHolder lock(database());
        ASSERT_TRUE(lock.held);
        EXPECT_FALSE(history.record(answer(Dog, 1, Grade::Good, 5 * MsPerDay))) << "it waits";
        history.setModel(own);
    }
    EXPECT_EQ(history.finish(5000), 0);
    const Card expected = ReviewCard(ReviewCard(std::nullopt, Grade::Good, 0, MemoryModel{}),
                                     Grade::Good, 5 * MsPerDay, own);
    EXPECT_DOUBLE_EQ(value("SELECT stability FROM cards").toDouble(), expected.memory.stability);
}

// A run killed while its settling waited for the lock: the next run applies the settling it
// noted, so that the answer the file holds is not added to it again.
TEST_F(ReviewHistoryTest, ASettlingThatWaitsForTheLockOutlivesAKill)
{
    const QString lesson = QStringLiteral("/d/lekce.slv");
    {
        ReviewHistory killed(database());
        killed.record(answer(Dog, 1, Grade::Good, 0, lesson));
        LockHolder lock(database());
        ASSERT_TRUE(lock.held);
        killed.settle(lesson);
        EXPECT_EQ(value("SELECT count(*) FROM reviews WHERE settled = 0").toInt(), 1);
    } // gone without finishing, as a kill leaves it
    ReviewHistory next(database());
    EXPECT_EQ(next.claimUnsettled(lesson).value_or(QList<UnsettledAnswer>{{}}).size(), 0);
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("history.sqlite.settled-*")}).isEmpty());
}

// The drill over a dictionary in a temporary folder, with its history and a clock of the test.
class DrillHistoryTest : public ReviewHistoryTest
{
protected:
    void open(const char *lines)
    {
        WriteBytes(path("lekce.slv"), Cp1250(lines));
        dictionary.setJournalFolder(path("journal"));
        drill.keepHistory(history, [this] { return now; });
        dictionary.open(path("lekce.slv"), CurrentDictionary::Sharing::RespectOtherCopies);
    }
    Vocabulary fileNow() const
    {
        Vocabulary read;
        ReadVocabularyFile(path("lekce.slv"), read);
        return read;
    }

    qint64 now = 1000 * MsPerDay;
    CurrentDictionary dictionary;
    Settings settings;
    ReviewHistory history{HistoryFilePath(dir.path())};
    DrillSession drill{dictionary, settings};
};

struct GradeCase
{
    const char *name;
    const char *typed; // null: F1 reveals the answer
    AssessmentMode assessment;
    Grade grade;
    int errors;
};

void PrintTo(const GradeCase &row, std::ostream *out)
{
    *out << row.name;
}

class GradeTest : public DrillHistoryTest, public testing::WithParamInterface<GradeCase>
{
};

TEST_P(GradeTest, TheJudgeGradesTheAnswerAndTheRowIsSettledOnceTheFileHoldsIt)
{
    const GradeCase &row = GetParam();
    settings.assessment = row.assessment;
    settings.threshold = 50;
    open("nemocnice / s Krankenhaus\r\n");
    now += 2500; // from the offer to Enter
    if (row.typed)
        drill.checkAnswer(QString::fromUtf8(row.typed));
    else
        drill.revealAndCount(QStringLiteral("s K"));
    EXPECT_EQ(value("SELECT group_concat(grade || ':' || typed || ':' || duration_ms || ':' || "
                    "direction || ':' || (dictionary = '"
                    + path("lekce.slv").toUtf8() + "') || ':' || settled) FROM reviews")
                  .toString(),
              QStringLiteral("%1:%2:2500:1:1:1")
                  .arg(int(row.grade))
                  .arg(QString::fromUtf8(row.typed ? row.typed : "s K")));
    EXPECT_EQ(fileNow().at(1).errors[1], row.errors);
}

INSTANTIATE_TEST_SUITE_P(
    Judge, GradeTest,
    testing::Values(
        GradeCase{"exact_is_good", "s Krankenhaus", AssessmentMode::ExactMatch, Grade::Good, 0},
        GradeCase{"a_typo_accepted_is_hard", "s Krankenhuas", AssessmentMode::PercentMatch,
                  Grade::Hard, 0},
        GradeCase{"wrong_is_again", "e Katze", AssessmentMode::PercentMatch, Grade::Again, 1},
        GradeCase{"revealed_is_again", nullptr, AssessmentMode::ExactMatch, Grade::Again, 1}),
    [](const testing::TestParamInfo<GradeCase> &info) { return std::string(info.param.name); });

TEST_F(DrillHistoryTest, AnAnswerTheFileDidNotGetIsAddedOnceAtTheNextOpen)
{
    // A run killed after the history got its answers, before the file did.
    {
        ReviewHistory killed(HistoryFilePath(dir.path()));
        killed.record(answer(Dog, 1, Grade::Again, now, path("lekce.slv")));
        killed.record(answer(Dog, 2, Grade::Good, now, path("lekce.slv")));
        killed.record(answer({QStringLiteral("kůň"), {}, QStringLiteral("s Pferd"), {}}, 1,
                             Grade::Good, now, path("lekce.slv")));
    }
    open("pes / r Hund\r\nkočka / e Katze\r\n");
    EXPECT_EQ(drill.restoreUnsavedAnswers(), 2) << "the third pair is no longer in the file";
    const Counters restored{1, 1, 1, 0};
    EXPECT_EQ(CountersOf(fileNow().at(1)), restored);
    EXPECT_EQ(drill.restoreUnsavedAnswers(), 0) << "never twice";
    dictionary.open(path("lekce.slv"), CurrentDictionary::Sharing::RespectOtherCopies);
    EXPECT_EQ(drill.restoreUnsavedAnswers(), 0);
    EXPECT_EQ(CountersOf(fileNow().at(1)), restored);
}

TEST_F(DrillHistoryTest, AnswersWaitWhileAnotherCopyHasTheFileOrAreSettledByAFinishedWrite)
{
    ReviewHistory killed(HistoryFilePath(dir.path()));
    killed.record(answer(Dog, 1, Grade::Again, now, path("lekce.slv")));
    WriteBytes(path("lekce.slv"), "pes / r Hund\r\n");
    DictionaryLock elsewhere;
    ASSERT_EQ(elsewhere.lock(path("lekce.slv")), DictionaryLock::Result::Locked);
    drill.keepHistory(history, [this] { return now; });
    dictionary.open(path("lekce.slv"), CurrentDictionary::Sharing::ShareWithOtherCopies);
    EXPECT_EQ(drill.restoreUnsavedAnswers(), 0) << "the other copy may still write it";
    EXPECT_EQ(history.unsettledAnswers(path("lekce.slv")).size(), 1);

    // The start-up finished the killed run's write: the file holds the answer already.
    history.settleAll(path("lekce.slv"));
    elsewhere.unlock();
    dictionary.open(path("lekce.slv"), CurrentDictionary::Sharing::RespectOtherCopies);
    EXPECT_EQ(drill.restoreUnsavedAnswers(), 0);
    EXPECT_EQ(CountersOf(fileNow().at(1)), (Counters{0, 0, 0, 0}));
}

// Another program holds the history's lock: the answers reach the file at once and wait in
// memory for the history, which takes them, settled, once the lock is free.
TEST_F(DrillHistoryTest, ALockHeldElsewhereKeepsNoAnswerFromTheFileAndLosesNone)
{
    open("pes / r Hund\r\nkočka / e Katze\r\n");
    ASSERT_TRUE(history.ensureOpen());
    std::optional<LockHolder> lock(std::in_place, database());
    ASSERT_TRUE(lock->held);
    for (int i = 0; i < 3; ++i) {
        drill.checkAnswer(QStringLiteral("x"));
        drill.offerNextPair();
    }
    const Vocabulary file = fileNow();
    EXPECT_EQ(file.at(1).errors[1] + file.at(2).errors[1], 3) << "every answer is in the file";
    EXPECT_EQ(history.waitingAnswers(), 3);
    lock.reset();
    EXPECT_EQ(history.finish(5000), 0);
    EXPECT_EQ(value("SELECT count(*) || ':' || sum(settled) FROM reviews").toString(),
              QStringLiteral("3:3"));
}

// Answers of a killed run are counted only once they are taken over: while the lock is held,
// nothing is counted, and they are taken when it is free.
TEST_F(DrillHistoryTest, AnswersThatCannotBeTakenOverAreNotCounted)
{
    ReviewHistory(HistoryFilePath(dir.path()))
        .record(answer(Dog, 1, Grade::Again, now, path("lekce.slv")));
    open("pes / r Hund\r\n");
    std::optional<LockHolder> lock(std::in_place, database());
    ASSERT_TRUE(lock->held);
    EXPECT_EQ(drill.restoreUnsavedAnswers(), 0);
    EXPECT_EQ(CountersOf(fileNow().at(1)), (Counters{0, 0, 0, 0}));
    lock.reset();
    EXPECT_EQ(drill.restoreUnsavedAnswers(), 1);
    EXPECT_EQ(CountersOf(fileNow().at(1)), (Counters{1, 0, 1, 0}));
    EXPECT_EQ(value("SELECT sum(settled) FROM reviews").toInt(), 1);
}

// Cards that cannot be read are not taken for cards never answered.
TEST_F(DrillHistoryTest, CardsThatCannotBeReadAreNotTakenForNewOnes)
{
    history.record(answer(Cat, 1, Grade::Good, now - 30 * MsPerDay));
    RenameTableUnderViews(database(), QStringLiteral("card_states"), QStringLiteral("away"));
    settings.pairChoice = PairChoice::BySchedule;
    open("pes / r Hund\r\nkočka {zvíře} / e Katze\r\n");
    EXPECT_FALSE(drill.scheduleCounts()) << "no counts from cards that were not read";
    RenameTableUnderViews(database(), QStringLiteral("away"), QStringLiteral("card_states"));
    drill.offerNextPair();
    EXPECT_EQ(drill.state().currentPosition, 2) << "read once they can be";
}

// The process may not write files beyond a size below the dictionary's (nor the journal, nor
// the history beyond its first pages): each failed write names the limit, and once the limit
// is raised every answer is written, the one given as the history failed too.
TEST_F(DrillHistoryTest, AFileSizeLimitIsNamedAndLosesNoAnswer)
{
    QByteArray lines;
    for (int i = 0; i < 600; ++i)
        lines += "slovo" + QByteArray::number(i) + " / Wort" + QByteArray::number(i) + "\r\n";
    open(lines.constData());
    // The database exists, opened and closed again, so that no thread of it runs at the fork.
    ASSERT_TRUE(ReviewHistory(HistoryFilePath(dir.path())).ensureOpen());
    const QByteArray before = ReadBytes(path("lekce.slv"));
    // The dictionary's counters make it some 90 kB. The history's answers after the row (the
    // second row's child finds it empty too): its shared memory takes 32 kB, each answer some
    // 33 kB of its log.
    // clang-format off
    const struct { const char *name; qint64 limit; int kept; } rows[] = {
        {"the history fails at its first answer",      30000, 0},
        {"the history's log fills up after an answer", 60000, 1},
    };
    // clang-format on
    for (const auto &row : rows) {
        const int code = InChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{rlim_t(row.limit), RLIM_INFINITY};
            setrlimit(RLIMIT_FSIZE, &limit);
            for (int i = 0; i < 3; ++i) {
                drill.checkAnswer(QStringLiteral("x"));
                if (dictionary.writeBackAnswers().reason
                    != U("soubor by překročil největší povolenou velikost"))
                    return 1;
                drill.offerNextPair();
            }
            limit.rlim_cur = RLIM_INFINITY;
            setrlimit(RLIMIT_FSIZE, &limit);
            if (!dictionary.writeBackBeforeLeaving().done())
                return 2;
            int errors = 0;
            for (const VocabularyEntry &entry : fileNow().entries)
                errors += entry.errors[1] + entry.errors[2];
            return errors == 3 ? 0 : 3;
        });
        EXPECT_EQ(code, 0) << row.name;
        const int kept = queryValue(HistoryFilePath(dir.path()),
                                    QStringLiteral("SELECT count(*) FROM answers"))
                             .toInt();
        EXPECT_EQ(kept, row.kept) << row.name;
        WriteFileSafely(path("lekce.slv"), before); // as the next row's child finds it
    }
}

// With nothing due and no new card left, the line under the answer says the day is done, once,
// and the drill goes on ahead of the schedule; with the difference line switched off too.
TEST_F(DrillHistoryTest, ADayWithNothingLeftIsSaidOnce)
{
    history.record(answer(Dog, 1, Grade::Good, now - 30 * MsPerDay));
    settings.pairChoice = PairChoice::BySchedule;
    settings.sideChoice = SideChoice::First;
    settings.showDifference = false;
    open("pes / r Hund\r\n");
    EXPECT_TRUE(drill.answerNote().isEmpty()) << "a card is due";
    EXPECT_TRUE(drill.checkAnswer(QStringLiteral("r Hund")).correct);
    drill.offerNextPair();
    EXPECT_EQ(drill.answerNote().remark, DayDoneRemark());
    EXPECT_TRUE(drill.hasPair()) << "practice goes on";
    drill.answerEdited();
    EXPECT_EQ(drill.answerNote().remark, DayDoneRemark()) << "kept while the answer is typed";
    drill.checkAnswer(QStringLiteral("r Hund"));
    EXPECT_TRUE(drill.answerNote().isEmpty());
    drill.offerNextPair();
    EXPECT_TRUE(drill.answerNote().isEmpty()) << "said once";
}

TEST_F(DrillHistoryTest, TheScheduleOffersTheDueCardAndCountsTheDay)
{
    history.record(answer(Cat, 1, Grade::Good, now - 30 * MsPerDay));
    history.record(answer(Dog, 1, Grade::Good, now - MsPerDay / 2));
    settings.pairChoice = PairChoice::BySchedule;
    open("pes / r Hund\r\nkočka {zvíře} / e Katze\r\nkůň / s Pferd\r\n");
    EXPECT_EQ(drill.state().currentPosition, 2) << "overdue for weeks";
    EXPECT_EQ(drill.scheduleCounts(), (ScheduleCounts{1, 1}));
    drill.checkAnswer(QStringLiteral("e Katze"));
    EXPECT_EQ(drill.scheduleCounts(), (ScheduleCounts{0, 1}));
    drill.offerNextPair();
    EXPECT_EQ(drill.state().currentPosition, 3) << "then the new pair";

    // Without its history the schedule falls back to offer counts.
    settings.pairChoice = PairChoice::ByOffers;
    EXPECT_FALSE(drill.scheduleCounts());
}

} // namespace
