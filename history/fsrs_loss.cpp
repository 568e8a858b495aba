#include "fsrs_optimiser.h"

#include <algorithm>
#include <cmath>
#include <thread>

void ReviewSequences::startCard()
{
    m_starts.push_back(std::uint32_t(m_grades.size()));
}

void ReviewSequences::add(qint64 atMs, Grade grade)
{
    const bool first = m_starts.back() == m_grades.size();
    // A clock set wrong on one computer can put an answer before the one it follows: the same
    // day, as the model counts it.
    m_days.push_back(first ? 0.0 : std::max(0.0, ElapsedDays(m_times.back(), atMs)));
    m_grades.push_back(std::uint8_t(grade));
    m_times.push_back(atMs);
}

qsizetype ReviewSequences::predicted() const
{
    qsizetype count = 0;
    for (qsizetype card = 0; card < cards(); ++card) {
        for (qsizetype answer = begin(card) + 1; answer < end(card); ++answer)
            count += elapsedDays(answer) >= 1.0 ? 1 : 0;
    }
    return count;
}

qsizetype ReviewSequences::cardsWithPredictions() const
{
    qsizetype count = 0;
    for (qsizetype card = 0; card < cards(); ++card) {
        for (qsizetype answer = begin(card) + 1; answer < end(card); ++answer) {
            if (elapsedDays(answer) >= 1.0) {
                ++count;
                break;
            }
        }
    }
    return count;
}

ReviewSequences ReviewSequences::before(qint64 cutMs) const
{
    ReviewSequences earlier;
    for (qsizetype card = 0; card < cards(); ++card) {
        if (atMs(begin(card)) >= cutMs)
            continue;
        earlier.startCard();
        for (qsizetype answer = begin(card); answer < end(card) && atMs(answer) < cutMs; ++answer)
            earlier.add(atMs(answer), grade(answer));
    }
    return earlier;
}

qint64 ReviewSequences::timeOfShare(double share) const
{
    if (m_times.empty())
        return 0;
    std::vector<qint64> times = m_times;
    const auto at
        = times.begin() + std::ptrdiff_t(std::clamp(share, 0.0, 1.0) * double(times.size() - 1));
    std::nth_element(times.begin(), at, times.end());
    return *at;
}

namespace FsrsFit {

namespace {

constexpr double MinimumStability = Fsrs::MinimumStability;
// Predictions are kept this far from 0 and 1, so that one surprise costs a bounded loss.
constexpr double Certainty = 1e-7;
const double Ln09 = std::log(0.9);

// What every answer's equations share, worked out once for a set of weights.
struct Model
{
    explicit Model(const Fsrs::Weights &weights)
        : w(weights)
        , factor(std::exp(-Ln09 / w[20]) - 1.0)
        , factorByDecay((factor + 1.0) * Ln09 / (w[20] * w[20]))
        , easyDifficulty(w[4] - std::exp(3.0 * w[5]) + 1.0)
        , easyDifficultyByW5(-3.0 * std::exp(3.0 * w[5]))
        , expW8(std::exp(w[8]))
        , shortTermDivisor(std::exp(w[17] * w[18]))
    {}

    const Fsrs::Weights &w;
    double factor;
    double factorByDecay; // its derivative by w20
    double easyDifficulty;
    double easyDifficultyByW5;
    double expW8;
    double shortTermDivisor;

    double retrievability(double days, double stability) const
    {
        return std::exp(-w[20] * std::log1p(factor * days / stability));
    }

    void initial(Grade grade, double &stability, double &difficulty) const
    {
        stability = std::max(w[std::size_t(grade) - 1], MinimumStability);
        difficulty = std::clamp(w[4] - std::exp(w[5] * (int(grade) - 1)) + 1.0, 1.0, 10.0);
    }

    double nextDifficulty(double difficulty, Grade grade) const
    {
        const double delta = -w[6] * (int(grade) - 3);
        const double damped = difficulty + delta * (10.0 - difficulty) / 9.0;
        return std::clamp(w[7] * easyDifficulty + (1.0 - w[7]) * damped, 1.0, 10.0);
    }
};

// One answer of a card as the equations went: the state before it, and what its way back
// needs of the way there.
struct Step
{
    double s = 0;    // the stability before the answer
    double d = 0;    // the difficulty before it
    double days = 0; // since the previous answer
    Grade grade = Grade::Good;
    double logS = 0;      // log(s)
    double r = 1;         // the retrievability then (1 on the same day)
    double logGrowth = 0; // log(1 + factor days / s)
    double power = 0;     // s^-w9 (recall), d^-w12 (forgetting), the increase (same day)
    double grown = 0;     // (s + 1)^w13 (forgetting)
    double surprise = 0;  // e^(w10 (1 - r)) (recall), e^(w14 (1 - r)) (forgetting)
};

// The stability after the answer, with `step` filled for the way back.
double forward(const Model &m, Step &step)
{
    const auto &w = m.w;
    const double s = step.s;
    const int g = int(step.grade);
    step.logS = std::log(s);
    if (step.days < 1.0) {
        step.power = std::exp(w[17] * (g - 3 + w[18]) - w[19] * step.logS);
        const double increase = g >= int(Grade::Good) ? std::max(step.power, 1.0) : step.power;
        return std::max(s * increase, MinimumStability);
    }
    step.logGrowth = std::log1p(m.factor * step.days / s);
    step.r = std::exp(-w[20] * step.logGrowth);
    if (step.grade == Grade::Again) {
        step.power = std::exp(-w[12] * std::log(step.d));
        step.grown = std::exp(w[13] * std::log1p(s));
        step.surprise = std::exp(w[14] * (1.0 - step.r));
        const double longTerm = w[11] * step.power * (step.grown - 1.0) * step.surprise;
        return std::max(std::min(longTerm, s / m.shortTermDivisor), MinimumStability);
    }
    const double bonus = g == int(Grade::Hard) ? w[15] : g == int(Grade::Easy) ? w[16] : 1.0;
    step.power = std::exp(-w[9] * step.logS);
    step.surprise = std::exp(w[10] * (1.0 - step.r));
    const double growth = m.expW8 * (11.0 - step.d) * step.power * (step.surprise - 1.0);
    return std::max(s * (1.0 + growth * bonus), MinimumStability);
}

// The adjoints of one answer's inputs: the previous stability, difficulty and retrievability.
struct Adjoints
{
    double stability = 0;
    double difficulty = 0;
    double retrievability = 0;
};

// Each works the adjoint of the state after an answer (aS or aD) back to the state before it,
// adding the weights' share to `g`.
void backDifficulty(const Model &m, const Step &step, double aD, Adjoints &before, Gradient &g)
{
    const auto &w = m.w;
    const int sign = int(step.grade) - 3;
    const double delta = -w[6] * sign;
    const double damped = step.d + delta * (10.0 - step.d) / 9.0;
    const double raw = w[7] * m.easyDifficulty + (1.0 - w[7]) * damped;
    if (aD == 0.0 || raw <= 1.0 || raw >= 10.0)
        return;
    before.difficulty += aD * (1.0 - w[7]) * (1.0 - delta / 9.0);
    g[4] += aD * w[7];
    g[5] += aD * w[7] * m.easyDifficultyByW5;
    g[6] -= aD * (1.0 - w[7]) * sign * (10.0 - step.d) / 9.0;
    g[7] += aD * (m.easyDifficulty - damped);
}

void backSameDay(const Model &m, const Step &step, double aS, Adjoints &before, Gradient &g)
{
    const auto &w = m.w;
    const double s = step.s;
    if (step.grade >= Grade::Good && step.power < 1.0) {
        before.stability += aS;
        return;
    }
    const double next = s * step.power;
    if (next < MinimumStability)
        return;
    before.stability += aS * (1.0 - w[19]) * step.power;
    g[17] += aS * next * (int(step.grade) - 3 + w[18]);
    g[18] += aS * next * w[17];
    g[19] -= aS * next * step.logS;
}

void backForgetting(const Model &m, const Step &step, double aS, Adjoints &before, Gradient &g)
{
    const auto &w = m.w;
    const double s = step.s;
    const double longTerm = w[11] * step.power * (step.grown - 1.0) * step.surprise;
    const double shortTerm = s / m.shortTermDivisor;
    if (std::min(longTerm, shortTerm) < MinimumStability)
        return;
    if (!(shortTerm < longTerm)) {
        before.stability
            += aS * w[11] * step.power * w[13] * step.grown / (s + 1.0) * step.surprise;
        before.difficulty -= aS * w[12] * longTerm / step.d;
        before.retrievability -= aS * w[14] * longTerm;
        g[11] += aS * step.power * (step.grown - 1.0) * step.surprise;
        g[12] -= aS * longTerm * std::log(step.d);
        g[13] += aS * w[11] * step.power * step.grown * std::log1p(s) * step.surprise;
        g[14] += aS * longTerm * (1.0 - step.r);
    } else {
        before.stability += aS / m.shortTermDivisor;
        g[17] -= aS * shortTerm * w[18];
        g[18] -= aS * shortTerm * w[17];
    }
}

void backRecall(const Model &m, const Step &step, double aS, Adjoints &before, Gradient &g)
{
    const auto &w = m.w;
    const double s = step.s;
    const double bonus = step.grade == Grade::Hard   ? w[15]
                         : step.grade == Grade::Easy ? w[16]
                                                     : 1.0;
    const double base = m.expW8 * step.power;
    const double growth = base * (11.0 - step.d) * (step.surprise - 1.0); // without the bonus
    const double bySurprise = s * bonus * base * (11.0 - step.d) * step.surprise;
    before.stability += aS * (1.0 + growth * bonus * (1.0 - w[9]));
    before.difficulty -= aS * s * bonus * base * (step.surprise - 1.0);
    before.retrievability -= aS * bySurprise * w[10];
    g[8] += aS * s * growth * bonus;
    g[9] -= aS * s * growth * bonus * step.logS;
    g[10] += aS * bySurprise * (1.0 - step.r);
    if (step.grade == Grade::Hard)
        g[15] += aS * s * growth;
    else if (step.grade == Grade::Easy)
        g[16] += aS * s * growth;
}

// The retrievability's adjoint worked back to the stability and the decay.
void backRetrievability(const Model &m, const Step &step, Adjoints &before, Gradient &g)
{
    const auto &w = m.w;
    const double aR = before.retrievability;
    const double growth = 1.0 + m.factor * step.days / step.s;
    before.stability += aR * w[20] * step.r * (growth - 1.0) / (growth * step.s);
    g[20]
        += aR * step.r * (-step.logGrowth - w[20] * step.days / step.s * m.factorByDecay / growth);
}

double clampedPrediction(double r)
{
    return std::clamp(r, Certainty, 1.0 - Certainty);
}

double logLossOf(double p, bool recalled)
{
    return -std::log(recalled ? p : 1.0 - p);
}

// The same for an answer's own prediction, where -log(r) is known without a logarithm.
double logLossOf(const Model &m, const Step &step)
{
    const double p = clampedPrediction(step.r);
    if (p == step.r && step.grade > Grade::Again)
        return m.w[20] * step.logGrowth;
    return logLossOf(p, step.grade > Grade::Again);
}

// The first answer's share of the gradient: the initial stability and difficulty.
void backInitial(const Model &m, Grade grade, double aS, double aD, Gradient &g)
{
    const auto &w = m.w;
    if (w[std::size_t(grade) - 1] >= MinimumStability)
        g[std::size_t(grade) - 1] += aS;
    const double byW5 = std::exp(w[5] * (int(grade) - 1));
    const double raw = w[4] - byW5 + 1.0;
    if (raw > 1.0 && raw < 10.0) {
        g[4] += aD;
        g[5] -= aD * (int(grade) - 1) * byW5;
    }
}

// One card's summed log loss of the answers at or after `fromMs` and, with `g`, its gradient.
double cardLoss(const Model &m, const ReviewSequences &reviews, qsizetype card, qint64 fromMs,
                Gradient *g, std::vector<Step> &steps)
{
    const qsizetype first = reviews.begin(card);
    const qsizetype count = reviews.end(card) - first;
    steps.resize(std::size_t(count));
    double s = 0;
    double d = 0;
    m.initial(reviews.grade(first), s, d);
    double loss = 0;
    for (qsizetype k = 1; k < count; ++k) {
        Step &step = steps[std::size_t(k)];
        step = Step{s, d, reviews.elapsedDays(first + k), reviews.grade(first + k)};
        s = forward(m, step);
        d = m.nextDifficulty(step.d, step.grade);
        if (step.days >= 1.0 && reviews.atMs(first + k) >= fromMs)
            loss += logLossOf(m, step);
    }
    if (!g)
        return loss;
    double aS = 0; // the adjoints of the state after answer k
    double aD = 0;
    for (qsizetype k = count - 1; k >= 1; --k) {
        const Step &step = steps[std::size_t(k)];
        Adjoints before;
        backDifficulty(m, step, aD, before, *g);
        if (step.days < 1.0) {
            backSameDay(m, step, aS, before, *g);
        } else {
            if (step.grade == Grade::Again)
                backForgetting(m, step, aS, before, *g);
            else
                backRecall(m, step, aS, before, *g);
            const double p = clampedPrediction(step.r);
            if (reviews.atMs(first + k) >= fromMs && p == step.r) {
                const double recalled = step.grade > Grade::Again ? 1.0 : 0.0;
                before.retrievability += (p - recalled) / (p * (1.0 - p));
            }
            backRetrievability(m, step, before, *g);
        }
        aS = before.stability;
        aD = before.difficulty;
    }
    backInitial(m, reviews.grade(first), aS, aD, *g);
    return loss;
}

// The cards in two fixed halves, each on a thread of its own when there is enough work: the
// sums are added in the same order whatever the machine, so that a fit is repeatable.
double summedLoss(const Fsrs::Weights &w, const ReviewSequences &reviews, Gradient *gradient,
                  qint64 fromMs)
{
    const Model model(w);
    const qsizetype middle = reviews.cards() / 2;
    const auto part = [&](qsizetype from, qsizetype to, Gradient *g) {
        std::vector<Step> steps;
        double loss = 0;
        for (qsizetype card = from; card < to; ++card)
            loss += cardLoss(model, reviews, card, fromMs, g, steps);
        return loss;
    };
    Gradient firstGradient{};
    Gradient secondGradient{};
    double firstLoss = 0;
    double secondLoss = 0;
    Gradient *first = gradient ? &firstGradient : nullptr;
    Gradient *second = gradient ? &secondGradient : nullptr;
    if (reviews.answers() >= 4000 && std::thread::hardware_concurrency() > 1) {
        std::thread other([&] { secondLoss = part(middle, reviews.cards(), second); });
        firstLoss = part(0, middle, first);
        other.join();
    } else {
        firstLoss = part(0, middle, first);
        secondLoss = part(middle, reviews.cards(), second);
    }
    if (gradient) {
        for (std::size_t i = 0; i < gradient->size(); ++i)
            (*gradient)[i] = firstGradient[i] + secondGradient[i];
    }
    return firstLoss + secondLoss;
}

} // namespace

double LogLoss(const Fsrs::Weights &w, const ReviewSequences &reviews, Gradient *gradient,
               qint64 fromMs)
{
    return summedLoss(w, reviews, gradient, fromMs);
}

PredictionQuality Quality(const Fsrs::Weights &w, const ReviewSequences &reviews, qint64 fromMs)
{
    constexpr int Bins = 20;
    std::array<double, Bins> predictedSum{};
    std::array<double, Bins> recalledSum{};
    std::array<qsizetype, Bins> counts{};
    const Model model(w);
    PredictionQuality quality;
    double loss = 0;
    for (qsizetype card = 0; card < reviews.cards(); ++card) {
        const qsizetype first = reviews.begin(card);
        double s = 0;
        double d = 0;
        model.initial(reviews.grade(first), s, d);
        for (qsizetype answer = first + 1; answer < reviews.end(card); ++answer) {
            Step step{s, d, reviews.elapsedDays(answer), reviews.grade(answer)};
            s = forward(model, step);
            d = model.nextDifficulty(step.d, step.grade);
            if (step.days >= 1.0 && reviews.atMs(answer) >= fromMs) {
                const double p = clampedPrediction(step.r);
                const bool recalled = step.grade > Grade::Again;
                loss += logLossOf(model, step);
                const int bin = std::min(int(p * Bins), Bins - 1);
                predictedSum[std::size_t(bin)] += p;
                recalledSum[std::size_t(bin)] += recalled ? 1.0 : 0.0;
                ++counts[std::size_t(bin)];
                ++quality.predicted;
            }
        }
    }
    if (quality.predicted == 0)
        return quality;
    double squares = 0;
    for (int bin = 0; bin < Bins; ++bin) {
        if (counts[std::size_t(bin)] > 0) {
            const double n = double(counts[std::size_t(bin)]);
            const double gap = (predictedSum[std::size_t(bin)] - recalledSum[std::size_t(bin)]) / n;
            squares += n * gap * gap;
        }
    }
    quality.logLoss = loss / double(quality.predicted);
    quality.rmseBins = std::sqrt(squares / double(quality.predicted));
    return quality;
}

namespace {

// The summed log loss of predictions `days` after a first answer, all with stability `s`,
// with a pull towards the stability it started from.
double firstIntervalLoss(const Model &model, const std::vector<std::pair<double, bool>> &answers,
                         double logS, double logStart)
{
    constexpr double Pull = 1.0;
    const double s = std::exp(logS);
    double loss = Pull * (logS - logStart) * (logS - logStart);
    for (const auto &[days, recalled] : answers)
        loss += logLossOf(clampedPrediction(model.retrievability(days, s)), recalled);
    return loss;
}

double fittedFirstStability(const Model &model, const std::vector<std::pair<double, bool>> &answers,
                            double start)
{
    // Golden-section search over the logarithm of the stability.
    const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
    double low = std::log(MinimumStability);
    double high = std::log(Fsrs::HighestWeights[0]);
    const double logStart = std::log(start);
    double a = high - ratio * (high - low);
    double b = low + ratio * (high - low);
    double fa = firstIntervalLoss(model, answers, a, logStart);
    double fb = firstIntervalLoss(model, answers, b, logStart);
    for (int step = 0; step < 80; ++step) {
        if (fa < fb) {
            high = b;
            b = a;
            fb = fa;
            a = high - ratio * (high - low);
            fa = firstIntervalLoss(model, answers, a, logStart);
        } else {
            low = a;
            a = b;
            fa = fb;
            b = low + ratio * (high - low);
            fb = firstIntervalLoss(model, answers, b, logStart);
        }
    }
    return std::exp((low + high) / 2.0);
}

} // namespace

Fsrs::Weights InitialStabilities(const ReviewSequences &reviews, const Fsrs::Weights &start)
{
    // The answer that follows each card's first one on a later day, by the first grade.
    std::array<std::vector<std::pair<double, bool>>, 4> following;
    for (qsizetype card = 0; card < reviews.cards(); ++card) {
        const qsizetype first = reviews.begin(card);
        if (first + 1 < reviews.end(card) && reviews.elapsedDays(first + 1) >= 1.0) {
            following[std::size_t(reviews.grade(first)) - 1].push_back(
                {reviews.elapsedDays(first + 1), reviews.grade(first + 1) > Grade::Again});
        }
    }
    const Model model(start);
    Fsrs::Weights weights = start;
    for (std::size_t grade = 0; grade < following.size(); ++grade) {
        if (!following[grade].empty())
            weights[grade] = fittedFirstStability(model, following[grade], start[grade]);
    }
    // A better first answer never leaves a weaker memory.
    for (std::size_t grade = 1; grade < following.size(); ++grade)
        weights[grade] = std::max(weights[grade], weights[grade - 1]);
    return weights;
}

} // namespace FsrsFit
