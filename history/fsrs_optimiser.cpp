#include "fsrs_optimiser.h"

#include <nlopt.h>

#include <algorithm>
#include <cmath>

namespace FsrsFit {

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

// The unit in which a weight's change from its start is pulled back: its own size, at least a
// tenth, so that small weights may move as freely as large ones in proportion.
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
    const double loss = LogLoss(w, o.reviews, gradient ? &g : nullptr);
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
    constexpr double PullAnswers = 10.0;
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
    return [=](double done) {
        return progress(from + (to - from) * done);
    };
}

} // namespace

Optimisation OptimiseWeights(const ReviewSequences &reviews, const Fsrs::Weights &inForce,
                             const FsrsFit::Progress &progress)
{
    Optimisation result;
    result.answers = reviews.answers();
    result.cards = reviews.cards();
    result.predicted = reviews.predicted();
    if (result.predicted < MinimumPredictedAnswers || reviews.cardsWithPredictions() < MinimumCards)
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
