#include "core/file_error.h"
#include "history/progress.h"
#include "history/review_history.h"
#include "test_support.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QVariant>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

// The aggregates over hand-made histories, in the time zone of Prague, whose days are 23
// hours long on the last Sunday of March.
class ProgressTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        const char *zone = std::getenv("TZ");
        s_zone = zone ? QByteArray(zone) : QByteArray();
        s_hadZone = zone != nullptr;
        setenv("TZ", "Europe/Prague", 1);
        tzset();
    }
    static void TearDownTestSuite()
    {
        if (s_hadZone)
            setenv("TZ", s_zone.constData(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    void SetUp() override { ASSERT_TRUE(history.ensureOpen()); }

    // Milliseconds of a local time "yyyy-MM-dd hh:mm".
    static qint64 at(const char *local)
    {
        return QDateTime::fromString(QLatin1String(local), QStringLiteral("yyyy-MM-dd hh:mm"))
            .toMSecsSinceEpoch();
    }
    // The pair (side1, 'x') numbered, made when new.
    qint64 pair(const char *side1)
    {
        QSqlQuery query(history.database());
        query.prepare(QStringLiteral("INSERT OR IGNORE INTO pairs (side1, comment1, side2, "
                                     "comment2) VALUES (?, '', 'x', '')"));
        query.addBindValue(QString::fromUtf8(side1));
        EXPECT_TRUE(query.exec());
        query.prepare(QStringLiteral("SELECT id FROM pairs WHERE side1 = ? AND side2 = 'x'"));
        query.addBindValue(QString::fromUtf8(side1));
        EXPECT_TRUE(query.exec() && query.next());
        return query.value(0).toLongLong();
    }
    void review(const char *local, const char *side1, int grade,
                const char *dictionary = "/d/a.slv", qint64 durationMs = 2000)
    {
        QSqlQuery query(history.database());
        query.prepare(QStringLiteral("INSERT INTO answers (at_ms, pair, direction, grade, typed, "
                                     "duration_ms, dictionary, session, settled) VALUES (?, ?, 1, "
                                     "?, 'typed, \"quoted\"', ?, ?, 's', 1)"));
        for (const QVariant &value : {QVariant(at(local)), QVariant(pair(side1)), QVariant(grade),
                                      QVariant(durationMs), QVariant(QLatin1String(dictionary))})
            query.addBindValue(value);
        ASSERT_TRUE(query.exec());
    }
    // A card's state, and as many wrong answers to it at its last review.
    void card(const char *side1, double stability, const char *lastLocal, const char *dueLocal,
              int wrong = 0)
    {
        QSqlQuery query(history.database());
        query.prepare(QStringLiteral("INSERT INTO card_states VALUES (?, 1, ?, 5, ?, ?, 0, 3, 0)"));
        for (const QVariant &value : {QVariant(pair(side1)), QVariant(stability),
                                      QVariant(at(lastLocal)), QVariant(at(dueLocal))})
            query.addBindValue(value);
        ASSERT_TRUE(query.exec());
        for (int i = 0; i < wrong; ++i)
            review(lastLocal, side1, 1, "/d/wrong.slv");
    }
    HistoryProgress progress(const char *now, const char *dictionary = "") const
    {
        return HistoryProgress(const_cast<ReviewHistory &>(history).database(),
                               QLatin1String(dictionary), at(now));
    }

    static inline QByteArray s_zone;
    static inline bool s_hadZone = false;
    QTemporaryDir dir;
    ReviewHistory history{HistoryFilePath(dir.path())};
};

TEST_F(ProgressTest, AnEmptyHistoryHasNothingToShow)
{
    const HistoryProgress empty = progress("2026-12-07 12:00");
    EXPECT_FALSE(empty.hasAnswers());
    const QList<DayAnswers> days = empty.answersPerDay(30);
    ASSERT_EQ(days.size(), 30);
    EXPECT_EQ(days.last(), (DayAnswers{QDate(2026, 12, 7)}));
    EXPECT_TRUE(empty.firstAnswerShares(30).isEmpty());
    EXPECT_EQ(empty.dueForecast(14), QList<int>(14, 0));
    EXPECT_EQ(empty.memoryBuckets(10), (MemoryBuckets{10, 0, 0, 0, 0}));
    EXPECT_EQ(empty.figures(), ProgressFigures());
    EXPECT_EQ(empty.answersCsv(),
              "\xEF\xBB\xBF"
                  + QStringLiteral("čas,slovník,strana 1,komentář 1,strana 2,komentář 2,"
                                   "nabídnutá strana,známka,napsáno,doba (ms)\r\n")
                        .toUtf8());
}

TEST_F(ProgressTest, AnswersFallOnTheirLocalDaysAcrossMidnightAndTheChangeOfTime)
{
    review("2026-03-28 23:59", "pes", 3);
    review("2026-03-29 00:01", "pes", 2);
    review("2026-03-29 23:30", "pes", 1); // the short day: still the 29th
    review("2026-03-30 00:10", "kočka", 1, "/d/b.slv");
    const QList<DayAnswers> days = progress("2026-03-30 12:00").answersPerDay(3);
    EXPECT_EQ(days, (QList<DayAnswers>{{QDate(2026, 3, 28), 1, 0, 0},
                                       {QDate(2026, 3, 29), 0, 1, 1},
                                       {QDate(2026, 3, 30), 0, 0, 1}}));
    EXPECT_EQ(progress("2026-03-30 12:00", "/d/a.slv").answersPerDay(1),
              (QList<DayAnswers>{{QDate(2026, 3, 30)}}))
        << "another dictionary's answer is out of its scope";
}

TEST_F(ProgressTest, TheDaysFirstAnswerOfEachCardGivesTheShare)
{
    review("2026-12-06 10:00", "pes", 1);
    review("2026-12-06 10:05", "pes", 3); // a second answer the same day does not count
    review("2026-12-06 11:00", "kočka", 2);
    review("2026-12-07 09:00", "pes", 3);
    EXPECT_EQ(progress("2026-12-07 12:00").firstAnswerShares(30),
              (QList<DayShare>{{QDate(2026, 12, 6), 0.5, 2}, {QDate(2026, 12, 7), 1.0, 1}}));
}

TEST_F(ProgressTest, TheStreakTimeAndCountsOfTheFigures)
{
    // clang-format off
    const struct { const char *now; int streak; } cases[] = {
        {"2026-12-07 20:00", 3}, // today, yesterday and the day before; the 3rd is a gap
        {"2026-12-08 08:00", 3}, // not practised today yet: the streak still stands
        {"2026-12-09 08:00", 0}, // a day missed
    };
    // clang-format on
    for (const char *day : {"2026-12-02 10:00", "2026-12-05 10:00", "2026-12-06 10:00"})
        review(day, "pes", 3);
    review("2026-12-07 10:00", "pes", 3, "/d/a.slv", 4000);
    review("2026-12-07 11:00", "kočka", 1, "/d/a.slv", 3 * 60 * 60 * 1000); // left over lunch
    for (const auto &c : cases)
        EXPECT_EQ(progress(c.now).figures().streakDays, c.streak) << c.now;
    const ProgressFigures today = progress("2026-12-07 20:00").figures();
    EXPECT_EQ(today.answersToday, 2);
    EXPECT_EQ(today.msToday, 4000 + HistoryProgress::LongestAnswerMs);
    EXPECT_EQ(today.answersInAll, 5);
    EXPECT_EQ(today.msInAll, 3 * 2000 + 4000 + HistoryProgress::LongestAnswerMs);
}

TEST_F(ProgressTest, TheForecastTheMemoryBucketsAndTheHardestCards)
{
    card("dávno", 0.5, "2026-11-01 10:00", "2026-11-02 10:00", 4); // overdue: counts today
    card("dnes", 3, "2026-12-04 10:00", "2026-12-07 22:00", 1);
    card("za tři dny", 10, "2026-11-30 10:00", "2026-12-10 10:00");
    card("za měsíc", 40, "2026-12-01 10:00", "2027-01-10 10:00", 2);
    review("2026-12-01 10:00", "za měsíc", 3, "/d/b.slv");
    const HistoryProgress all = progress("2026-12-07 12:00");
    QList<int> expected(14, 0);
    expected[0] = 2;
    expected[3] = 1;
    EXPECT_EQ(all.dueForecast(14), expected);
    // One dictionary's cards; and the retention in force moves them (80 %: 3 times later).
    review("2026-12-04 10:00", "dnes", 3, "/d/c.slv");
    QList<int> one(14, 0);
    one[0] = 1;
    EXPECT_EQ(progress("2026-12-07 12:00", "/d/c.slv").dueForecast(14), one);
    QList<int> later(14, 0);
    later[6] = 1;
    EXPECT_EQ(HistoryProgress(history.database(), QStringLiteral("/d/c.slv"),
                              at("2026-12-07 12:00"), MemoryModel{Fsrs::DefaultWeights, 0.8})
                  .dueForecast(14),
              later);
    EXPECT_EQ(all.memoryBuckets(0), (MemoryBuckets{0, 1, 1, 1, 1}));
    EXPECT_EQ(progress("2026-12-07 12:00", "/d/b.slv").memoryBuckets(10),
              (MemoryBuckets{9, 0, 0, 0, 1}));

    const auto sides = [](const QList<HardCard> &cards) {
        QStringList names;
        for (const HardCard &card : cards)
            names.append(card.side1);
        return names;
    };
    EXPECT_EQ(
        sides(all.hardestCards(HardOrder::ByWrongAnswers, 3)),
        (QStringList{QStringLiteral("dávno"), QStringLiteral("za měsíc"), QStringLiteral("dnes")}));
    const QList<HardCard> weakest = all.hardestCards(HardOrder::ByRetrievability, 2);
    EXPECT_EQ(sides(weakest), (QStringList{QStringLiteral("dávno"), QStringLiteral("dnes")}));
    EXPECT_NEAR(weakest.first().retrievability, 0.455411, 1e-6) << "36 days at a stability of 0.5";

    // Two cards answered this moment are both recalled for sure: the weaker memory is harder,
    // whichever was stored first.
    card("pevná", 20, "2026-12-07 12:00", "2027-01-01 10:00");
    card("slabá", 1, "2026-12-07 12:00", "2026-12-08 10:00");
    const auto fresh = progress("2026-12-07 12:00").hardestCards(HardOrder::ByRetrievability, 6);
    EXPECT_EQ(sides(fresh).mid(4), (QStringList{U("slabá"), U("pevná")}));
    const auto unlapsed = progress("2026-12-07 12:00").hardestCards(HardOrder::ByWrongAnswers, 6);
    EXPECT_EQ(sides(unlapsed).mid(3), (QStringList{U("slabá"), U("za tři dny"), U("pevná")}));
}

// A word answered wrong the first time, and then right, is harder than one answered right
// twice: every wrong answer counts, the first too.
TEST_F(ProgressTest, TheHardestCardsCountEveryWrongAnswer)
{
    card("dvakrát správně", 2.3, "2026-12-07 11:00", "2026-12-09 10:00");
    review("2026-12-07 10:00", "dvakrát správně", 3);
    review("2026-12-07 11:00", "dvakrát správně", 3);
    card("napoprvé chybně", 2.3, "2026-12-07 11:00", "2026-12-09 10:00");
    review("2026-12-07 10:00", "napoprvé chybně", 1);
    review("2026-12-07 11:00", "napoprvé chybně", 3);
    const QList<HardCard> hardest
        = progress("2026-12-07 12:00").hardestCards(HardOrder::ByWrongAnswers, 2);
    ASSERT_EQ(hardest.size(), 2);
    EXPECT_EQ(hardest[0].side1, U("napoprvé chybně"));
    EXPECT_EQ(hardest[0].wrongAnswers, 1);
    EXPECT_EQ(hardest[1].wrongAnswers, 0);
}

TEST_F(ProgressTest, TheCsvHasOneAnswerARowQuotedWhereItMust)
{
    review("2026-12-07 10:00", "pes, velký ", 2); // the blank before a comment is no part of it
    const QString csv = QString::fromUtf8(progress("2026-12-07 12:00").answersCsv());
    const QStringList lines = csv.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.at(1), QStringLiteral("2026-12-07T10:00:00,/d/a.slv,\"pes, velký\",,x,,1,"
                                          "s obtížemi,\"typed, \"\"quoted\"\"\",2000"));
}

// A history whose questions fail says so: no empty chart, no CSV of a header alone.
TEST_F(ProgressTest, AFailedQuestionIsToldNotTakenForNoData)
{
    review("2026-12-07 10:00", "pes", 3);
    RenameTableUnderViews(history.path(), QStringLiteral("answers"), QStringLiteral("away"));
    const HistoryProgress broken = progress("2026-12-07 12:00");
    EXPECT_FALSE(broken.hasAnswers());
    EXPECT_TRUE(broken.failure().contains(QStringLiteral("answers"))) << "SQLite's reason";
    EXPECT_THROW(broken.answersCsv(), FileError);
}

} // namespace
