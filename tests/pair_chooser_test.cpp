#include "core/helpers.h"
#include "drill/pair_chooser.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

Vocabulary plainPairs(int count)
{
    Vocabulary vocabulary;
    for (int i = 1; i <= count; ++i) {
        VocabularyEntry entry;
        entry.side[1] = QStringLiteral("slovo%1").arg(i);
        entry.side[2] = QStringLiteral("Wort%1").arg(i);
        vocabulary.entries.append(entry);
    }
    return vocabulary;
}

Settings settingsFor(int cetnost, int primJazyk)
{
    Settings settings;
    settings.pairChoice = PairChoice(cetnost);
    settings.sideChoice = SideChoice(primJazyk);
    return settings;
}

std::vector<int> choose(PairChooser &chooser, const Vocabulary &vocabulary,
                        const Settings &settings, int times)
{
    std::vector<int> positions;
    for (int i = 0; i < times; ++i)
        positions.push_back(chooser.ChooseNextPair(vocabulary, settings));
    return positions;
}

TEST(ChooseNextPair, ARunOfTenPlainPairsAtRandomGivesTheKnownSequence)
{
    ResetRandomState();
    PairChooser chooser;
    EXPECT_EQ(chooser.previousPosition(), -1);
    const Vocabulary vocabulary = plainPairs(10);
    EXPECT_EQ(choose(chooser, vocabulary, settingsFor(2, 0), 8),
              (std::vector<int>{1, 9, 3, 7, 4, 2, 4, 5}));
    EXPECT_EQ(chooser.previousPosition(), 5);
}

TEST(ChooseOfferedSide, DrawsOnlyWhenTheSideIsRandom)
{
    ResetRandomState();
    EXPECT_EQ(ChooseOfferedSide(2, settingsFor(0, 0)), 2);
    EXPECT_EQ(ChooseOfferedSide(1, settingsFor(0, 1)), 1);
    EXPECT_EQ(RandomBelow(10), 0) << "a fixed side must not draw";
    ResetRandomState();
    std::vector<int> sides;
    for (int i = 0; i < 8; ++i)
        sides.push_back(ChooseOfferedSide(2, settingsFor(0, 2)));
    EXPECT_EQ(sides, (std::vector<int>{1, 1, 2, 1, 1, 2, 1, 1}));
}

class EveryModeTest : public testing::TestWithParam<std::pair<int, int>>
{
};

TEST_P(EveryModeTest, TwoPairsAlternateStrictly)
{
    ResetRandomState();
    PairChooser chooser;
    const Vocabulary vocabulary = plainPairs(2);
    const Settings settings = settingsFor(GetParam().first, GetParam().second);
    const std::vector<int> positions = choose(chooser, vocabulary, settings, 20);
    for (std::size_t i = 1; i < positions.size(); ++i)
        ASSERT_NE(positions[i], positions[i - 1]);
}

TEST_P(EveryModeTest, OnePairIsReturnedAtOnceEveryTime)
{
    PairChooser chooser;
    const Vocabulary vocabulary = plainPairs(1);
    EXPECT_EQ(choose(chooser, vocabulary, settingsFor(GetParam().first, GetParam().second), 5),
              (std::vector<int>(5, 1)));
}

TEST_P(EveryModeTest, NeverRepeatsThePreviousPairAndReachesEveryOther)
{
    ResetRandomState();
    PairChooser chooser;
    const Vocabulary vocabulary = plainPairs(5);
    std::vector<int> seen(6, 0);
    int previous = -1;
    for (int position :
         choose(chooser, vocabulary, settingsFor(GetParam().first, GetParam().second), 500)) {
        ASSERT_NE(position, previous);
        ASSERT_GE(position, 1);
        ASSERT_LE(position, 5);
        ++seen[std::size_t(position)];
        previous = position;
    }
    for (int position = 1; position <= 5; ++position)
        EXPECT_GT(seen[std::size_t(position)], 60) << position;
}

INSTANTIATE_TEST_SUITE_P(Modes, EveryModeTest,
                         testing::Values(std::pair{0, 0}, std::pair{0, 1}, std::pair{0, 2},
                                         std::pair{1, 0}, std::pair{1, 1}, std::pair{1, 2},
                                         std::pair{2, 0}, std::pair{2, 2}));

// Draws many times from a fresh chooser whose previous pair is given; counts the results.
std::vector<int> frequencies(const Vocabulary &vocabulary, const Settings &settings, int previous,
                             int draws)
{
    std::vector<int> counts(std::size_t(vocabulary.count() + 1), 0);
    for (int i = 0; i < draws; ++i) {
        PairChooser chooser(previous);
        ++counts[std::size_t(chooser.ChooseNextPair(vocabulary, settings))];
    }
    return counts;
}

// With 20,000 draws the standard deviation of a share of 1/5 is 0.0028; a tolerance of
// 0.02 is seven deviations wide, and the generator is deterministic besides.
TEST(ChooseNextPair, ByOfferCountsFollowsTheWeights)
{
    ResetRandomState();
    Vocabulary vocabulary = plainPairs(3);
    vocabulary.at(1).offers[1] = 5;
    vocabulary.at(2).offers[1] = 2;
    vocabulary.at(3).offers[1] = 0;
    vocabulary.at(1).offers[2] = 100; // the other side's counter is not the key
    const std::vector<int> counts = frequencies(vocabulary, settingsFor(0, 0), 3, 20000);
    EXPECT_EQ(counts[3], 0);
    EXPECT_NEAR(counts[1] / 20000.0, 0.2, 0.02);
    EXPECT_NEAR(counts[2] / 20000.0, 0.8, 0.02);
}

TEST(ChooseNextPair, ByErrorCountsFollowsTheWeights)
{
    ResetRandomState();
    Vocabulary vocabulary = plainPairs(3);
    vocabulary.at(1).errors[2] = 0;
    vocabulary.at(2).errors[2] = 3;
    vocabulary.at(3).errors[2] = 1;
    const std::vector<int> counts = frequencies(vocabulary, settingsFor(1, 1), 2, 20000);
    EXPECT_EQ(counts[2], 0);
    EXPECT_NEAR(counts[1] / 20000.0, 1.0 / 3, 0.02);
    EXPECT_NEAR(counts[3] / 20000.0, 2.0 / 3, 0.02);
}

TEST(ChooseNextPair, RandomSideWeighsBothSidesCounters)
{
    ResetRandomState();
    Vocabulary vocabulary = plainPairs(3);
    vocabulary.at(1).errors[1] = 1;
    vocabulary.at(1).errors[2] = 2; // key 3, weight 4
    const std::vector<int> counts = frequencies(vocabulary, settingsFor(1, 2), 3, 20000);
    EXPECT_NEAR(counts[1] / 20000.0, 0.8, 0.02);
    EXPECT_NEAR(counts[2] / 20000.0, 0.2, 0.02);
}

TEST(ChooseNextPair, NegativeCountersNeverStopTheChoice)
{
    ResetRandomState();
    Vocabulary vocabulary = plainPairs(3);
    for (int i = 1; i <= 3; ++i)
        vocabulary.at(i).errors[1] = -5; // every weight below 0: all count as 0
    std::vector<int> counts = frequencies(vocabulary, settingsFor(1, 0), 1, 2000);
    EXPECT_EQ(counts[1], 0);
    EXPECT_NEAR(counts[2], 1000, 150);
    EXPECT_NEAR(counts[3], 1000, 150);

    // Only the previous pair has weight: the others are still reached, equally.
    vocabulary.at(1).errors[1] = 4;
    counts = frequencies(vocabulary, settingsFor(1, 0), 1, 2000);
    EXPECT_EQ(counts[1], 0);
    EXPECT_NEAR(counts[2], 1000, 150);

    // A pair of weight 0 beside pairs with weight is never drawn.
    vocabulary.at(2).errors[1] = -1;
    vocabulary.at(3).errors[1] = 0;
    counts = frequencies(vocabulary, settingsFor(1, 0), 1, 500);
    EXPECT_EQ(counts[3], 500);

    // By offer counts, all keys negative: the largest key counts as 0, weights stay positive.
    vocabulary.at(1).offers[1] = -3;
    vocabulary.at(2).offers[1] = -1;
    vocabulary.at(3).offers[1] = -1;
    counts = frequencies(vocabulary, settingsFor(0, 0), 3, 20000);
    EXPECT_NEAR(counts[1] / 20000.0, 4.0 / 6, 0.02);
}

TEST(ChooseNextPair, HugeCountersStillGiveAPair)
{
    Vocabulary vocabulary = plainPairs(3);
    for (int i = 1; i <= 3; ++i) {
        vocabulary.at(i).offers[1] = 2147483647;
        vocabulary.at(i).offers[2] = 2147483647;
    }
    vocabulary.at(2).offers[1] = -2147483647 - 1;
    PairChooser chooser(1);
    const int position = chooser.ChooseNextPair(vocabulary, settingsFor(0, 2));
    EXPECT_TRUE(position == 2 || position == 3);
}

TEST(ChooseNextPair, ThePreviousPositionRunsOnIntoAnotherDictionary)
{
    ResetRandomState();
    PairChooser chooser;
    const Vocabulary first = plainPairs(10);
    const int last = choose(chooser, first, settingsFor(2, 0), 3).back();
    const Vocabulary second = plainPairs(last);
    EXPECT_NE(chooser.ChooseNextPair(second, settingsFor(2, 0)), last);
}

} // namespace

namespace {

// The choice as first written: draw by the weights until the draw misses the previous pair,
// with a generator of its own that follows the program's rule.
class UnboundedChooser
{
public:
    int choose(const Vocabulary &vocabulary, const Settings &settings)
    {
        const int count = vocabulary.count();
        std::vector<qint64> sums;
        qint64 largest = 0;
        for (const VocabularyEntry &entry : vocabulary.entries)
            largest = std::max(largest, PairChooser::PairKey(entry, settings));
        for (const VocabularyEntry &entry : vocabulary.entries) {
            const qint64 key = PairChooser::PairKey(entry, settings);
            const qint64 weight
                = settings.pairChoice == PairChoice::ByOffers ? largest - key + 1 : key + 1;
            sums.push_back((sums.empty() ? 0 : sums.back()) + weight);
        }
        int position = 0;
        do {
            const qint64 drawn = below(int(sums.back())) + 1;
            position = 1;
            while (sums[std::size_t(position - 1)] < drawn)
                ++position;
        } while (position == m_previous && count > 1);
        m_previous = position;
        return position;
    }

private:
    int below(int n)
    {
        m_state = m_state * 134775813u + 1u;
        return int((std::uint64_t(m_state) * std::uint64_t(n)) >> 32);
    }

    std::uint32_t m_state = 0;
    int m_previous = -1;
};

// Bounding the draws changes nothing for dictionaries whose draws end within the bound.
TEST(ChooseNextPair, KeepsTheSequenceOfTheUnboundedDrawForOrdinaryCounters)
{
    QRandomGenerator random(11);
    for (int round = 0; round < 200; ++round) {
        Vocabulary vocabulary = plainPairs(2 + int(random.bounded(12)));
        for (VocabularyEntry &entry : vocabulary.entries) {
            for (int side : {1, 2}) {
                entry.offers[side] = int(random.bounded(40));
                entry.errors[side] = int(random.bounded(entry.offers[side] + 1));
            }
        }
        const Settings settings = settingsFor(int(random.bounded(2)), int(random.bounded(3)));
        ResetRandomState();
        PairChooser chooser;
        UnboundedChooser reference;
        for (int i = 0; i < 50; ++i) {
            const int expected = reference.choose(vocabulary, settings);
            ASSERT_EQ(chooser.ChooseNextPair(vocabulary, settings), expected)
                << "round " << round << ", choice " << i;
            vocabulary.at(expected).offers[1] += int(random.bounded(2));
        }
    }
}

// A hand-edited counter can give the previous pair almost all the weight; the choice still
// ends with another pair, after a bounded number of draws.
TEST(ChooseNextPair, APreviousPairWithAlmostAllTheWeightStillGivesWayAtOnce)
{
    Vocabulary vocabulary = plainPairs(3);
    vocabulary.at(1).errors[1] = 2147483000;
    vocabulary.at(3).errors[1] = 1; // weight 2 against 1 for pair 2
    ResetRandomState();
    std::vector<int> counts(4, 0);
    for (int i = 0; i < 3000; ++i) {
        PairChooser chooser(1);
        ++counts[std::size_t(chooser.ChooseNextPair(vocabulary, settingsFor(1, 0)))];
    }
    EXPECT_EQ(counts[1], 0);
    EXPECT_NEAR(counts[3] / 3000.0, 2.0 / 3, 0.04) << "the others keep their proportions";
}

} // namespace
