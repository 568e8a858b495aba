#pragma once

#include <QString>

#include <array>
#include <optional>

// How well an answer went, as the memory model counts it.
enum class Grade { Again = 1, Hard = 2, Good = 3, Easy = 4 };

// What the model knows of one card's memory: the days after which it is recalled with a
// probability of 90 %, and how hard the card is (1 to 10).
struct MemoryState
{
    double stability = 0;
    double difficulty = 0;

    friend bool operator==(const MemoryState &, const MemoryState &) = default;
};

// The FSRS-6 model of memory (free spaced repetition scheduler, version 6): how likely a card
// is recalled after some days, how a review changes its memory, and when it should come back.
// Its 21 weights are the published defaults or the learner's own, fitted to their answers.
// Days are 24-hour periods, not calendar days.
namespace Fsrs {

using Weights = std::array<double, 21>;
inline constexpr Weights DefaultWeights = {
    0.2172, 1.1771, 3.2602, 16.1507, 7.0114, 0.57,   2.0966, 0.0069, 1.5261, 0.112, 1.0178,
    1.849,  0.1133, 0.3127, 2.2934,  0.2191, 3.0004, 0.7536, 0.3332, 0.1437, 0.2,
};
// The range of each weight: what the model's equations stay sensible within.
inline constexpr Weights LowestWeights = {
    0.001, 0.001, 0.001, 0.001, 1.0, 0.001, 0.001, 0.001, 0.0, 0.0, 0.001,
    0.001, 0.001, 0.001, 0.0,   0.0, 1.0,   0.0,   0.0,   0.0, 0.1,
};
inline constexpr Weights HighestWeights = {
    100.0, 100.0, 100.0, 100.0, 10.0, 4.0, 4.0, 0.75, 4.5, 0.8, 3.5,
    5.0,   0.25,  0.9,   4.0,   1.0,  6.0, 2.0, 2.0,  0.8, 0.8,
};
inline constexpr int MaximumIntervalDays = 36500;
inline constexpr double MinimumStability = 0.001;

// Whether every weight is a number within its range.
bool AreValid(const Weights &w);
// The weights as they are kept: each to four decimal places, within its range.
Weights Rounded(const Weights &w);
// The weights as text: 21 numbers with '.' as the decimal point, separated by commas, each to
// four places; none when the text is not that or a weight is outside its range.
QString WeightsText(const Weights &w);
std::optional<Weights> WeightsFromText(const QString &text);

// The probability of recall `elapsedDays` after the last review.
double Retrievability(const Weights &w, double elapsedDays, double stability);
// The state after a card's first review.
MemoryState InitialState(const Weights &w, Grade grade);
// The difficulty after a review: moved by the grade, damped near 10, pulled back a little
// towards the difficulty of a first "easy".
double NextDifficulty(const Weights &w, double difficulty, Grade grade);
// The stability after a successful recall (Hard, Good or Easy) at retrievability r.
double StabilityAfterRecall(const Weights &w, const MemoryState &state, double retrievability,
                            Grade grade);
// The stability after the card was forgotten (Again) at retrievability r.
double StabilityAfterForgetting(const Weights &w, const MemoryState &state, double retrievability);
// The stability after a second review on the same day.
double SameDayStability(const Weights &w, double stability, Grade grade);
// The state after a review `elapsedDays` after the previous one; none: the first review.
MemoryState NextState(const Weights &w, const std::optional<MemoryState> &state, double elapsedDays,
                      Grade grade);
// The days after which recall falls to `desiredRetention` (unrounded): the stability times
// this factor.
double IntervalPerStability(const Weights &w, double desiredRetention);
double DaysUntilRetention(const Weights &w, double stability, double desiredRetention);
// The next interval in whole days, 1 to 36500.
int NextIntervalDays(const Weights &w, double stability, double desiredRetention);

} // namespace Fsrs

// The model in force: its weights and the share of recall that the schedule keeps to.
struct MemoryModel
{
    Fsrs::Weights weights = Fsrs::DefaultWeights;
    double desiredRetention = 0.9;

    friend bool operator==(const MemoryModel &, const MemoryModel &) = default;
};

// One card: a pair asked in one direction, with its memory and its schedule.
struct Card
{
    MemoryState memory;
    qint64 lastReviewMs = 0; // UTC, milliseconds since the epoch
    qint64 dueMs = 0;        // the last review plus the interval
    qint64 introducedMs = 0; // the first review
    int reviews = 0;
    int lapses = 0; // "Again" after the first review

    friend bool operator==(const Card &, const Card &) = default;
};

inline constexpr qint64 MsPerDay = 24 * 60 * 60 * 1000;

// Whole days from the review at `fromMs` to the one at `toMs`, as the model counts them.
double ElapsedDays(qint64 fromMs, qint64 toMs);
// The card after a review at `nowMs`; none: the first review of a new card.
Card ReviewCard(const std::optional<Card> &card, Grade grade, qint64 nowMs,
                const MemoryModel &model);
// The probability of recall of a card at `nowMs`.
double CardRetrievability(const Fsrs::Weights &w, const Card &card, qint64 nowMs);
// When recall of the card falls to the desired retention: the one meaning of "due" that the
// choice of the next card, the day's counts and the forecast share (a card is due today when
// this moment comes before the day ends). The retention in force now counts, so a changed
// setting moves every card at once; the stored due time is only the interval given then.
qint64 CardDueAt(const Card &card, const MemoryModel &model);
// The same with Fsrs::IntervalPerStability() worked out once, for a pass over
// many cards.
qint64 CardDueAtPerStability(const Card &card, double intervalPerStability);
