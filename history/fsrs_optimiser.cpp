#include "fsrs_optimiser.h"

#include <nlopt.h>

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
    const auto at = times.begin()
                    + std::ptrdiff_t(std::clamp(share, 0.0, 1.0) * double(times.size() - 1));
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

    // The stability after an answer `days` after the previous one; `r`: the retrievability
    // then (days of 1 or more).
    double nextStability(double s, double d, double days, double r, Grade grade) const
    {
        if (days < 1.0) {
            double increase = std::exp(w[17] * (int(grade) - 3 + w[18])) * std::pow(s, -w[19]);
            if (grade >= Grade::Good)
                increase = std::max(increase, 1.0);
            return std::max(s * increase, MinimumStability);
        }
        if (grade == Grade::Again) {
            const double longTerm = w[11] * std::pow(d, -w[12]) * (std::pow(s + 1.0, w[13]) - 1.0)
                                    * std::exp(w[14] * (1.0 - r));
            return std::max(std::min(longTerm, s / shortTermDivisor), MinimumStability);
        }
        const double bonus = grade == Grade::Hard ? w[15] : grade == Grade::Easy ? w[16] : 1.0;
        const double growth = expW8 * (11.0 - d) * std::pow(s, -w[9])
                              * (std::exp(w[10] * (1.0 - r)) - 1.0);
        return std::max(s * (1.0 + growth * bonus), MinimumStability);
    }
};

// The adjoints of one answer's inputs: the previous stability, difficulty and retrievability.
struct Adjoints
{
    double stability = 0;
    double difficulty = 0;
    double retrievability = 0;
};

// Works the adjoints of the state after an answer (aS, aD) back to the state before it, adding
// the weights' share to `g`.
void backDifficulty(const Model &m, double d, Grade grade, double aD, Adjoints &before,
                    Gradient &g)
{
    const auto &w = m.w;
    const double delta = -w[6] * (int(grade) - 3);
    const double damped = d + delta * (10.0 - d) / 9.0;
    const double raw = w[7] * m.easyDifficulty + (1.0 - w[7]) * damped;
    if (aD == 0.0 || raw <= 1.0 || raw >= 10.0)
        return;
    before.difficulty += aD * (1.0 - w[7]) * (1.0 - delta / 9.0);
    g[4] += aD * w[7];
    g[5] += aD * w[7] * m.easyDifficultyByW5;
    g[6] += aD * (1.0 - w[7]) * -(int(grade) - 3) * (10.0 - d) / 9.0;
    g[7] += aD * (m.easyDifficulty - damped);
}

void backSameDay(const Model &m, double s, Grade grade, double aS, Adjoints &before, Gradient &g)
{
    const auto &w = m.w;
    const double increase = std::exp(w[17] * (int(grade) - 3 + w[18])) * std::pow(s, -w[19]);
    if (grade >= Grade::Good && increase < 1.0) {
        before.stability += s >= MinimumStability ? aS : 0.0;
        return;
    }
    const double next = s * increase;
    if (next < MinimumStability)
        return;
    before.stability += aS * (1.0 - w[19]) * increase;
    g[17] += aS * next * (int(grade) - 3 + w[18]);
    g[18] += aS * next * w[17];
    g[19] -= aS * next * std::log(s);
}

void backForgetting(const Model &m, double s, double d, double r, double aS, Adjoints &before,
                    Gradient &g)
{
    const auto &w = m.w;
    const double byDifficulty = std::pow(d, -w[12]);
    const double grown = std::pow(s + 1.0, w[13]);
    const double surprise = std::exp(w[14] * (1.0 - r));
    const double longTerm = w[11] * byDifficulty * (grown - 1.0) * surprise;
    const double shortTerm = s / m.shortTermDivisor;
    if (std::max(std::min(longTerm, shortTerm), MinimumStability) == MinimumStability)
        return;
    if (!(shortTerm < longTerm)) {
        before.stability += aS * w[11] * byDifficulty * w[13] * grown / (s + 1.0) * surprise;
        before.difficulty -= aS * w[12] * longTerm / d;
        before.retrievability -= aS * w[14] * longTerm;
        g[11] += aS * byDifficulty * (grown - 1.0) * surprise;
        g[12] -= aS * longTerm * std::log(d);
        g[13] += aS * w[11] * byDifficulty * grown * std::log(s + 1.0) * surprise;
        g[14] += aS * longTerm * (1.0 - r);
    } else {
        before.stability += aS / m.shortTermDivisor;
        g[17] -= aS * shortTerm * w[18];
        g[18] -= aS * shortTerm * w[17];
    }
}

void backRecall(const Model &m, double s, double d, double r, Grade grade, double aS,
                Adjoints &before, Gradient &g)
{
    const auto &w = m.w;
    const double bonus = grade == Grade::Hard ? w[15] : grade == Grade::Easy ? w[16] : 1.0;
    const double base = m.expW8 * std::pow(s, -w[9]);
    const double surprise = std::exp(w[10] * (1.0 - r));
    const double growth = base * (11.0 - d) * (surprise - 1.0); // without the bonus
    before.stability += aS * (1.0 + growth * bonus * (1.0 - w[9]));
    before.difficulty -= aS * s * bonus * base * (surprise - 1.0);
    before.retrievability -= aS * s * bonus * base * (11.0 - d) * surprise * w[10];
    g[8] += aS * s * growth * bonus;
    g[9] -= aS * s * growth * bonus * std::log(s);
    g[10] += aS * s * bonus * base * (11.0 - d) * surprise * (1.0 - r);
    if (grade == Grade::Hard)
        g[15] += aS * s * growth;
    else if (grade == Grade::Easy)
        g[16] += aS * s * growth;
}

// The retrievability's share: its adjoint `aR` worked back to the stability and the decay.
void backRetrievability(const Model &m, double days, double s, double r, double aR,
                        Adjoints &before, Gradient &g)
{
    const auto &w = m.w;
    const double growth = 1.0 + m.factor * days / s;
    before.stability += aR * w[20] * r * (growth - 1.0) / (growth * s);
    g[20] += aR * r * (-std::log(growth) - w[20] * days / s * m.factorByDecay / growth);
}

double clampedPrediction(double r)
{
    return std::clamp(r, Certainty, 1.0 - Certainty);
}

double logLossOf(double p, bool recalled)
{
    return -std::log(recalled ? p : 1.0 - p);
}

// One card's summed log loss and, with `g`, its gradient.
double cardLoss(const Model &m, const ReviewSequences &reviews, qsizetype card, qint64 fromMs,
                Gradient *g, std::vector<double> &stability, std::vector<double> &difficulty)
{
    const qsizetype first = reviews.begin(card);
    const qsizetype count = reviews.end(card) - first;
    stability.resize(std::size_t(count));
    difficulty.resize(std::size_t(count));
    m.initial(reviews.grade(first), stability[0], difficulty[0]);
    double loss = 0;
    for (qsizetype k = 1; k < count; ++k) {
        const double days = reviews.elapsedDays(first + k);
        const Grade grade = reviews.grade(first + k);
        const double s = stability[std::size_t(k - 1)];
        const double d = difficulty[std::size_t(k - 1)];
        const double r = days >= 1.0 ? m.retrievability(days, s) : 1.0;
        if (days >= 1.0 && reviews.atMs(first + k) >= fromMs)
            loss += logLossOf(clampedPrediction(r), grade > Grade::Again);
        stability[std::size_t(k)] = m.nextStability(s, d, days, r, grade);
        difficulty[std::size_t(k)] = m.nextDifficulty(d, grade);
    }
    if (!g)
        return loss;
    double aS = 0; // the adjoints of the state after answer k
    double aD = 0;
    for (qsizetype k = count - 1; k >= 1; --k) {
        const double days = reviews.elapsedDays(first + k);
        const Grade grade = reviews.grade(first + k);
        const double s = stability[std::size_t(k - 1)];
        const double d = difficulty[std::size_t(k - 1)];
        Adjoints before;
        backDifficulty(m, d, grade, aD, before, *g);
        if (days < 1.0) {
            backSameDay(m, s, grade, aS, before, *g);
        } else {
            const double r = m.retrievability(days, s);
            if (grade == Grade::Again)
                backForgetting(m, s, d, r, aS, before, *g);
            else
                backRecall(m, s, d, r, grade, aS, before, *g);
            const double p = clampedPrediction(r);
            if (reviews.atMs(first + k) >= fromMs && p == r) {
                const double recalled = grade > Grade::Again ? 1.0 : 0.0;
                before.retrievability += (p - recalled) / (p * (1.0 - p));
            }
            backRetrievability(m, days, s, r, before.retrievability, before, *g);
        }
        aS = before.stability;
        aD = before.difficulty;
    }
    const Grade grade = reviews.grade(first);
    if (m.w[std::size_t(grade) - 1] >= MinimumStability)
        (*g)[std::size_t(grade) - 1] += aS;
    const double raw = m.w[4] - std::exp(m.w[5] * (int(grade) - 1)) + 1.0;
    if (raw > 1.0 && raw < 10.0) {
        (*g)[4] += aD;
        (*g)[5] -= aD * (int(grade) - 1) * std::exp(m.w[5] * (int(grade) - 1));
    }
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
        std::vector<double> stability;
        std::vector<double> difficulty;
        double loss = 0;
        for (qsizetype card = from; card < to; ++card)
            loss += cardLoss(model, reviews, card, fromMs, g, stability, difficulty);
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
    std::vector<double> stability;
    std::vector<double> difficulty;
    for (qsizetype card = 0; card < reviews.cards(); ++card) {
        const qsizetype first = reviews.begin(card);
        double s = 0;
        double d = 0;
        model.initial(reviews.grade(first), s, d);
        for (qsizetype answer = first + 1; answer < reviews.end(card); ++answer) {
            const double days = reviews.elapsedDays(answer);
            const Grade grade = reviews.grade(answer);
            const double r = days >= 1.0 ? model.retrievability(days, s) : 1.0;
            if (days >= 1.0 && reviews.atMs(answer) >= fromMs) {
                const double p = clampedPrediction(r);
                const bool recalled = grade > Grade::Again;
                loss += logLossOf(p, recalled);
                const int bin = std::min(int(p * Bins), Bins - 1);
                predictedSum[std::size_t(bin)] += p;
                recalledSum[std::size_t(bin)] += recalled ? 1.0 : 0.0;
                ++counts[std::size_t(bin)];
                ++quality.predicted;
            }
            const double next = model.nextStability(s, d, days, r, grade);
            d = model.nextDifficulty(d, grade);
            s = next;
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

namespace {

struct Objective
{
    const ReviewSequences &reviews;
    Fsrs::Weights start;
    double predicted;
    double pull; // the weight of the pull towards `start`, less for a longer history
    const Progress &progress;
    int evaluations = 0;
    int maximumEvaluations = 0;
    bool stopped = false;
    nlopt_opt optimiser = nullptr;
};

// How far a weight may stray before the pull towards its start costs as much as a log loss of
// one: its own size, at least a tenth.
double scaleOf(double weight)
{
    return std::max(std::abs(weight), 0.1);
}

double objective(unsigned n, const double *x, double *gradient, void *data)
{
    auto &o = *static_cast<Objective *>(data);
    Fsrs::Weights w{};
    std::copy(x, x + n, w.begin());
    Gradient g{};
    const double loss = summedLoss(w, o.reviews, gradient ? &g : nullptr,
                                   std::numeric_limits<qint64>::min());
    double total = loss / o.predicted;
    for (unsigned i = 0; i < n; ++i) {
        const double scale = scaleOf(o.start[i]);
        const double z = (x[i] - o.start[i]) / scale;
        total += o.pull * z * z;
        if (gradient)
            gradient[i] = g[i] / o.predicted + 2.0 * o.pull * z / scale;
    }
    ++o.evaluations;
    if (o.progress && !o.progress(std::min(1.0, double(o.evaluations) / o.maximumEvaluations))) {
        o.stopped = true;
        nlopt_force_stop(o.optimiser);
    }
    if (!std::isfinite(total)) {
        if (gradient)
            std::fill(gradient, gradient + n, 0.0);
        return HUGE_VAL;
    }
    return total;
}

} // namespace

std::optional<Fsrs::Weights> Fit(const ReviewSequences &reviews, const Fsrs::Weights &start,
                                 const Progress &progress)
{
    // A history of a few hundred answers is pulled towards the start noticeably; one of many
    // thousands hardly at all.
    constexpr double PullAnswers = 2.0;
    const double predicted = std::max<double>(double(reviews.predicted()), 1.0);
    Objective data{reviews, InitialStabilities(reviews, start), predicted, PullAnswers / predicted,
                   progress};
    data.maximumEvaluations = 300;
    nlopt_opt optimiser = nlopt_create(NLOPT_LD_LBFGS, unsigned(start.size()));
    data.optimiser = optimiser;
    nlopt_set_lower_bounds(optimiser, Fsrs::LowestWeights.data());
    nlopt_set_upper_bounds(optimiser, Fsrs::HighestWeights.data());
    nlopt_set_min_objective(optimiser, objective, &data);
    nlopt_set_ftol_rel(optimiser, 1e-7);
    nlopt_set_maxeval(optimiser, data.maximumEvaluations);
    Fsrs::Weights x = data.start;
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = std::clamp(x[i], Fsrs::LowestWeights[i], Fsrs::HighestWeights[i]);
    double minimum = 0;
    nlopt_optimize(optimiser, x.data(), &minimum);
    nlopt_destroy(optimiser);
    if (data.stopped)
        return std::nullopt;
    return x;
}

} // namespace FsrsFit

namespace {

// The share of the whole work that a part of it covers.
FsrsFit::Progress partOf(const FsrsFit::Progress &progress, double from, double to)
{
    if (!progress)
        return {};
    return [=](double done) { return progress(from + (to - from) * done); };
}

} // namespace

Optimisation OptimiseWeights(const ReviewSequences &reviews, const Fsrs::Weights &inForce,
                             const FsrsFit::Progress &progress)
{
    Optimisation result;
    result.answers = reviews.answers();
    result.cards = reviews.cards();
    if (reviews.predicted() < MinimumPredictedAnswers
        || reviews.cardsWithPredictions() < MinimumCards)
        return result;
    // Every fit starts from the published weights, so that the same history always gives the
    // same weights, whatever was in force.
    const Fsrs::Weights &start = Fsrs::DefaultWeights;
    qint64 judgedFrom = std::numeric_limits<qint64>::min();
    double fitShare = 1.0;
    std::optional<Fsrs::Weights> fitted;
    if (reviews.answers() < HeldOutBelowAnswers) {
        // A short history could be fitted to its own noise: the fit of the earlier four fifths
        // must predict the last fifth better.
        judgedFrom = reviews.timeOfShare(0.8);
        fitted = FsrsFit::Fit(reviews.before(judgedFrom), start, partOf(progress, 0.0, 0.5));
        result.heldOut = true;
        fitShare = 0.5;
    } else {
        fitted = FsrsFit::Fit(reviews, start, progress);
    }
    if (!fitted) {
        result.outcome = Optimisation::Outcome::Cancelled;
        return result;
    }
    result.inForce = FsrsFit::Quality(inForce, reviews, judgedFrom);
    result.fitted = FsrsFit::Quality(Fsrs::Rounded(*fitted), reviews, judgedFrom);
    if (!Fsrs::AreValid(*fitted) || !(result.fitted.logLoss < result.inForce.logLoss)) {
        result.outcome = Optimisation::Outcome::NotBetter;
        return result;
    }
    if (result.heldOut) {
        // Judged on the last fifth; the weights kept learn from every answer.
        fitted = FsrsFit::Fit(reviews, start, partOf(progress, fitShare, 1.0));
        if (!fitted) {
            result.outcome = Optimisation::Outcome::Cancelled;
            return result;
        }
        if (!Fsrs::AreValid(*fitted)) {
            result.outcome = Optimisation::Outcome::NotBetter;
            return result;
        }
    }
    result.weights = Fsrs::Rounded(*fitted);
    result.outcome = Optimisation::Outcome::Better;
    return result;
}
