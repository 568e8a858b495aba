#include "core/helpers.h"
#include "assessment/alternatives.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <map>

namespace {

struct SplitCase
{
    const char *name;
    const char *side;
    std::vector<const char *> expected;

    // The case's name in test output, instead of its bytes.
    friend void PrintTo(const SplitCase &c, std::ostream *out) { *out << c.name; }
};

class SplitAlternativesTest : public testing::TestWithParam<SplitCase>
{
};

TEST_P(SplitAlternativesTest, GivesTheAlternativesInOrder)
{
    const Alternatives alternatives = SplitAlternatives(QString::fromUtf8(GetParam().side));
    QStringList expected;
    for (const char *text : GetParam().expected)
        expected.append(QString::fromUtf8(text));
    EXPECT_EQ(alternatives.texts, expected);
    EXPECT_EQ(alternatives.counted, expected.size());
    EXPECT_FALSE(alternatives.tooMany());
}

INSTANTIATE_TEST_SUITE_P(
    Sides, SplitAlternativesTest,
    testing::Values(
        SplitCase{"synonyms", "zart, fein", {"zart", "fein"}},
        SplitCase{"czechSynonyms", "chytrý, moudrý", {"chytrý", "moudrý"}},
        SplitCase{"endings", "studen[ý|á|é]", {"studený", "studená", "studené"}},
        SplitCase{"blanksAroundBrackets", "studen [ ý | á ]", {"studený", "studená"}},
        SplitCase{"emptyEnding", "hezk[ý|]", {"hezký", "hezk"}},
        SplitCase{"afterBracketDropped", "kalt[er|e]s", {"kalter", "kalte"}},
        SplitCase{"secondGroupIgnored", "a[b|c]d[e|f]", {"ab", "ac"}},
        SplitCase{"commaBreaksGroup", "a[b,c]", {"ab", "c]"}},
        SplitCase{"emptyPieces", "a,,b", {"a", "b"}}, SplitCase{"onlySeparators", " , ", {}},
        SplitCase{"barOutsideGroup", "a|b", {"a|b"}},
        SplitCase{"closingOutsideGroup", "a]b", {"a]b"}},
        SplitCase{"unclosedGroup", "ab[c|d", {"abc", "abd"}},
        SplitCase{"closingBeforeOpening", "a]b[c|d]", {"a]b"}},
        SplitCase{"emptyGroup", "dům[]", {"dům"}}, SplitCase{"emptyStemAndEnding", "[|x]", {"x"}},
        SplitCase{"innerBlanksStay", "der große Hund, s Haus", {"der große Hund", "s Haus"}},
        SplitCase{"tabsTrimmed", "\tab\t,\tc", {"ab", "c"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SplitAlternatives, KeepsOnlyThirtyAndReportsTheRest)
{
    const Alternatives alternatives = SplitAlternatives(QStringLiteral("x[") + QString(40, '|'));
    EXPECT_EQ(alternatives.counted, 41);
    EXPECT_TRUE(alternatives.tooMany());
    EXPECT_EQ(alternatives.count(), Alternatives::Capacity);
    EXPECT_EQ(alternatives.texts.first(), QStringLiteral("x"));

    // Exactly thirty is no overflow.
    QStringList thirty;
    for (int i = 0; i < 30; ++i)
        thirty.append(QString::number(i));
    EXPECT_FALSE(SplitAlternatives(thirty.join(',')).tooMany());
}

TEST(SplitAlternatives, CutsLongAlternativesTo50Characters)
{
    const QString stem(48, QLatin1Char('k'));
    const Alternatives alternatives = SplitAlternatives(stem + QStringLiteral("[abc|d]"));
    EXPECT_EQ(alternatives.texts, (QStringList{stem + "ab", stem + "d"}));
}

TEST(PickOfferedText, LeavesAPlainSideAloneAndDrawsNothing)
{
    ResetRandomState();
    EXPECT_EQ(PickOfferedText(QStringLiteral("das Haus")).text, QStringLiteral("das Haus"));
    EXPECT_EQ(RandomBelow(10), 0) << "a plain side must not draw a number";
}

TEST(PickOfferedText, DrawsEachAlternativeAboutEquallyOften)
{
    ResetRandomState();
    std::map<QString, int> seen;
    for (int i = 0; i < 4000; ++i)
        ++seen[PickOfferedText(QStringLiteral("klug, weise")).text];
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NEAR(seen[QStringLiteral("klug")], 2000, 200);
    EXPECT_NEAR(seen[QStringLiteral("weise")], 2000, 200);
}

TEST(PickOfferedText, ASideWithoutAlternativesIsShownUnchanged)
{
    EXPECT_EQ(PickOfferedText(QStringLiteral(" , [ ]")).text, QStringLiteral(" , [ ]"));
    EXPECT_FALSE(PickOfferedText(QStringLiteral(",")).tooMany);
}

TEST(PickOfferedText, ReportsMoreThanThirtyAlternatives)
{
    const OfferedText offered = PickOfferedText(QStringLiteral("x[") + QString(40, '|'));
    EXPECT_TRUE(offered.tooMany);
    EXPECT_EQ(offered.text, QStringLiteral("x"));
}

} // namespace
