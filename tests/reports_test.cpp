#include "statistics/reports.h"

#include <gtest/gtest.h>

namespace {

VocabularyEntry pair(const char *side1, const char *side2, std::array<int, 4> counters)
{
    VocabularyEntry entry;
    entry.side[1] = QString::fromUtf8(side1);
    entry.side[2] = QString::fromUtf8(side2);
    entry.offers[1] = counters[0];
    entry.offers[2] = counters[1];
    entry.errors[1] = counters[2];
    entry.errors[2] = counters[3];
    return entry;
}

Vocabulary example()
{
    Vocabulary vocabulary;
    vocabulary.entries
        = {pair("pes", "r Hund", {3, 1, 1, 0}), pair("okno", "s Fenster", {0, 4, 0, 2})};
    return vocabulary;
}

TEST(Reports, OfferReportMatchesTheExampleLineForLine)
{
    EXPECT_EQ(
        BuildOfferReport(example()),
        (QStringList{
            "slovo:                   nab.:  [ %%%% ]",
            "========================================", "pes                           3 [ 37.50]",
            "r Hund                        1 [ 12.50]", "okno                          0 [  0.00]",
            "s Fenster                     4 [ 50.00]"}));
}

TEST(Reports, ErrorReportMatchesTheExampleLineForLine)
{
    const QStringList lines = BuildErrorReport(example());
    EXPECT_EQ(lines, (QStringList{"slovo:                   nab.:  chyb:  [ %%%% ]",
                                  "==============================================",
                                  "pes                           3     1 [ 33.33]",
                                  "r Hund                        1     0 [  0.00]",
                                  "okno                          0     0 [  0.00]",
                                  "s Fenster                     4     2 [ 50.00]"}));
    EXPECT_EQ(lines[0].size(), 47);
    EXPECT_EQ(lines[1].size(), 46);
    EXPECT_EQ(lines[2].size(), 46);
}

TEST(Reports, ZeroCountersNeverDivideByZero)
{
    Vocabulary vocabulary;
    vocabulary.entries = {pair("a", "b", {0, 0, 5, 0})};
    EXPECT_EQ(BuildOfferReport(vocabulary).mid(2),
              (QStringList{"a                             0 [  0.00]",
                           "b                             0 [  0.00]"}));
    // Never offered: the fixed 0.00 even with errors counted.
    EXPECT_EQ(BuildErrorReport(vocabulary)[2],
              QStringLiteral("a                             0     5 [  0.00]"));
}

TEST(Reports, WideTextsAndNumbersPushTheColumnsRight)
{
    Vocabulary vocabulary;
    vocabulary.entries = {
        pair("1234567890123456789012345", "123456789012345678901234567890", {1234567, -3, 9, 12})};
    const QStringList offers = BuildOfferReport(vocabulary);
    EXPECT_EQ(offers[2], QStringLiteral("1234567890123456789012345") + "1234567 [100.00]");
    EXPECT_EQ(offers[3], QStringLiteral("123456789012345678901234567890") + "    -3 [  0.00]");
    const QStringList errors = BuildErrorReport(vocabulary);
    EXPECT_EQ(errors[3],
              QStringLiteral("123456789012345678901234567890") + "    -3    12 [-400.00]");
}

TEST(Reports, OfferPercentagesAddUpToAHundred)
{
    Vocabulary vocabulary;
    for (int i = 0; i < 7; ++i)
        vocabulary.entries.append(pair("x", "y", {i * 3 + 1, i, 0, 0}));
    double sum = 0;
    for (const QString &line : BuildOfferReport(vocabulary).mid(2))
        sum += line.mid(line.indexOf('[') + 1, 6).toDouble();
    EXPECT_NEAR(sum, 100.0, 0.07);
}

TEST(Reports, ResetsZeroTheirCountersOnly)
{
    Vocabulary vocabulary = example();
    ResetOffers(vocabulary);
    EXPECT_EQ(vocabulary.at(1), pair("pes", "r Hund", {0, 0, 1, 0}));
    EXPECT_EQ(vocabulary.at(2), pair("okno", "s Fenster", {0, 0, 0, 2}));

    vocabulary = example();
    ResetErrors(vocabulary);
    EXPECT_EQ(vocabulary.at(1), pair("pes", "r Hund", {3, 1, 0, 0}));
    EXPECT_EQ(vocabulary.at(2), pair("okno", "s Fenster", {0, 4, 0, 0}));

    vocabulary = example();
    ResetAllStatistics(vocabulary);
    EXPECT_EQ(vocabulary.at(2), pair("okno", "s Fenster", {0, 0, 0, 0}));
    for (const QString &line : BuildOfferReport(vocabulary).mid(2))
        EXPECT_TRUE(line.endsWith(QStringLiteral("[  0.00]")));
}

} // namespace
