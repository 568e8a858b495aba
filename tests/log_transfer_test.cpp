#include "history/history_rows.h"
#include "sync/log_transfer.h"
#include "sync/shared_counters.h"
#include "vocabulary/current_dictionary.h"
#include "test_support.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

const PairText Dog{U("pes"), QString(), U("der Hund"), QString()};
const PairText Cat{U("kočka"), U("zvíře"), U("die Katze"), QString()};

// One of the user's computers: its own data folder and history, and its own view of the
// synchronised folder, which a sync tool fills with the other computers' logs.
class Computer
{
public:
    Computer(const QString &root, const char *name)
        : m_folder(QDir(root).filePath(QLatin1String(name)))
        , m_history(HistoryFilePath(m_folder + QStringLiteral("/data")))
    {
        QString reason;
        m_id = ComputerId(m_folder + QStringLiteral("/data"), &reason);
        EXPECT_TRUE(m_history.ensureOpen());
        QDir().mkpath(logs());
    }

    const QString &id() const { return m_id; }
    QString logs() const { return place().logFolder(); }
    QString logPath(const QString &computer) const
    {
        return logs() + QLatin1Char('/') + computer + QStringLiteral(".log");
    }
    QSqlDatabase database() { return m_history.database(); }

    void answer(const PairText &pair, int side, Grade grade, qint64 atMs)
    {
        m_history.record({atMs,
                          {pair, side},
                          grade,
                          QStringLiteral("x"),
                          900,
                          m_folder + QStringLiteral("/sync/lekce.slv")});
    }
    // Appends its new answers to its log and reads every log in its view of the folder.
    void sync()
    {
        const SyncRound sync = SyncWithFolder(database(), place(), MemoryModel{});
        EXPECT_TRUE(sync.troubles.isEmpty()) << sync.troubles.join('\n').toStdString();
    }
    SyncPlace place() const { return {m_folder + QStringLiteral("/sync"), m_id}; }
    QString lesson() const { return m_folder + QStringLiteral("/sync/lekce.slv"); }
    // The user sets the pair's counters (a reset, the lesson coming into the folder).
    void set(const PairText &pair, const Counters &counters, qint64 atMs)
    {
        m_history.noteSettings({{atMs, lesson(), pair, counters, {}}});
    }
    // The pair's counters on the lesson as the records read here make them.
    Counters counters(const PairText &pair)
    {
        QString reason;
        const auto counted = SharedCountersOf(database(), lesson(), id(), &reason);
        EXPECT_TRUE(counted.has_value()) << reason.toStdString();
        return counted ? counted->pairs.value(pair) : Counters{};
    }
    // The cards, and every answer once: what two computers that agree hold alike.
    QStringList state()
    {
        QStringList rows = queryRows(
            database(), QStringLiteral("SELECT side1, comment1, side2, comment2, direction,"
                                       " stability, difficulty, last_review_ms, introduced_ms,"
                                       " reviews, lapses FROM cards ORDER BY side1, direction"));
        QSqlQuery query(database());
        query.exec(QStringLiteral("SELECT at_ms, grade, side1, direction FROM reviews"
                                  " ORDER BY at_ms, side1, direction"));
        while (query.next())
            rows.append(QStringLiteral("%1 %2 %3 %4")
                            .arg(query.value(0).toString(), query.value(1).toString(),
                                 query.value(2).toString(), query.value(3).toString()));
        return rows;
    }

private:
    QString m_folder;
    ReviewHistory m_history;
    QString m_id;
};

QString shortest(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// How a sync tool brings one computer's log to another.
enum class Delivery { Whole, CutShortThenWhole, RenamedIntoPlace };

void deliver(Computer &from, Computer &to, Delivery how)
{
    const QByteArray bytes = ReadBytes(from.logPath(from.id()));
    const QString target = to.logPath(from.id());
    QDir().mkpath(to.logs());
    switch (how) {
    case Delivery::Whole:
        WriteBytes(target, bytes);
        break;
    case Delivery::CutShortThenWhole:
        WriteBytes(target, bytes.first(bytes.size() * 2 / 3));
        to.sync();
        WriteBytes(target, bytes);
        break;
    case Delivery::RenamedIntoPlace:
        WriteBytes(target + QStringLiteral(".tmp"), bytes);
        QFile::remove(target);
        QFile::rename(target + QStringLiteral(".tmp"), target);
        break;
    }
    to.sync();
}

struct DeliveryCase
{
    const char *name;
    Delivery delivery;
};

class LogTransferTest : public testing::TestWithParam<DeliveryCase>
{
};

// Three computers answer offline, on the same cards too, one of them with a clock behind the
// others; their logs then reach each other in every order. All end with every answer once and
// the same cards, those that all the answers give in time order.
TEST_P(LogTransferTest, ComputersThatReadTheSameLogsHoldTheSameCards)
{
    std::array<int, 3> order{0, 1, 2};
    do {
        QTemporaryDir root;
        std::array<std::unique_ptr<Computer>, 3> computers;
        for (int k = 0; k < 3; ++k)
            computers[std::size_t(k)] = std::make_unique<Computer>(root.path(), k == 0   ? "a"
                                                                                : k == 1 ? "b"
                                                                                         : "c");
        Computer &a = *computers[0];
        Computer &b = *computers[1];
        Computer &c = *computers[2];
        const qint64 day = 1000 * MsPerDay;
        a.answer(Dog, 1, Grade::Good, day);
        b.answer(Dog, 1, Grade::Again, day + MsPerDay);
        a.answer(Dog, 1, Grade::Good, day + 3 * MsPerDay);
        c.answer(Dog, 1, Grade::Hard, day + 2 * MsPerDay); // after a's, though recorded later
        c.answer(Cat, 2, Grade::Easy, day);
        b.answer(Cat, 2, Grade::Good, day + 5 * MsPerDay);
        for (auto &computer : computers)
            computer->sync();
        for (const int from : order) {
            for (int to = 0; to < 3; ++to) {
                if (to != from)
                    deliver(*computers[std::size_t(from)], *computers[std::size_t(to)],
                            GetParam().delivery);
            }
        }
        // Each log read again changes nothing.
        for (auto &computer : computers)
            computer->sync();

        const QStringList state = a.state();
        EXPECT_EQ(state.size(), 2 + 6) << "two cards, six answers";
        EXPECT_EQ(b.state(), state);
        EXPECT_EQ(c.state(), state);
        // The dog's card is what its four answers give in time order.
        std::optional<Card> dog;
        for (const auto &[grade, at] : {std::pair{Grade::Good, day},
                                        {Grade::Again, day + MsPerDay},
                                        {Grade::Hard, day + 2 * MsPerDay},
                                        {Grade::Good, day + 3 * MsPerDay}})
            dog = ReviewCard(dog, grade, at, MemoryModel{});
        EXPECT_TRUE(state.contains(QStringLiteral("pes||der Hund||1|%1|%2|%3|%4|4|1")
                                       .arg(shortest(dog->memory.stability))
                                       .arg(shortest(dog->memory.difficulty))
                                       .arg(dog->lastReviewMs)
                                       .arg(dog->introducedMs)))
            << state.join('\n').toStdString();
    } while (std::next_permutation(order.begin(), order.end()));
}

INSTANTIATE_TEST_SUITE_P(Deliveries, LogTransferTest,
                         testing::Values(DeliveryCase{"whole", Delivery::Whole},
                                         DeliveryCase{"cutShort", Delivery::CutShortThenWhole},
                                         DeliveryCase{"renamed", Delivery::RenamedIntoPlace}),
                         [](const auto &info) { return std::string(info.param.name); });

// A computer numbers its answers after what its log already holds, also when its history was
// lost and begun anew, and takes its own answers back from its log.
TEST(OwnLog, NumbersFollowTheLogAndALostHistoryIsTakenBackFromIt)
{
    QTemporaryDir root;
    {
        Computer a(root.path(), "a");
        a.answer(Dog, 1, Grade::Good, MsPerDay);
        a.answer(Cat, 1, Grade::Again, 2 * MsPerDay);
        a.sync();
        a.sync(); // nothing new: nothing appended
        EXPECT_EQ(ReadAnswerLogFile(a.logPath(a.id()), 0, 0).answers.size(), 2);
    }
    QFile::remove(QDir(root.path()).filePath(QStringLiteral("a/data/history.sqlite")));
    Computer a(root.path(), "a");
    a.answer(Dog, 1, Grade::Good, 3 * MsPerDay);
    a.sync();
    const AnswerLogPart log = ReadAnswerLogFile(a.logPath(a.id()), 0, 0);
    ASSERT_EQ(log.answers.size(), 3);
    EXPECT_EQ(log.answers.last().seq, 3) << "numbered after the log, not from 1 again";
    EXPECT_EQ(a.state().size(), 2 + 3) << "the lost answers are back from the log, none twice";
}

// A counter setting made here is numbered after the answers given before it and before those
// given after it, and knows every record of this computer before it and what it had read of
// the others.
TEST(CounterSettings, AreNumberedInTheOrderTheyWereMadeAndKnowWhatWasRead)
{
    QTemporaryDir root;
    Computer a(root.path(), "a");
    Computer b(root.path(), "b");
    b.answer(Cat, 1, Grade::Good, 500);
    b.sync();
    deliver(b, a, Delivery::Whole);
    a.set(Dog, {2, 0, 1, 0}, 1000);
    a.answer(Dog, 1, Grade::Again, 2000);
    a.answer(Dog, 2, Grade::Good, 2500);
    a.set(Dog, {}, 3000);
    a.answer(Dog, 1, Grade::Good, 4000);
    a.sync();
    const AnswerLogPart log = ReadAnswerLogFile(a.logPath(a.id()), 0, 0);
    ASSERT_EQ(log.settings.size(), 2);
    EXPECT_EQ(log.settings.at(0).seq, 1);
    EXPECT_EQ(log.settings.at(1).seq, 4);
    QList<qint64> answers;
    for (const LoggedAnswer &answer : log.answers)
        answers.append(answer.seq);
    EXPECT_EQ(answers, (QList<qint64>{2, 3, 5}));
    const RecordSet knew{{b.id(), NumberRanges::span(1, 1)}, {a.id(), NumberRanges::span(1, 3)}};
    EXPECT_EQ(log.settings.at(1).setting.context, knew);
    EXPECT_EQ(log.settings.at(1).setting.pair, Dog);
    EXPECT_EQ(a.counters(Dog), (Counters{1, 0, 0, 0})) << "the answer after the reset";
}

// A reset on one computer while another answers: an answer that the resetting computer had
// read is wiped with it, one it had not read survives it, whichever log comes first; both
// computers end with the same counters.
TEST(CounterSettings, AResetWipesOnlyTheAnswersItsComputerHadRead)
{
    const struct
    {
        const char *name;
        bool readBeforeReset;
        bool resetArrivesFirst;
        Counters counters;
    } cases[] = {
        // clang-format off
        {"read before the reset", true, false, {1, 0, 0, 0}},
        {"not read, the reset arrives first", false, true, {1, 1, 0, 1}},
        {"not read, the answer arrives first", false, false, {1, 1, 0, 1}},
        // clang-format on
    };
    for (const auto &c : cases) {
        QTemporaryDir root;
        Computer a(root.path(), "a");
        Computer b(root.path(), "b");
        a.set(Dog, {2, 0, 1, 0}, 1000); // the lesson came into the folder
        a.answer(Dog, 1, Grade::Again, 2000);
        a.sync();
        deliver(a, b, Delivery::Whole);
        EXPECT_EQ(b.counters(Dog), (Counters{3, 0, 2, 0})) << c.name;
        b.answer(Dog, 2, Grade::Again, 3000);
        b.sync();
        if (c.readBeforeReset)
            deliver(b, a, Delivery::Whole);
        a.set(Dog, {}, 4000);
        a.answer(Dog, 1, Grade::Good, 5000);
        a.sync();
        if (c.resetArrivesFirst) {
            deliver(a, b, Delivery::Whole);
            deliver(b, a, Delivery::Whole);
        } else {
            deliver(b, a, Delivery::Whole);
            deliver(a, b, Delivery::Whole);
        }
        EXPECT_EQ(a.counters(Dog), c.counters) << c.name;
        EXPECT_EQ(b.counters(Dog), c.counters) << c.name;
    }
}

struct TroubleCase
{
    const char *name;
    void (*spoil)(const Computer &computer);
    const char *told; // a part of what the sync tells
};

// A log of a later version, a file that is no log, damaged records, a log that cannot be
// written and a folder that is not there: each is told, naming the file, and the rest is read.
TEST(SyncRound, TellsWhatItCannotReadOrWriteAndReadsTheRest)
{
    const TroubleCase cases[] = {
        {"later version",
         [](const Computer &c) {
             WriteBytes(c.logPath(U("bbbbbbbbbbbbbbbb")), "MERKO-ODPOVEDI 2 b\n");
         },
         "novější verze"},
        {"no log",
         [](const Computer &c) { WriteBytes(c.logPath(U("bbbbbbbbbbbbbbbb")), "<html>\n"); },
         "není záznamem odpovědí"},
        {"damaged",
         [](const Computer &c) {
             WriteBytes(c.logPath(U("bbbbbbbbbbbbbbbb")), "MERKO-ODPOVEDI 1 b\nA\t1\tx\n");
         },
         "poškozených záznamů: 1"},
        {"own log unwritable", [](const Computer &c) { QDir().mkpath(c.logPath(c.id())); },
         "nelze zapsat"},
        {"folder gone", [](const Computer &c) { QDir(c.logs()).removeRecursively(); },
         "není dostupná"},
    };
    for (const TroubleCase &c : cases) {
        QTemporaryDir root;
        Computer a(root.path(), "a");
        QDir().mkpath(a.logs());
        a.answer(Dog, 1, Grade::Good, MsPerDay);
        c.spoil(a);
        const SyncRound sync = SyncWithFolder(a.database(), a.place(), MemoryModel{});
        ASSERT_EQ(sync.troubles.size(), 1) << c.name;
        EXPECT_TRUE(sync.troubles.first().contains(U(c.told)))
            << sync.troubles.first().toStdString();
    }
}

// A folder is the synchronised folder only when the answers can be kept in it.
TEST(SyncFolder, IsAcceptedOnlyWhereTheAnswersCanBeKept)
{
    QTemporaryDir root;
    const QString file = root.path() + QStringLiteral("/soubor");
    WriteBytes(file, "x");
    EXPECT_EQ(SyncFolderProblem(root.path() + QStringLiteral("/nikde")),
              QStringLiteral("Složka %1/nikde neexistuje.").arg(root.path()));
    EXPECT_EQ(SyncFolderProblem(file), QStringLiteral("Složka %1 neexistuje.").arg(file));
    const QString readOnly = root.path() + QStringLiteral("/jen-ke-cteni");
    QDir().mkpath(readOnly);
    const int status = InChild([&] {
        if (!MountReadOnly(readOnly))
            return 2;
        return SyncFolderProblem(readOnly).contains(QStringLiteral("jen pro čtení")) ? 0 : 1;
    });
    if (status != 2)
        EXPECT_EQ(status, 0) << "a read-only folder is refused with the system's reason";
    EXPECT_TRUE(SyncFolderProblem(root.path()).isEmpty());
    EXPECT_TRUE(QFileInfo(root.path() + QStringLiteral("/merko/odpovedi")).isDir());
}

// A first read of many answers makes the indexes anew after them: the same cards as answers
// read a few at a time, and every index there again.
TEST(ImportLogs, ManyAnswersAtOnceEndAsFewAtATime)
{
    QTemporaryDir root;
    Computer once(root.path(), "once");
    Computer inParts(root.path(), "parts");
    QList<LoggedAnswer> answers;
    for (int i = 0; i < int(BulkAnswers) + 500; ++i) {
        const PairText pair{QStringLiteral("slovo %1").arg(i % 70), QString(), U("Wort"),
                            QString()};
        answers.append({i + 1,
                        {(i % 13) * MsPerDay / 24 + i * 60000,
                         {pair, i % 2 + 1},
                         Grade(i % 4 + 1),
                         U("x"),
                         900,
                         U("lekce.slv")}});
    }
    const auto name = [](const QString &logged) {
        return logged;
    };
    QString reason;
    AnswerLogPart all;
    all.answers = answers;
    ASSERT_EQ(ImportLogs(once.database(), {{U("b"), all}}, name, MemoryModel{}, &reason),
              answers.size());
    for (qsizetype from = 0; from < answers.size(); from += 1000) {
        AnswerLogPart part;
        part.answers = answers.mid(from, 1000);
        ASSERT_TRUE(ImportLogs(inParts.database(), {{U("b"), part}}, name, MemoryModel{}, &reason));
    }
    EXPECT_EQ(once.state(), inParts.state());
    QSqlQuery query(once.database());
    ASSERT_TRUE(query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index'"
                                          " AND name IN ('answers_time', 'answers_dictionary_time',"
                                          " 'answers_card_time')")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toInt(), 3);
}

// Logs read a few answers at a time, each round taken and remembered: the same answers and
// cards as one read of them, and a damaged record told once for all the rounds.
TEST(SyncRound, LogsReadInRoundsEndAsOneRead)
{
    QTemporaryDir root;
    Computer b(root.path(), "b");
    Computer c(root.path(), "c");
    b.answer(Dog, 1, Grade::Good, MsPerDay);
    b.answer(Dog, 1, Grade::Again, 3 * MsPerDay);
    b.answer(Cat, 2, Grade::Hard, 5 * MsPerDay);
    c.answer(Dog, 1, Grade::Easy, 2 * MsPerDay);
    c.answer(Cat, 2, Grade::Good, 4 * MsPerDay);
    b.sync();
    c.sync();
    Computer once(root.path(), "once");
    Computer inRounds(root.path(), "rounds");
    for (Computer *to : {&once, &inRounds}) {
        WriteBytes(to->logPath(b.id()), ReadBytes(b.logPath(b.id())));
        WriteBytes(to->logPath(c.id()), ReadBytes(c.logPath(c.id())) + "A\t9\tx\n");
    }
    const SyncRound all = SyncWithFolder(once.database(), once.place(), MemoryModel{});
    const SyncRound rounds
        = SyncWithFolder(inRounds.database(), inRounds.place(), MemoryModel{}, 2);
    EXPECT_EQ(all.taken, 5);
    EXPECT_EQ(rounds.taken, 5);
    ASSERT_EQ(rounds.troubles.size(), 1);
    EXPECT_TRUE(rounds.troubles.first().contains(U("poškozených záznamů: 1")));
    EXPECT_EQ(all.troubles.size(), 1);
    EXPECT_EQ(inRounds.state(), once.state());
    EXPECT_EQ(inRounds.state().size(), 2 + 5);
}

// A folder that is not there (a disk not mounted leaves an empty folder in its place) is not
// written into; once it is back, the answers given meanwhile go to the log.
TEST(SyncRound, AFolderThatIsGoneIsLeftAloneUntilItIsBack)
{
    QTemporaryDir root;
    Computer a(root.path(), "a");
    QDir(a.logs()).removeRecursively();
    a.answer(Dog, 1, Grade::Good, MsPerDay);
    EXPECT_EQ(SyncWithFolder(a.database(), a.place(), MemoryModel{}).troubles.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(a.logs())) << "nothing written where the folder should be";
    QDir().mkpath(a.logs());
    a.answer(Cat, 1, Grade::Good, 2 * MsPerDay);
    a.sync();
    EXPECT_EQ(ReadAnswerLogFile(a.logPath(a.id()), 0, 0).answers.size(), 2);
}

} // namespace
