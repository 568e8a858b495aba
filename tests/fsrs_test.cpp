#include "history/fsrs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// One review of a sequence: the day it falls on (fractions are hours), the grade, and the
// state and interval expected after it, worked out from the published FSRS-6 equations with
// the default weights.
struct Step
{
    double day;
    Grade grade;
    double stability;
    double difficulty;
    int intervalDays;
};

struct Sequence
{
    const char *name;
    std::vector<Step> steps;
};

void PrintTo(const Sequence &row, std::ostream *out)
{
    *out << row.name;
}

class FsrsSequenceTest : public testing::TestWithParam<Sequence>
{
};

TEST_P(FsrsSequenceTest, EachReviewGivesTheStateAndIntervalOfTheEquations)
{
    std::optional<Card> card;
    for (const Step &step : GetParam().steps) {
        const qint64 at = qint64(std::llround(step.day * MsPerDay));
        card = ReviewCard(card, step.grade, at, MemoryModel{});
        SCOPED_TRACE(testing::Message() << "day " << step.day);
        EXPECT_NEAR(card->memory.stability, step.stability, 1e-5);
        EXPECT_NEAR(card->memory.difficulty, step.difficulty, 1e-5);
        EXPECT_EQ(card->dueMs - at, step.intervalDays * MsPerDay);
        EXPECT_EQ(card->lastReviewMs, at);
    }
}

using G = Grade;
INSTANTIATE_TEST_SUITE_P(
    Reviews, FsrsSequenceTest,
    testing::Values(
        // first review, then recall after the interval: stability grows, difficulty reverts
        Sequence{"good_good_good",
                 {{0, G::Good, 3.2602, 4.884632, 3},
                  {3, G::Good, 11.326707, 4.868057, 11},
                  {14, G::Good, 36.823655, 4.851596, 37}}},
        // forgotten after 17 days (the long-term forgetting term is the smaller), then a
        // second review the same day (the short-term formula)
        Sequence{"lapse_then_same_day",
                 {{0, G::Good, 3.2602, 4.884632, 3},
                  {3, G::Good, 11.326707, 4.868057, 11},
                  {20, G::Again, 2.501851, 7.226127, 3},
                  {20.2, G::Good, 2.818917, 7.193396, 3}}},
        // a good answer again the same day at a stability where the same-day formula would
        // lower it (by 0.907): it stays
        Sequence{"good_again_the_same_day_keeps_the_stability",
                 {{0, G::Good, 3.2602, 4.884632, 3},
                  {3, G::Good, 11.326707, 4.868057, 11},
                  {3.2, G::Good, 11.326707, 4.851596, 11}}},
        // forgotten after 100 days: the long-term term (0.451834) is larger than the
        // short-term one, S / e^(w17 w18), which caps it
        Sequence{"forgotten_long_after_is_capped_by_the_short_term",
                 {{0, G::Again, 0.2172, 7.0114, 1}, {100, G::Again, 0.16897, 8.362964, 1}}},
        // the hard penalty and the easy bonus
        Sequence{"hard_hard_easy",
                 {{0, G::Hard, 1.1771, 6.243133, 1},
                  {1, G::Hard, 1.699296, 7.086328, 2},
                  {4, G::Easy, 15.737752, 6.380489, 16}}},
        // reviews within a day count as the same day (elapsed days are whole 24-hour periods)
        Sequence{"again_on_the_first_day",
                 {{0, G::Again, 0.2172, 7.0114, 1},
                  {0.01, G::Again, 0.077026, 8.362964, 1},
                  {0.5, G::Good, 0.143112, 8.322389, 1},
                  {2, G::Good, 0.918234, 8.282093, 1}}}),
    [](const testing::TestParamInfo<Sequence> &info) { return std::string(info.param.name); });

TEST(FsrsTest, RetrievabilityAndIntervalsFollowTheDesiredRetention)
{
    const Fsrs::Weights &w = Fsrs::DefaultWeights;
    EXPECT_NEAR(Fsrs::Retrievability(w, 10, 5), 0.840289, 1e-6);
    EXPECT_NEAR(Fsrs::Retrievability(w, 7, 7), 0.9, 1e-12) << "90 % after `stability` days";
    EXPECT_DOUBLE_EQ(Fsrs::Retrievability(w, 0, 7), 1.0);
    // Stability 10: 90 % keeps the stability, 80 % waits three times as long, 97 % 2 days.
    EXPECT_EQ(Fsrs::NextIntervalDays(w, 10, 0.9), 10);
    EXPECT_EQ(Fsrs::NextIntervalDays(w, 10, 0.8), 30);
    EXPECT_EQ(Fsrs::NextIntervalDays(w, 10, 0.97), 2);
    EXPECT_EQ(Fsrs::NextIntervalDays(w, 0.01, 0.9), 1) << "never less than a day";
    EXPECT_EQ(Fsrs::NextIntervalDays(w, 1e9, 0.9), Fsrs::MaximumIntervalDays);
    // Lapses are "again" after the first review; reviews count all.
    std::optional<Card> card = ReviewCard(std::nullopt, Grade::Again, 0, MemoryModel{});
    card = ReviewCard(card, Grade::Again, 5 * MsPerDay, MemoryModel{});
    card = ReviewCard(card, Grade::Good, 6 * MsPerDay, MemoryModel{});
    EXPECT_EQ(card->reviews, 3);
    EXPECT_EQ(card->lapses, 1);
    EXPECT_EQ(card->introducedMs, 0);
}

// The weights in force, not the published ones, make the states, the intervals and the due
// times.
TEST(FsrsTest, TheWeightsInForceMakeTheStatesAndTheIntervals)
{
    MemoryModel own{Fsrs::DefaultWeights, 0.8};
    own.weights[2] = 1.5;  // a first "good" holds 1.5 days
    own.weights[20] = 0.5; // and recall fades with another curve
    const Card published = ReviewCard(std::nullopt, Grade::Good, 0, {Fsrs::DefaultWeights, 0.8});
    const Card card = ReviewCard(std::nullopt, Grade::Good, 0, own);
    EXPECT_DOUBLE_EQ(card.memory.stability, 1.5);
    // At 80 % the decay of 0.5 waits 2.398 stabilities, the published 0.2 waits 2.959.
    EXPECT_EQ(card.dueMs, 4 * MsPerDay) << "1.5 days times 2.398, rounded";
    EXPECT_EQ(published.dueMs, 10 * MsPerDay) << "3.2602 days times 2.959, rounded";
    EXPECT_NEAR(double(CardDueAt(card, own)) / MsPerDay, 3.597, 0.001);
    EXPECT_NEAR(CardRetrievability(own.weights, card, 3 * MsPerDay), 0.825, 0.001);
}

} // namespace
