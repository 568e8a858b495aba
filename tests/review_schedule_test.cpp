#include "history/review_schedule.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr qint64 Now = 1000 * MsPerDay; // a day starting at midnight, for simplicity
constexpr qint64 DayStart = Now;
constexpr LocalDay Today{DayStart, DayStart + MsPerDay};

// A card last answered `daysAgo` days before now with the stability given; one introduced
// today counts against the day's new cards.
struct CardSpec
{
    double daysAgo;
    double stability;
    bool introducedToday = false;
};
using PairSpec = std::array<std::optional<CardSpec>, 2>; // per offered side; none: new

QList<PairCards> cardsOf(const std::vector<PairSpec> &pairs)
{
    QList<PairCards> cards;
    for (const PairSpec &pair : pairs) {
        PairCards made;
        for (std::size_t side = 0; side < 2; ++side) {
            if (!pair[side])
                continue;
            Card card;
            card.memory = {pair[side]->stability, 5};
            card.lastReviewMs = Now - qint64(pair[side]->daysAgo * MsPerDay);
            card.introducedMs = pair[side]->introducedToday ? Now : 0;
            card.reviews = 1;
            made[side] = card;
        }
        cards.append(made);
    }
    return cards;
}

const std::optional<CardSpec> New;

struct ChoiceCase
{
    const char *name;
    std::vector<PairSpec> pairs;
    ScheduleOptions options;
    int previousPosition;
    ScheduledChoice expected;
};

void PrintTo(const ChoiceCase &row, std::ostream *out)
{
    *out << row.name;
}

class ScheduledChoiceTest : public testing::TestWithParam<ChoiceCase>
{
};

TEST_P(ScheduledChoiceTest, ChoosesTheCardTheOrderGives)
{
    const ChoiceCase &row = GetParam();
    ReviewScheduler scheduler;
    EXPECT_EQ(scheduler.choose(cardsOf(row.pairs), Now, Today, row.options, row.previousPosition),
              row.expected);
}

// At 90 % a card is due once the days since its review pass its stability; at 80 % three
// times its stability.
const ScheduleOptions firstSide{MemoryModel{}, 20, 1};
INSTANTIATE_TEST_SUITE_P(
    Order, ScheduledChoiceTest,
    testing::Values(
        ChoiceCase{"due_before_new", {{New, New}, {CardSpec{10, 2}, New}}, firstSide, 0, {2, 1}},
        ChoiceCase{"most_overdue_first",
                   {{CardSpec{5, 4}, New}, {CardSpec{30, 10}, New}},
                   firstSide,
                   0,
                   {2, 1}},
        ChoiceCase{"new_in_file_order_when_nothing_is_due",
                   {{CardSpec{1, 10}, New}, {New, New}, {New, New}},
                   firstSide,
                   0,
                   {2, 1}},
        ChoiceCase{"no_new_over_the_limit_then_the_weakest",
                   {{CardSpec{1, 10}, New},
                    {CardSpec{2, 3}, New},
                    {CardSpec{0, 10, true}, New},
                    {New, New}},
                   {MemoryModel{}, 1, 1},
                   0,
                   {2, 1}},
        ChoiceCase{"the_previous_pair_again_rather_than_new_over_the_limit",
                   {{CardSpec{0, 10, true}, New}, {New, New}, {New, New}, {New, New}},
                   {MemoryModel{}, 1, 1},
                   1,
                   {1, 1}},
        ChoiceCase{"new_over_the_limit_only_when_no_card_was_answered",
                   {{New, New}, {New, New}},
                   {MemoryModel{}, 0, 1},
                   1,
                   {2, 1}},
        ChoiceCase{"never_the_previous_pair_again",
                   {{CardSpec{50, 1}, New}, {CardSpec{5, 4}, New}},
                   firstSide,
                   1,
                   {2, 1}},
        ChoiceCase{"the_previous_pair_when_it_is_the_only_one",
                   {{CardSpec{0, 10}, New}},
                   firstSide,
                   1,
                   {1, 1}},
        ChoiceCase{"a_fixed_second_side_sees_only_its_cards",
                   {{CardSpec{50, 1}, CardSpec{1, 10}}, {New, CardSpec{5, 2}}},
                   {MemoryModel{}, 20, 2},
                   0,
                   {2, 2}},
        ChoiceCase{"both_sides_when_the_side_is_drawn",
                   {{CardSpec{1, 10}, CardSpec{5, 2}}},
                   {MemoryModel{}, 20, std::nullopt},
                   0,
                   {1, 2}},
        ChoiceCase{"a_lower_retention_waits_longer",
                   {{CardSpec{5, 4}, New}, {New, New}},
                   {MemoryModel{Fsrs::DefaultWeights, 0.8}, 20, 1},
                   0,
                   {2, 1}}),
    [](const testing::TestParamInfo<ChoiceCase> &info) { return std::string(info.param.name); });

TEST(ReviewSchedulerTest, AWrongAnswerComesBackAfterThreeOtherOffers)
{
    QList<PairCards> cards = cardsOf({{New, New}, {New, New}, {New, New}, {New, New}, {New, New}});
    ReviewScheduler scheduler;
    std::vector<int> offered;
    int previous = 0;
    qint64 now = Now;
    for (int offer = 0; offer < 6; ++offer) {
        const ScheduledChoice choice = scheduler.choose(cards, now, Today, firstSide, previous);
        scheduler.offered(choice);
        offered.push_back(choice.position);
        const Grade grade = offered.size() == 1 ? Grade::Again : Grade::Good;
        auto &card = cards[choice.position - 1][std::size_t(choice.side - 1)];
        card = ReviewCard(card, grade, now, MemoryModel{});
        scheduler.answered(choice, grade);
        previous = choice.position;
        now += 60 * 1000;
    }
    EXPECT_EQ(offered, (std::vector<int>{1, 2, 3, 4, 1, 5}));
}

TEST(ReviewSchedulerTest, ADueCardWaitingToComeBackIsNotTakenEarly)
{
    QList<PairCards> cards = cardsOf({{CardSpec{30, 1}, New}, {CardSpec{40, 1}, New}});
    ReviewScheduler scheduler;
    scheduler.answered({2, 1}, Grade::Again);
    EXPECT_EQ(scheduler.choose(cards, Now, Today, firstSide, 0), (ScheduledChoice{1, 1}));
    // A merge moved pair 2 to position 1: it still waits there.
    scheduler.follow({0, 1});
    cards.removeFirst();
    cards.append(cardsOf({{New, New}}));
    EXPECT_EQ(scheduler.choose(cards, Now, Today, firstSide, 0), (ScheduledChoice{2, 1}));
}

TEST(ReviewSchedulerTest, CountsTheCardsDueTodayAndTheNewOnesLeft)
{
    const QList<PairCards> cards = cardsOf({
        {CardSpec{10, 2}, CardSpec{1, 1.5}}, // due now; due at noon today
        {CardSpec{0, 10, true}, New},        // answered first today, due in 10 days
        {New, New},
        {CardSpec{1, 1}, CardSpec{0.5, 2}}, // due since midnight; due on the next day
    });
    EXPECT_EQ(ReviewScheduler::counts(cards, Today, {MemoryModel{}, 20, std::nullopt}),
              (ScheduleCounts{3, 3}));
    EXPECT_EQ(ReviewScheduler::counts(cards, Today, {MemoryModel{}, 20, 1}),
              (ScheduleCounts{2, 1}));
    EXPECT_EQ(ReviewScheduler::counts(cards, Today, {MemoryModel{}, 2, std::nullopt}),
              (ScheduleCounts{3, 1}))
        << "one of two new cards was used today";
}

// In the morning a card due at noon still has its recall above the retention, yet it is
// counted as due today: so it is offered before the new cards, as the count promises.
TEST(ReviewSchedulerTest, ACardCountedDueTodayComesBeforeNewCards)
{
    const QList<PairCards> cards = cardsOf({{New, New}, {CardSpec{0.5, 1}, New}});
    const qint64 morning = DayStart + 8 * 60 * 60 * 1000;
    EXPECT_EQ(ReviewScheduler::counts(cards, Today, firstSide), (ScheduleCounts{1, 1}));
    ReviewScheduler scheduler;
    EXPECT_EQ(scheduler.choose(cards, morning, Today, firstSide, 0), (ScheduledChoice{2, 1}));
}

} // namespace
