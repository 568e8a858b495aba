#include "fsrs.h"

#include <algorithm>
#include <cmath>

namespace Fsrs {

namespace {

const auto &w = DefaultWeights;

double decay()
{
    return -w[20];
}

// Chosen so that recall is 90 % when the elapsed days equal the stability.
double factor()
{
    return std::pow(0.9, 1.0 / decay()) - 1.0;
}

double clampDifficulty(double difficulty)
{
    return std::clamp(difficulty, 1.0, 10.0);
}

double clampStability(double stability)
{
    return std::max(stability, MinimumStability);
}

double initialDifficulty(Grade grade)
{
    return w[4] - std::exp(w[5] * (int(grade) - 1)) + 1.0;
}

} // namespace

double Retrievability(double elapsedDays, double stability)
{
    return std::pow(1.0 + factor() * std::max(elapsedDays, 0.0) / stability, decay());
}

MemoryState InitialState(Grade grade)
{
    return {clampStability(w[std::size_t(grade) - 1]), clampDifficulty(initialDifficulty(grade))};
}

double NextDifficulty(double difficulty, Grade grade)
{
    const double delta = -w[6] * (int(grade) - 3);
    const double damped = difficulty + delta * (10.0 - difficulty) / 9.0;
    return clampDifficulty(w[7] * initialDifficulty(Grade::Easy) + (1.0 - w[7]) * damped);
}

double StabilityAfterRecall(const MemoryState &state, double retrievability, Grade grade)
{
    const double hardPenalty = grade == Grade::Hard ? w[15] : 1.0;
    const double easyBonus = grade == Grade::Easy ? w[16] : 1.0;
    const double growth = std::exp(w[8]) * (11.0 - state.difficulty)
                          * std::pow(state.stability, -w[9])
                          * (std::exp(w[10] * (1.0 - retrievability)) - 1.0);
    return clampStability(state.stability * (1.0 + growth * hardPenalty * easyBonus));
}

double StabilityAfterForgetting(const MemoryState &state, double retrievability)
{
    const double longTerm = w[11] * std::pow(state.difficulty, -w[12])
                            * (std::pow(state.stability + 1.0, w[13]) - 1.0)
                            * std::exp(w[14] * (1.0 - retrievability));
    const double shortTerm = state.stability / std::exp(w[17] * w[18]);
    return clampStability(std::min(longTerm, shortTerm));
}

double SameDayStability(double stability, Grade grade)
{
    double increase = std::exp(w[17] * (int(grade) - 3 + w[18])) * std::pow(stability, -w[19]);
    // A good answer on the same day never makes the memory weaker.
    if (grade == Grade::Good || grade == Grade::Easy)
        increase = std::max(increase, 1.0);
    return clampStability(stability * increase);
}

MemoryState NextState(const std::optional<MemoryState> &state, double elapsedDays, Grade grade)
{
    if (!state)
        return InitialState(grade);
    MemoryState next;
    if (elapsedDays < 1.0) {
        next.stability = SameDayStability(state->stability, grade);
    } else {
        const double r = Retrievability(elapsedDays, state->stability);
        next.stability = grade == Grade::Again ? StabilityAfterForgetting(*state, r)
                                               : StabilityAfterRecall(*state, r, grade);
    }
    next.difficulty = NextDifficulty(state->difficulty, grade);
    return next;
}

double IntervalPerStability(double desiredRetention)
{
    return (std::pow(desiredRetention, 1.0 / decay()) - 1.0) / factor();
}

double DaysUntilRetention(double stability, double desiredRetention)
{
    return stability * IntervalPerStability(desiredRetention);
}

int NextIntervalDays(double stability, double desiredRetention)
{
    const double days = std::round(DaysUntilRetention(stability, desiredRetention));
    return int(std::clamp(days, 1.0, double(MaximumIntervalDays)));
}

} // namespace Fsrs

Card ReviewCard(const std::optional<Card> &card, Grade grade, qint64 nowMs, double desiredRetention)
{
    Card next;
    if (card) {
        // Whole days since the last review, as the model counts them.
        const double elapsedDays = std::floor(double(nowMs - card->lastReviewMs) / MsPerDay);
        next = *card;
        next.memory = Fsrs::NextState(card->memory, elapsedDays, grade);
        if (grade == Grade::Again)
            ++next.lapses;
    } else {
        next.memory = Fsrs::InitialState(grade);
        next.introducedMs = nowMs;
    }
    ++next.reviews;
    next.lastReviewMs = nowMs;
    next.dueMs
        = nowMs
          + qint64(Fsrs::NextIntervalDays(next.memory.stability, desiredRetention)) * MsPerDay;
    return next;
}

double CardRetrievability(const Card &card, qint64 nowMs)
{
    return Fsrs::Retrievability(double(nowMs - card.lastReviewMs) / MsPerDay,
                                card.memory.stability);
}

qint64 CardDueAtPerStability(const Card &card, double intervalPerStability)
{
    const double days
        = std::min(card.memory.stability * intervalPerStability, double(Fsrs::MaximumIntervalDays));
    return card.lastReviewMs + qint64(days * MsPerDay);
}

qint64 CardDueAt(const Card &card, double desiredRetention)
{
    return CardDueAtPerStability(card, Fsrs::IntervalPerStability(desiredRetention));
}
