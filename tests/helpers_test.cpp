#include "core/helpers.h"
#include "core/text_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <vector>

TEST(RandomBelow, FreshStateGivesTheKnownSequences)
{
    ResetRandomState();
    std::vector<int> tens;
    for (int i = 0; i < 8; ++i)
        tens.push_back(RandomBelow(10));
    EXPECT_EQ(tens, (std::vector<int>{0, 0, 8, 2, 2, 6, 3, 1}));

    ResetRandomState();
    std::vector<int> twos;
    for (int i = 0; i < 8; ++i)
        twos.push_back(RandomBelow(2));
    EXPECT_EQ(twos, (std::vector<int>{0, 0, 1, 0, 0, 1, 0, 0}));
}

TEST(RandomBelow, StaysInRangeAndResetsForTests)
{
    ResetRandomState();
    for (int i = 0; i < 10000; ++i) {
        const int value = RandomBelow(7);
        ASSERT_GE(value, 0);
        ASSERT_LT(value, 7);
    }
    ResetRandomState();
    EXPECT_EQ(RandomBelow(1000), 0);
    EXPECT_EQ(RandomBelow(1), 0);
}

TEST(PadLeft, TakesTheNumberModulo65536AndNeverCuts)
{
    EXPECT_EQ(PadLeft(90, 3), QStringLiteral(" 90"));
    EXPECT_EQ(PadLeft(0, 6), QStringLiteral("     0"));
    EXPECT_EQ(PadLeft(65535, 6), QStringLiteral(" 65535"));
    EXPECT_EQ(PadLeft(65536, 6), QStringLiteral("     0"));
    EXPECT_EQ(PadLeft(65537 + 12, 6), QStringLiteral("    13"));
    EXPECT_EQ(PadLeft(-1, 6), QStringLiteral(" 65535"));
    EXPECT_EQ(PadLeft(12345, 3), QStringLiteral("12345"));
}

struct FixedCase
{
    const char *name;
    double value;
    const char *shown;

    // The case's name in test output, instead of its bytes.
    friend void PrintTo(const FixedCase &c, std::ostream *out) { *out << c.name; }
};

class FormatFixedTest : public testing::TestWithParam<FixedCase>
{
};

TEST_P(FormatFixedTest, RoundsHalvesAwayFromZeroOnTheShownDecimal)
{
    EXPECT_EQ(FormatFixed(GetParam().value), QString::fromLatin1(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatFixedTest,
    testing::Values(
        FixedCase{"hundred", 100, "100.00"}, FixedCase{"zero", 0, "  0.00"},
        FixedCase{"elevenths", 1000.0 / 11, " 90.91"}, FixedCase{"thirds", 200.0 / 3, " 66.67"},
        FixedCase{"third", 100.0 / 3, " 33.33"}, FixedCase{"exactHalf", 12.125, " 12.13"},
        FixedCase{"decimalHalf", 1.005, "  1.01"}, FixedCase{"carryIntoWhole", 9.995, " 10.00"},
        FixedCase{"carryWidens", 999.999, "1000.00"}, FixedCase{"eightyFive", 600.0 / 7, " 85.71"},
        FixedCase{"negative", -12.125, "-12.13"}, FixedCase{"tinyNegative", -0.001, "  0.00"},
        FixedCase{"belowHalf", 0.004999, "  0.00"}, FixedCase{"large", 123456.5, "123456.50"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextFile, EveryByteSurvivesDecodingAndEncoding)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    EXPECT_EQ(EncodeCp1250(DecodeCp1250(all)), all);
    EXPECT_EQ(DecodeCp1250(Cp1250("č")), QString::fromUtf8("č"));
    EXPECT_EQ(Cp1250("č").at(0), char(0xE8));
}

TEST(TextFile, CharactersWithoutAByteBecomeQuestionMarksNeverCtrlZ)
{
    EXPECT_EQ(EncodeCp1250(QString::fromUtf8("a中b€😀č")), QByteArray("a?b\x80?\xE8"));
}

TEST(TextFile, SplitsCrLfBareLfAndALastLineWithoutEnding)
{
    EXPECT_EQ(SplitLines(QStringLiteral("a\r\nb\nc")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(SplitLines(QStringLiteral("a\r\n\r\n")),
              (QStringList{QStringLiteral("a"), QString()}));
    EXPECT_EQ(SplitLines(QStringLiteral("x\ry\r\n")), (QStringList{QStringLiteral("x\ry")}));
    EXPECT_TRUE(SplitLines(QString()).isEmpty());
}
