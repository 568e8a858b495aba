#pragma once

#include "history/fsrs_optimiser.h"
#include "history/review_history.h"

#include <cstdint>
#include <random>

// A learner whose memory follows the model with weights of their own: cards come a few a day,
// each is reviewed when the published weights schedule it at 90 % recall, a little late or
// early as people are, and recalled with the probability that the learner's own weights give.
// A forgotten card is often seen again the same day.
struct LearnerPlan
{
    int cards = 800;
    int days = 365;
    std::uint32_t seed = 1;
};

// Weights of a learner drawn around the published ones, within their ranges.
Fsrs::Weights DrawLearnerWeights(std::mt19937 &random);
// A learner who forgets clearly sooner than the published weights expect.
Fsrs::Weights ForgetfulLearner();

// The learner's answers; with `heldOut`, every fifth card goes there instead.
ReviewSequences SimulateLearner(const Fsrs::Weights &learner, const LearnerPlan &plan,
                                ReviewSequences *heldOut = nullptr);

// The answers as the history takes them, each card a pair of its own in the dictionary, asked
// from side 1; `startMs` is the moment of day 0.
QList<AnswerRecord> AnswersOf(const ReviewSequences &answers, qint64 startMs,
                              const QString &dictionary);
