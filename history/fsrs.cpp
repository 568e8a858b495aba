#include "fsrs.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace Fsrs {

namespace {

double decay(const Weights &w)
{
    return -w[20];
}

// Chosen so that recall is 90 % when the elapsed days equal the stability.
double factor(const Weights &w)
{
    return std::pow(0.9, 1.0 / decay(w)) - 1.0;
}

double clampDifficulty(double difficulty)
{
    return std::clamp(difficulty, 1.0, 10.0);
}

double clampStability(double stability)
{
    return std::max(stability, MinimumStability);
}

double initialDifficulty(const Weights &w, Grade grade)
{
    return w[4] - std::exp(w[5] * (int(grade) - 1)) + 1.0;
}

} // namespace

bool AreValid(const Weights &w)
{
    for (std::size_t i = 0; i < w.size(); ++i) {
        // Written so that a NaN is outside every range.
        if (!(w[i] >= LowestWeights[i] && w[i] <= HighestWeights[i]))
            return false;
    }
    return true;
}

Weights Rounded(const Weights &w)
{
    Weights rounded{};
    for (std::size_t i = 0; i < w.size(); ++i)
        rounded[i] = std::clamp(std::round(w[i] * 1e4) / 1e4, LowestWeights[i], HighestWeights[i]);
    return rounded;
}

std::optional<Weights> WeightsFromText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    Weights weights{};
    if (parts.size() != qsizetype(weights.size()))
        return std::nullopt;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        bool ok = false;
        // The C locale's reading: '.' as the decimal point whatever the desktop's language.
        weights[i] = QLocale::c().toDouble(parts.at(qsizetype(i)).trimmed(), &ok);
        if (!ok)
            return std::nullopt;
    }
    if (!AreValid(weights))
        return std::nullopt;
    return weights;
}

QString WeightsText(const Weights &weights)
{
    QStringList parts;
    for (double weight : weights)
        parts.append(QString::number(weight, 'f', 4));
    return parts.join(QStringLiteral(", "));
}

double Retrievability(const Weights &w, double elapsedDays, double stability)
{
    return std::pow(1.0 + factor(w) * std::max(elapsedDays, 0.0) / stability, decay(w));
}

MemoryState InitialState(const Weights &w, Grade grade)
{
    return {clampStability(w[std::size_t(grade) - 1]),
            clampDifficulty(initialDifficulty(w, grade))};
}

double NextDifficulty(const Weights &w, double difficulty, Grade grade)
{
    const double delta = -w[6] * (int(grade) - 3);
    const double damped = difficulty + delta * (10.0 - difficulty) / 9.0;
    return clampDifficulty(w[7] * initialDifficulty(w, Grade::Easy) + (1.0 - w[7]) * damped);
}

double StabilityAfterRecall(const Weights &w, const MemoryState &state, double retrievability,
                            Grade grade)
{
    const double hardPenalty = grade == Grade::Hard ? w[15] : 1.0;
    const double easyBonus = grade == Grade::Easy ? w[16] : 1.0;
    const double growth = std::exp(w[8]) * (11.0 - state.difficulty)
                          * std::pow(state.stability, -w[9])
                          * (std::exp(w[10] * (1.0 - retrievability)) - 1.0);
    return clampStability(state.stability * (1.0 + growth * hardPenalty * easyBonus));
}

double StabilityAfterForgetting(const Weights &w, const MemoryState &state, double retrievability)
{
    const double longTerm = w[11] * std::pow(state.difficulty, -w[12])
                            * (std::pow(state.stability + 1.0, w[13]) - 1.0)
                            * std::exp(w[14] * (1.0 - retrievability));
    const double shortTerm = state.stability / std::exp(w[17] * w[18]);
    return clampStability(std::min(longTerm, shortTerm));
}

double SameDayStability(const Weights &w, double stability, Grade grade)
{
    double increase = std::exp(w[17] * (int(grade) - 3 + w[18])) * std::pow(stability, -w[19]);
    // A good answer on the same day never makes the memory weaker.
    if (grade == Grade::Good || grade == Grade::Easy)
        increase = std::max(increase, 1.0);
    return clampStability(stability * increase);
}

MemoryState NextState(const Weights &w, const std::optional<MemoryState> &state, double elapsedDays,
                      Grade grade)
{
    if (!state)
        return InitialState(w, grade);
    MemoryState next;
    if (elapsedDays < 1.0) {
        next.stability = SameDayStability(w, state->stability, grade);
    } else {
        const double r = Retrievability(w, elapsedDays, state->stability);
        next.stability = grade == Grade::Again ? StabilityAfterForgetting(w, *state, r)
                                               : StabilityAfterRecall(w, *state, r, grade);
    }
    next.difficulty = NextDifficulty(w, state->difficulty, grade);
    return next;
}

double IntervalPerStability(const Weights &w, double desiredRetention)
{
    return (std::pow(desiredRetention, 1.0 / decay(w)) - 1.0) / factor(w);
}

double DaysUntilRetention(const Weights &w, double stability, double desiredRetention)
{
    return stability * IntervalPerStability(w, desiredRetention);
}

int NextIntervalDays(const Weights &w, double stability, double desiredRetention)
{
    const double days = std::round(DaysUntilRetention(w, stability, desiredRetention));
    return int(std::clamp(days, 1.0, double(MaximumIntervalDays)));
}

} // namespace Fsrs

double ElapsedDays(qint64 fromMs, qint64 toMs)
{
    return std::floor(double(toMs - fromMs) / MsPerDay);
}

Card ReviewCard(const std::optional<Card> &card, Grade grade, qint64 nowMs,
                const MemoryModel &model)
{
    Card next;
    if (card) {
        next = *card;
        next.memory = Fsrs::NextState(model.weights, card->memory,
                                      ElapsedDays(card->lastReviewMs, nowMs), grade);
        if (grade == Grade::Again)
            ++next.lapses;
    } else {
        next.memory = Fsrs::InitialState(model.weights, grade);
        next.introducedMs = nowMs;
    }
    ++next.reviews;
    next.lastReviewMs = nowMs;
    const int interval
        = Fsrs::NextIntervalDays(model.weights, next.memory.stability, model.desiredRetention);
    next.dueMs = nowMs + qint64(interval) * MsPerDay;
    return next;
}

double CardRetrievability(const Fsrs::Weights &w, const Card &card, qint64 nowMs)
{
    return Fsrs::Retrievability(w, double(nowMs - card.lastReviewMs) / MsPerDay,
                                card.memory.stability);
}

qint64 CardDueAtPerStability(const Card &card, double intervalPerStability)
{
    const double days
        = std::min(card.memory.stability * intervalPerStability, double(Fsrs::MaximumIntervalDays));
    return card.lastReviewMs + qint64(days * MsPerDay);
}

qint64 CardDueAt(const Card &card, const MemoryModel &model)
{
    return CardDueAtPerStability(card,
                                 Fsrs::IntervalPerStability(model.weights, model.desiredRetention));
}
