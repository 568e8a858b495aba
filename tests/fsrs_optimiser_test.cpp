#include "history/fsrs_optimiser.h"
#include "simulated_learner.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Weights away from the published ones and from every range's edge, so that no clamp of the
// equations hides a weight's effect.
Fsrs::Weights shiftedWeights()
{
    Fsrs::Weights w = Fsrs::DefaultWeights;
    for (std::size_t i = 0; i < w.size(); ++i)
        w[i] = std::clamp(w[i] * (i % 2 ? 1.13 : 0.91), Fsrs::LowestWeights[i] + 0.01,
                          Fsrs::HighestWeights[i] - 0.01);
    w[7] = 0.05; // the mean reversion of difficulty, visible
    w[15] = 0.6;
    return w;
}

const ReviewSequences &learnerAnswers()
{
    static const ReviewSequences answers
        = SimulateLearner(shiftedWeights(), {.cards = 120, .days = 200, .seed = 7});
    return answers;
}

class GradientTest : public testing::TestWithParam<int>
{
};

// The gradient worked back through every card's answers is the loss's slope by each weight.
TEST_P(GradientTest, IsTheSlopeOfTheLossByTheWeight)
{
    const std::size_t i = std::size_t(GetParam());
    const Fsrs::Weights w = shiftedWeights();
    FsrsFit::Gradient gradient{};
    FsrsFit::LogLoss(w, learnerAnswers(), &gradient);
    const double step = 1e-6 * std::max(1.0, std::abs(w[i]));
    Fsrs::Weights up = w;
    Fsrs::Weights down = w;
    up[i] += step;
    down[i] -= step;
    const double slope = (FsrsFit::LogLoss(up, learnerAnswers(), nullptr)
                          - FsrsFit::LogLoss(down, learnerAnswers(), nullptr))
                         / (2 * step);
    EXPECT_NEAR(gradient[i], slope, 1e-4 * std::max(1.0, std::abs(slope)));
    EXPECT_NE(slope, 0.0) << "the answers exercise the weight";
}

INSTANTIATE_TEST_SUITE_P(EveryWeight, GradientTest, testing::Range(0, 21),
                         [](const testing::TestParamInfo<int> &info) {
                             return "w" + std::to_string(info.param);
                         });

// The fit's own equations are the model's: its loss is the one of the cards replayed review by
// review.
TEST(FsrsFit, PredictsWhatTheReplayedCardsPredict)
{
    const Fsrs::Weights w = shiftedWeights();
    const ReviewSequences &answers = learnerAnswers();
    double loss = 0;
    for (qsizetype card = 0; card < answers.cards(); ++card) {
        std::optional<Card> replayed;
        for (qsizetype answer = answers.begin(card); answer < answers.end(card); ++answer) {
            if (replayed && answers.elapsedDays(answer) >= 1.0) {
                const double days = ElapsedDays(replayed->lastReviewMs, answers.atMs(answer));
                const double r = Fsrs::Retrievability(w, days, replayed->memory.stability);
                loss -= std::log(answers.grade(answer) > Grade::Again ? r : 1 - r);
            }
            replayed = ReviewCard(replayed, answers.grade(answer), answers.atMs(answer), {w, 0.9});
        }
    }
    EXPECT_NEAR(FsrsFit::LogLoss(w, answers, nullptr), loss, 1e-9 * loss);
}

} // namespace
