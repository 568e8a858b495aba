#include "history/history_rows.h"
#include "history/log_exchange.h"
#include "history/synced_dictionary.h"
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
                          m_folder + QStringLiteral("/sync/lekce.slv")},
                         0.9);
    }
    // Appends its new answers to its log and reads every log in its view of the folder.
    void exchange()
    {
        const FolderExchange exchange = ExchangeWithFolder(database(), place(), 0.9);
        EXPECT_TRUE(exchange.troubles.isEmpty()) << exchange.troubles.join('\n').toStdString();
    }
    SyncPlace place() const { return {m_folder + QStringLiteral("/sync"), m_id}; }
    void noteVersion(const QByteArray &hash, const QList<QByteArray> &bases,
                     bool countsOwnAnswers = true, qint64 baseArrivedMs = 0,
                     const std::optional<IncludedAnswers> &counted = std::nullopt)
    {
        m_history.noteVersion({m_folder + QStringLiteral("/sync/lekce.slv"), hash, bases,
                               countsOwnAnswers, baseArrivedMs, counted});
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

// What a version counted, written with the computers' names ("a:1-2,b:3") for their ids.
IncludedAnswers countsOf(const char *text, const QList<const Computer *> &computers)
{
    IncludedAnswers counts;
    const IncludedAnswers named = Counts(text);
    for (auto entry = named.cbegin(); entry != named.cend(); ++entry) {
        const Computer *computer = computers.at(entry.key().at(0).unicode() - 'a');
        counts.insert(computer->id(), entry.value());
    }
    return counts;
}

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
        to.exchange();
        WriteBytes(target, bytes);
        break;
    case Delivery::RenamedIntoPlace:
        WriteBytes(target + QStringLiteral(".tmp"), bytes);
        QFile::remove(target);
        QFile::rename(target + QStringLiteral(".tmp"), target);
        break;
    }
    to.exchange();
}

struct ExchangeCase
{
    const char *name;
    Delivery delivery;
};

class LogExchangeTest : public testing::TestWithParam<ExchangeCase>
{
};

// Three computers answer offline, on the same cards too, one of them with a clock behind the
// others; their logs then reach each other in every order. All end with every answer once and
// the same cards, those that all the answers give in time order.
TEST_P(LogExchangeTest, ComputersThatReadTheSameLogsHoldTheSameCards)
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
            computer->exchange();
        for (const int from : order) {
            for (int to = 0; to < 3; ++to) {
                if (to != from)
                    deliver(*computers[std::size_t(from)], *computers[std::size_t(to)],
                            GetParam().delivery);
            }
        }
        // Each log read again changes nothing.
        for (auto &computer : computers)
            computer->exchange();

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
            dog = ReviewCard(dog, grade, at, 0.9);
        EXPECT_TRUE(state.contains(QStringLiteral("pes||der Hund||1|%1|%2|%3|%4|4|1")
                                       .arg(shortest(dog->memory.stability))
                                       .arg(shortest(dog->memory.difficulty))
                                       .arg(dog->lastReviewMs)
                                       .arg(dog->introducedMs)))
            << state.join('\n').toStdString();
    } while (std::next_permutation(order.begin(), order.end()));
}

INSTANTIATE_TEST_SUITE_P(Deliveries, LogExchangeTest,
                         testing::Values(ExchangeCase{"whole", Delivery::Whole},
                                         ExchangeCase{"cutShort", Delivery::CutShortThenWhole},
                                         ExchangeCase{"renamed", Delivery::RenamedIntoPlace}),
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
        a.exchange();
        a.exchange(); // nothing new: nothing appended
        EXPECT_EQ(ReadAnswerLogFile(a.logPath(a.id()), 0, 0).answers.size(), 2);
    }
    QFile::remove(QDir(root.path()).filePath(QStringLiteral("a/data/history.sqlite")));
    Computer a(root.path(), "a");
    a.answer(Dog, 1, Grade::Good, 3 * MsPerDay);
    a.exchange();
    const AnswerLogPart log = ReadAnswerLogFile(a.logPath(a.id()), 0, 0);
    ASSERT_EQ(log.answers.size(), 3);
    EXPECT_EQ(log.answers.last().seq, 3) << "numbered after the log, not from 1 again";
    EXPECT_EQ(a.state().size(), 2 + 3) << "the lost answers are back from the log, none twice";
}

struct TroubleCase
{
    const char *name;
    void (*spoil)(const Computer &computer);
    const char *told; // a part of what the exchange tells
};

// A log of a later version, a file that is no log, damaged records, a log that cannot be
// written and a folder that is not there: each is told, naming the file, and the rest is read.
TEST(FolderExchange, TellsWhatItCannotReadOrWriteAndReadsTheRest)
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
        const FolderExchange exchange = ExchangeWithFolder(a.database(), a.place(), 0.9);
        ASSERT_EQ(exchange.troubles.size(), 1) << c.name;
        EXPECT_TRUE(exchange.troubles.first().contains(U(c.told)))
            << exchange.troubles.first().toStdString();
    }
}

// A version of the dictionary written here goes to the log once, with what it has counted:
// what the version it was made from had, and the answers given here that it counted first. One
// of this computer's versions may wait in a conflict copy: a version made from another
// computer's holds only the answers given here since, and says so.
TEST(LoggedVersions, AVersionWrittenHereSaysWhatItHasCounted)
{
    QTemporaryDir root;
    Computer a(root.path(), "a");
    Computer b(root.path(), "b");
    const QByteArray zero(40, '0');
    const QByteArray first(40, '1');
    const QByteArray second(40, '2');
    const QByteArray third(40, '3');
    const QByteArray fourth(40, '4');
    a.answer(Dog, 1, Grade::Good, MsPerDay);
    a.answer(Cat, 1, Grade::Good, 2 * MsPerDay);
    a.noteVersion(first, {zero});
    a.exchange();
    b.answer(Dog, 1, Grade::Again, 3 * MsPerDay);
    b.noteVersion(second, {zero});
    b.exchange();
    deliver(b, a, Delivery::Whole);
    // The sync tool kept a's first version as a conflict copy and b's in the file.
    a.answer(Cat, 2, Grade::Good, 4 * MsPerDay);
    a.noteVersion(third, {second});
    a.answer(Dog, 2, Grade::Good, 5 * MsPerDay);
    a.noteVersion(fourth, {third});
    a.exchange();
    deliver(a, b, Delivery::Whole);
    const struct
    {
        QByteArray version;
        Computer *writer;
        const char *counted;
    } cases[] = {
        {first, &a, "a:1-2"},
        {second, &b, "b:1"},
        {third, &a, "a:3,b:1"},
        {fourth, &a, "a:3-4,b:1"},
    };
    for (const auto &c : cases) {
        for (Computer *reader : {&a, &b}) {
            QString reason;
            EXPECT_EQ(CountedByWriters(reader->database(), c.version, &reason),
                      (VersionWriters{{c.writer->id(), countsOf(c.counted, {&a, &b})}}))
                << c.version.first(1).constData() << reason.toStdString();
        }
    }
    a.exchange();
    EXPECT_EQ(ReadAnswerLogFile(a.logPath(a.id()), 0, 0).versions.size(), 3) << "logged once";
    EXPECT_EQ(ReadAnswerLogFile(a.logPath(a.id()), 0, 0).versions.at(2).bases,
              QList<QByteArray>{third});
}

// A computer that writes the same bytes again says what they hold now, and both words reach the
// computer that read its log: an older file put back and answered as before holds other answers
// than the first write; one edited back to them holds all the first write held, and more.
TEST(LoggedVersions, TheSameBytesWrittenAgainSayWhatTheyHoldNow)
{
    const QByteArray older(40, '0');
    const QByteArray same(40, '1');
    const QByteArray next(40, '2');
    const struct
    {
        const char *what;
        QByteArray madeFrom;
        bool answeredFirst;
        QList<const char *> words;
    } cases[] = {
        {"put back and answered as before", older, true, {"a:1", "a:3"}},
        {"edited back", next, false, {"a:1-2"}},
    };
    for (const auto &c : cases) {
        QTemporaryDir root;
        Computer a(root.path(), "a");
        Computer b(root.path(), "b");
        a.answer(Dog, 1, Grade::Again, MsPerDay);
        a.noteVersion(same, {older});
        a.exchange();
        a.answer(Cat, 1, Grade::Good, 2 * MsPerDay);
        a.noteVersion(next, {same});
        a.exchange();
        deliver(a, b, Delivery::Whole);
        if (c.answeredFirst)
            a.answer(Dog, 1, Grade::Again, 3 * MsPerDay);
        a.noteVersion(same, {c.madeFrom});
        a.exchange();
        deliver(a, b, Delivery::Whole);
        VersionWriters expected;
        for (const char *word : c.words)
            expected.insert(a.id(), countsOf(word, {&a}));
        for (Computer *reader : {&a, &b}) {
            QString reason;
            EXPECT_EQ(CountedByWriters(reader->database(), same, &reason), expected) << c.what;
            EXPECT_EQ(CountedByWriters(reader->database(), next, &reason),
                      (VersionWriters{{a.id(), countsOf("a:1-2", {&a})}}))
                << c.what;
        }
    }
}

// Versions whose base no log named when they were logged: one made from a file that no
// version names (its folder was named while it was open and it could not be read then) counts
// this computer's answers alone; one logged together with its base counts what the base had;
// a file made anew counts none of the answers given here before.
TEST(LoggedVersions, AVersionWhoseBaseNoLogNamedYet)
{
    const QByteArray first(40, '1');
    const QByteArray second(40, '2');
    const struct
    {
        const char *what;
        QList<QByteArray> firstBases;
        bool firstCountsOwnAnswers;
        bool secondMadeFromFirst;
        const char *counted;
    } cases[] = {
        {"made from a file no version names", {QByteArray()}, true, false, "a:1"},
        {"logged together with its base", {}, true, true, "a:1"},
        {"made anew", {}, false, false, ""},
    };
    for (const auto &c : cases) {
        QTemporaryDir root;
        Computer a(root.path(), "a");
        a.answer(Dog, 1, Grade::Good, MsPerDay);
        a.noteVersion(first, c.firstBases, c.firstCountsOwnAnswers);
        if (c.secondMadeFromFirst)
            a.noteVersion(second, {first});
        a.exchange();
        QString reason;
        EXPECT_EQ(CountedByWriters(a.database(), c.secondMadeFromFirst ? second : first, &reason),
                  (VersionWriters{{a.id(), countsOf(c.counted, {&a})}}))
            << c.what << reason.toStdString();
    }
}

// A version made from a file that another computer put in place a moment ago, which no log
// names yet, waits for that computer's log, so that it is never said to hold less than it holds;
// one made from a file that came long before is logged at once, as having counted nothing of it.
TEST(LoggedVersions, AVersionMadeFromAFileJustPutInPlaceWaitsForItsLog)
{
    const QByteArray theirs(40, '1');
    const QByteArray mine(40, '2');
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const struct
    {
        const char *what;
        qint64 theirsCameMs;
        bool logArrives;
        bool logged;
        const char *counted;
    } cases[] = {
        {"the log naming it arrives", now, true, true, "b:1-2"},
        {"no log yet", now, false, false, ""},
        {"came long ago", now - UnloggedVersionWaitMs - 1000, false, true, ""},
    };
    for (const auto &c : cases) {
        QTemporaryDir root;
        Computer a(root.path(), "a");
        Computer b(root.path(), "b");
        b.answer(Dog, 1, Grade::Good, MsPerDay);
        b.answer(Cat, 1, Grade::Again, 2 * MsPerDay);
        b.noteVersion(theirs, {});
        b.exchange();
        a.noteVersion(mine, {theirs}, true, c.theirsCameMs);
        a.exchange();
        if (c.logArrives)
            deliver(b, a, Delivery::Whole);
        QString reason;
        const VersionWriters expected
            = c.logged ? VersionWriters{{a.id(), countsOf(c.counted, {&a, &b})}} : VersionWriters{};
        EXPECT_EQ(CountedByWriters(a.database(), mine, &reason), expected) << c.what;
    }
}

// Answers brought from another program with a dictionary are this computer's: the version
// that the import wrote has counted them.
TEST(LoggedVersions, AnswersBroughtFromAnotherProgramAreCountedAsGivenHere)
{
    QTemporaryDir root;
    Computer a(root.path(), "a");
    const QString lesson = QDir(root.path()).filePath(QStringLiteral("a/sync/lekce.slv"));
    const QList<AnswerRecord> brought{
        {MsPerDay, {Dog, 1}, Grade::Good, QString(), 900, lesson},
        {2 * MsPerDay, {Cat, 2}, Grade::Again, QString(), 900, lesson},
    };
    QString reason;
    ASSERT_EQ(ImportAnswers(a.database(), brought, 0.9, &reason), 2) << reason.toStdString();
    const QByteArray imported(40, '1');
    a.noteVersion(imported, {});
    a.exchange();
    EXPECT_EQ(CountedByWriters(a.database(), imported, &reason),
              (VersionWriters{{a.id(), countsOf("a:1-2", {&a})}}))
        << reason.toStdString();
}

// A version as a computer logged it, in a table: its hash and bases as characters (a hash is
// the character forty times), what it counted as Counts() reads it.
struct LoggedRow
{
    const char *writer;
    char hash;
    const char *bases;
    const char *counted;
};

// The reader takes the versions, one log record after another.
void TakeVersions(Computer &reader, const QList<LoggedRow> &history)
{
    QString reason;
    for (const LoggedRow &logged : history) {
        QList<QByteArray> bases;
        for (const char *base = logged.bases; *base; ++base)
            bases.append(QByteArray(40, *base));
        AnswerLogPart part;
        part.versions
            = {{U("lekce.slv"), QByteArray(40, logged.hash), bases, Counts(logged.counted)}};
        ASSERT_TRUE(ImportLogs(
            reader.database(), {{QString::fromLatin1(logged.writer), part}},
            [](const QString &name) { return name; }, 0.9, &reason))
            << reason.toStdString();
    }
}

// Two computers that answered alike wrote the same bytes, each having counted its own answer
// (or one computer did twice): a version in whose line that happened owes what only the other
// word counted; one that a merge of both lines made, or one of another line, owes nothing.
TEST(LoggedVersions, AVersionOwesWhatAnAlikeWriterCountedBeforeIt)
{
    // Both wrote 1 from 0; "a" went on to 2, "b" to 3; 4 merged 2 and 3; 5 is of another line.
    const QList<LoggedRow> history{
        {"a", '1', "0", "a:1"},
        {"b", '1', "0", "b:1"},
        {"a", '2', "1", "a:1-2"},
        {"b", '3', "1", "b:1-2"},
        {"a", '4', "23", "a:1-2,b:1-2"},
        {"c", '5', "0", "c:1"},
        {"b", '6', "7", "a:1,b:1"},
        {"a", '6', "7", "a:1,b:1"},
        // "d" wrote 8 from 0, its file was replaced by a sync with B, and answered on to the
        // same bytes; it went on to 9 from the file.
        {"d", '8', "0", "d:1-3"},
        {"d", '8', "B", "d:1-2+4"},
        {"d", '9', "8", "d:1-2+4-5"},
    };
    const struct
    {
        char version;
        const char *counted;
        const char *owed;
    } cases[] = {
        // clang-format off
        {'1', "a:1", "b:1"},
        {'1', "b:1", "a:1"},
        {'2', "a:1-2", "b:1"},
        {'3', "b:1-2", "a:1"},
        {'4', "a:1-2,b:1-2", ""},
        {'5', "c:1", ""},
        {'6', "a:1,b:1", ""},
        {'9', "d:1-2+4-5", "d:3"},
        // clang-format on
    };
    QTemporaryDir root;
    Computer reader(root.path(), "reader");
    TakeVersions(reader, history);
    QString reason;
    for (const auto &c : cases) {
        const auto owed = OwedAnswers(reader.database(), U("lekce.slv"), QByteArray(40, c.version),
                                      Counts(c.counted), &reason);
        ASSERT_TRUE(owed) << reason.toStdString();
        EXPECT_EQ(*owed, Counts(c.owed)) << c.version << " " << c.counted;
    }
}

// A version holds what the versions it was made from held: "b" logged 3 before any log named
// 2, as holding nothing of it, and 4 after it; "d" and "e" wrote A alike from 2, "d" before a
// log named 2. The line stops at a merge (5, of 4 and 6), at a version written alike below the
// version (7 below 8) and at one no log names (0).
TEST(LoggedVersions, AVersionHoldsWhatItsLineCounted)
{
    const QList<LoggedRow> history{
        {"a", '1', "0", "a:1"},   {"a", '2', "1", "a:1-2"},     {"b", '3', "2", "b:1"},
        {"b", '4', "3", "b:1-2"}, {"c", '6', "0", "c:1"},       {"b", '5', "46", "b:1-2,c:1"},
        {"a", '7', "0", "a:9"},   {"b", '7', "0", "b:9"},       {"b", '8', "7", "b:9-10"},
        {"d", 'A', "2", "d:1"},   {"e", 'A', "2", "a:1-2,e:1"},
    };
    const struct
    {
        char version;
        const char *holds;
    } cases[] = {
        // clang-format off
        {'1', "a:1"},
        {'3', "a:1-2,b:1"},
        {'4', "a:1-2,b:1-2"},
        {'5', "b:1-2,c:1"},
        {'7', "a:9"},
        {'8', "b:9-10"},
        {'A', "a:1-2,d:1"},
        {'9', ""},
        // clang-format on
    };
    QTemporaryDir root;
    Computer reader(root.path(), "reader");
    TakeVersions(reader, history);
    QString reason;
    for (const auto &c : cases) {
        const auto holds = CountedWithBases(reader.database(), QByteArray(40, c.version), &reason);
        ASSERT_TRUE(holds) << reason.toStdString();
        EXPECT_EQ(*holds, Counts(c.holds)) << c.version;
    }
}

// The versions of a dictionary that computers logged are kept by their hash and writer: two
// computers that wrote the same bytes may have counted different answers.
TEST(LoggedVersions, AreKeptByHashAndWriter)
{
    QTemporaryDir root;
    Computer a(root.path(), "a");
    const QByteArray hash(40, 'c');
    AnswerLogPart first;
    first.versions = {{U("lekce.slv"), hash, {}, Counts("b:1-4,c:1-9")}};
    AnswerLogPart second;
    second.versions = {{U("lekce.slv"), hash, {}, Counts("b:1-6")}};
    QString reason;
    ASSERT_TRUE(ImportLogs(
        a.database(), {{U("b"), first}, {U("c"), second}}, [](const QString &name) { return name; },
        0.9, &reason));
    EXPECT_EQ(CountedByWriters(a.database(), hash, &reason),
              (VersionWriters{{U("b"), Counts("b:1-4,c:1-9")}, {U("c"), Counts("b:1-6")}}));
    EXPECT_EQ(CountedByWriters(a.database(), QByteArray(40, 'd'), &reason), VersionWriters{})
        << "a version no log names";
}

// The words said of the same bytes: a word that another holds all of, and more, is dropped
// (counters reset or edited back went on from it), whoever wrote it; words of answers of their
// own are kept, and the version is then one written alike.
TEST(LoggedVersions, KeepTheWordsThatNoOtherHolds)
{
    const struct
    {
        const char *what;
        QList<LoggedRow> history;
        const char *words; // "writer=counts;…"
        bool alike;
    } cases[] = {
        // clang-format off
        {"other answers", {{"a", '1', "0", "a:1-3"}, {"a", '1', "2", "a:1-2+4"}}, "a=a:1-3;a=a:1-2+4", true},
        {"all of the first and more", {{"a", '1', "0", "a:1"}, {"a", '1', "2", "a:1-2"}}, "a=a:1-2", false},
        {"less than the first", {{"a", '1', "0", "a:1-2"}, {"a", '1', "2", "a:1"}}, "a=a:1-2", false},
        {"the same word twice", {{"a", '1', "0", "a:1"}, {"a", '1', "0", "a:1"}}, "a=a:1", false},
        {"a third holding both", {{"a", '1', "0", "a:1-3"}, {"a", '1', "2", "a:1-2+4"}, {"a", '1', "3", "a:1-5"}}, "a=a:1-5", false},
        {"beside another writer", {{"a", '1', "0", "a:1"}, {"b", '1', "0", "b:1"}, {"a", '1', "2", "a:1-2"}}, "a=a:1-2;b=b:1", true},
        {"another writer's holding more", {{"a", '1', "0", "a:1"}, {"b", '1', "2", "a:1-3,b:1-2"}}, "b=a:1-3,b:1-2", false},
        {"another writer's holding the same", {{"a", '1', "0", "a:1,b:1"}, {"b", '1', "0", "a:1,b:1"}}, "a=a:1,b:1;b=a:1,b:1", true},
        // clang-format on
    };
    for (const auto &c : cases) {
        QTemporaryDir root;
        Computer reader(root.path(), "reader");
        TakeVersions(reader, c.history);
        VersionWriters expected;
        for (const QString &word : QString::fromLatin1(c.words).split(QLatin1Char(';'))) {
            const QStringList parts = word.split(QLatin1Char('='));
            expected.insert(parts.at(0), Counts(parts.at(1).toLatin1().constData()));
        }
        QString reason;
        EXPECT_EQ(CountedByWriters(reader.database(), QByteArray(40, '1'), &reason), expected)
            << c.what;
        QSqlQuery alike(reader.database());
        alike.exec(QStringLiteral("SELECT count(*) FROM alike_versions"));
        ASSERT_TRUE(alike.next()) << c.what;
        EXPECT_EQ(alike.value(0).toInt(), c.alike ? 1 : 0) << c.what;
    }
}

} // namespace

// The answers one version of the dictionary counted and another did not: one computer's, on
// that dictionary, between two of its numbers.
TEST(LoggedVersions, TheAnswersBetweenTwoNumbersAreFound)
{
    QTemporaryDir root;
    Computer a(root.path(), "a");
    a.answer(Dog, 1, Grade::Good, MsPerDay);
    a.answer(Cat, 2, Grade::Again, 2 * MsPerDay);
    a.answer(Dog, 2, Grade::Hard, 3 * MsPerDay);
    a.exchange(); // numbers them 1, 2, 3
    QString reason;
    const auto answers = LoggedAnswersOn(
        a.database(), root.path() + QStringLiteral("/a/sync/lekce.slv"), a.id(), 1, 2, &reason);
    ASSERT_TRUE(answers) << reason.toStdString();
    ASSERT_EQ(answers->size(), 1);
    EXPECT_EQ(answers->first().card, (CardKey{Cat, 2}));
    EXPECT_EQ(answers->first().grade, Grade::Again);
    EXPECT_TRUE(LoggedAnswersOn(a.database(), QStringLiteral("/jiny.slv"), a.id(), 0, 3, &reason)
                    ->isEmpty())
        << "another dictionary's";
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
    ASSERT_EQ(ImportLogs(once.database(), {{U("b"), all}}, name, 0.9, &reason), answers.size());
    for (qsizetype from = 0; from < answers.size(); from += 1000) {
        AnswerLogPart part;
        part.answers = answers.mid(from, 1000);
        ASSERT_TRUE(ImportLogs(inParts.database(), {{U("b"), part}}, name, 0.9, &reason));
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
TEST(FolderExchange, LogsReadInRoundsEndAsOneRead)
{
    QTemporaryDir root;
    Computer b(root.path(), "b");
    Computer c(root.path(), "c");
    b.answer(Dog, 1, Grade::Good, MsPerDay);
    b.answer(Dog, 1, Grade::Again, 3 * MsPerDay);
    b.answer(Cat, 2, Grade::Hard, 5 * MsPerDay);
    c.answer(Dog, 1, Grade::Easy, 2 * MsPerDay);
    c.answer(Cat, 2, Grade::Good, 4 * MsPerDay);
    b.exchange();
    c.exchange();
    Computer once(root.path(), "once");
    Computer inRounds(root.path(), "rounds");
    for (Computer *to : {&once, &inRounds}) {
        WriteBytes(to->logPath(b.id()), ReadBytes(b.logPath(b.id())));
        WriteBytes(to->logPath(c.id()), ReadBytes(c.logPath(c.id())) + "A\t9\tx\n");
    }
    const FolderExchange all = ExchangeWithFolder(once.database(), once.place(), 0.9);
    const FolderExchange rounds = ExchangeWithFolder(inRounds.database(), inRounds.place(), 0.9, 2);
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
TEST(FolderExchange, AFolderThatIsGoneIsLeftAloneUntilItIsBack)
{
    QTemporaryDir root;
    Computer a(root.path(), "a");
    QDir(a.logs()).removeRecursively();
    a.answer(Dog, 1, Grade::Good, MsPerDay);
    EXPECT_EQ(ExchangeWithFolder(a.database(), a.place(), 0.9).troubles.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(a.logs())) << "nothing written where the folder should be";
    QDir().mkpath(a.logs());
    a.answer(Cat, 1, Grade::Good, 2 * MsPerDay);
    a.exchange();
    EXPECT_EQ(ReadAnswerLogFile(a.logPath(a.id()), 0, 0).answers.size(), 2);
}

// A conflict copy is merged once the logs name both versions, or once a version that no log
// names has had time to be named; one that cannot be read is not merged.
TEST(SyncedDictionary, AConflictCopyWaitsForTheLogsThatNameItsVersions)
{
    using Outcome = CopyMerge::Outcome;
    const struct
    {
        const char *name;
        QByteArray copy;
        bool dictionaryNamed;
        bool copyNamed;
        bool writtenLongBefore; // elsewhere: a sync tool keeps the time a file was written
        qint64 ageMs;           // since the files came
        Outcome expected;
    } cases[] = {
        // clang-format off
        {"both named", "mys / e Maus\r\n", true, true, false, 0, Outcome::Merged},
        {"the copy not yet named", "mys / e Maus\r\n", true, false, false, 0, Outcome::Waiting},
        {"the dictionary not yet named", "mys / e Maus\r\n", false, true, false, 0, Outcome::Waiting},
        {"named by no log for long", "mys / e Maus\r\n", false, false, false, UnloggedVersionWaitMs + 5000, Outcome::Merged},
        {"written long before, come just now", "mys / e Maus\r\n", false, false, true, 0, Outcome::Waiting},
        {"no text", QByteArray("mys\0", 4), true, true, false, 0, Outcome::Unreadable},
        // clang-format on
    };
    for (const auto &c : cases) {
        QTemporaryDir root;
        Computer a(root.path(), "a");
        const QString lesson = root.path() + QStringLiteral("/lekce.slv");
        const QString copy
            = root.path() + QStringLiteral("/lekce.sync-conflict-20261207-101500-ABCDEFG.slv");
        const qint64 cameMs = QDateTime::currentMSecsSinceEpoch() - 1000; // as coarse as ctime
        WriteBytes(lesson, "pes / r Hund\r\n");
        WriteBytes(copy, c.copy);
        if (c.writtenLongBefore)
            for (const QString &path : {lesson, copy})
                SetWrittenBefore(path, 3600);
        const auto sha1 = [](const QString &path) {
            return QCryptographicHash::hash(ReadBytes(path), QCryptographicHash::Sha1).toHex();
        };
        AnswerLogPart named;
        if (c.dictionaryNamed)
            named.versions.append({U("lekce.slv"), sha1(lesson), {}, {}});
        if (c.copyNamed)
            named.versions.append({U("lekce.slv"), sha1(copy), {}, {}});
        QString reason;
        ASSERT_TRUE(ImportLogs(
            a.database(), {{U("b"), named}}, [](const QString &name) { return name; }, 0.9,
            &reason));
        CurrentDictionary dictionary;
        dictionary.setSyncFolder(root.path(), root.path() + QStringLiteral("/locks"));
        ASSERT_TRUE(dictionary.open(lesson, CurrentDictionary::Sharing::RespectOtherCopies).done());
        const CopyMerge done
            = MergeConflictCopyByLogs(dictionary, a.database(), copy, cameMs + c.ageMs);
        EXPECT_EQ(done.outcome, c.expected) << c.name;
        EXPECT_EQ(dictionary.vocabulary().count(), c.expected == Outcome::Merged ? 2 : 1) << c.name;
    }
}
