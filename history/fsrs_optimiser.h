#pragma once

#include "fsrs.h"

#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

// Fitting the memory model's weights to a learner's own answers (the losses and the gradient in
// fsrs_loss.cpp, the fit that minimises them in fsrs_optimiser.cpp): the weights that predict best
// whether each answer after a card's first was recalled (any grade but Again), given the days
// since the card's previous answer. Answers on the same day shape the card's memory but are not
// predicted (the model's short-term terms), as the published optimiser does.

// Every card's answers, in time order, as the fit reads them: whole days since the card's
// previous answer (0 for its first), the grade, and the time for cutting the history at a
// moment.
class ReviewSequences
{
public:
    // Starts a card; its answers follow with add(), oldest first.
    void startCard();
    void add(qint64 atMs, Grade grade);

    qsizetype cards() const { return qsizetype(m_starts.size()); }
    qsizetype answers() const { return qsizetype(m_grades.size()); }
    // The answers that the model predicts: those a day or more after the card's previous one.
    qsizetype predicted() const;
    // The cards with at least one predicted answer.
    qsizetype cardsWithPredictions() const;
    // The answers before `cutMs` only.
    ReviewSequences before(qint64 cutMs) const;
    // The time before which `share` of the answers were given.
    qint64 timeOfShare(double share) const;

    qsizetype begin(qsizetype card) const { return qsizetype(m_starts[std::size_t(card)]); }
    qsizetype end(qsizetype card) const
    {
        return card + 1 < cards() ? qsizetype(m_starts[std::size_t(card) + 1]) : answers();
    }
    double elapsedDays(qsizetype answer) const { return m_days[std::size_t(answer)]; }
    Grade grade(qsizetype answer) const { return Grade(m_grades[std::size_t(answer)]); }
    qint64 atMs(qsizetype answer) const { return m_times[std::size_t(answer)]; }

private:
    std::vector<std::uint32_t> m_starts;
    std::vector<double> m_days;
    std::vector<std::uint8_t> m_grades;
    std::vector<qint64> m_times;
};

// How well weights predict recall: the mean log loss over the predicted answers, and the root
// mean square error between the predicted recall and the share recalled over twenty bins of
// predicted recall (weighted by their answers).
struct PredictionQuality
{
    double logLoss = 0;
    double rmseBins = 0;
    qsizetype predicted = 0;
};

namespace FsrsFit {

using Gradient = std::array<double, 21>;

// The summed log loss of the predicted answers at or after `fromMs` and, when `gradient` is
// given, its gradient by every weight (worked back through each card's answers).
double LogLoss(const Fsrs::Weights &w, const ReviewSequences &reviews, Gradient *gradient,
               qint64 fromMs = std::numeric_limits<qint64>::min());

PredictionQuality Quality(const Fsrs::Weights &w, const ReviewSequences &reviews,
                          qint64 fromMs = std::numeric_limits<qint64>::min());

// Called with the share of the work done (0 to 1); false stops the fit.
using Progress = std::function<bool(double done)>;

// The initial stabilities (the first four weights) from the answers that follow each card's
// first one, the others as in `start`.
Fsrs::Weights InitialStabilities(const ReviewSequences &reviews, const Fsrs::Weights &start);

// The weights that minimise the log loss of the answers, with a pull towards `start` that
// matters only for a short history; none when `progress` stopped it.
std::optional<Fsrs::Weights> Fit(const ReviewSequences &reviews, const Fsrs::Weights &start,
                                 const Progress &progress = {});

} // namespace FsrsFit

// The whole optimisation: a fit, checked against the weights in force, kept only when it
// predicts better.
struct Optimisation
{
    enum class Outcome { Better, NotBetter, TooFewAnswers, Cancelled };
    Outcome outcome = Outcome::TooFewAnswers;
    qsizetype answers = 0;
    qsizetype cards = 0;
    qsizetype predicted = 0; // answers a day or more after their card's previous one
    // Judged on the last fifth of the answers (fitted on the four before) for a short history,
    // on all of them otherwise.
    bool heldOut = false;
    PredictionQuality inForce;
    PredictionQuality fitted;
    Fsrs::Weights weights{}; // the new weights (Better), rounded as they are kept
};

// Fewer predicted answers or cards than this: the weights in force stay.
inline constexpr qsizetype MinimumPredictedAnswers = 400;
inline constexpr qsizetype MinimumCards = 50;
// Under this many answers the fit is judged on the last fifth it was not fitted on.
inline constexpr qsizetype HeldOutBelowAnswers = 20000;

Optimisation OptimiseWeights(const ReviewSequences &reviews, const Fsrs::Weights &inForce,
                             const FsrsFit::Progress &progress = {});
