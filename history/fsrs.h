#pragma once

#include <QtGlobal>

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

// The FSRS-6 model of memory (free spaced repetition scheduler, version 6) with its published
// default weights: how likely a card is recalled after some days, how a review changes its
// memory, and when it should come back. Days are 24-hour periods, not calendar days.
namespace Fsrs {

inline constexpr std::array<double, 21> DefaultWeights = {
    0.2172, 1.1771, 3.2602, 16.1507, 7.0114, 0.57,   2.0966, 0.0069, 1.5261, 0.112, 1.0178,
    1.849,  0.1133, 0.3127, 2.2934,  0.2191, 3.0004, 0.7536, 0.3332, 0.1437, 0.2,
};
inline constexpr int MaximumIntervalDays = 36500;
inline constexpr double MinimumStability = 0.001;

// The probability of recall `elapsedDays` after the last review.
double Retrievability(double elapsedDays, double stability);
// The state after a card's first review.
MemoryState InitialState(Grade grade);
// The difficulty after a review: moved by the grade, damped near 10, pulled back a little
// towards the difficulty of a first "easy".
double NextDifficulty(double difficulty, Grade grade);
// The stability after a successful recall (Hard, Good or Easy) at retrievability r.
double StabilityAfterRecall(const MemoryState &state, double retrievability, Grade grade);
// The stability after the card was forgotten (Again) at retrievability r.
double StabilityAfterForgetting(const MemoryState &state, double retrievability);
// The stability after a second review on the same day.
double SameDayStability(double stability, Grade grade);
// The state after a review `elapsedDays` after the previous one; none: the first review.
MemoryState NextState(const std::optional<MemoryState> &state, double elapsedDays, Grade grade);
// The days after which recall falls to `desiredRetention` (unrounded): the stability times
// this factor.
double IntervalPerStability(double desiredRetention);
double DaysUntilRetention(double stability, double desiredRetention);
// The next interval in whole days, 1 to 36500.
int NextIntervalDays(double stability, double desiredRetention);

} // namespace Fsrs

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

// The card after a review at `nowMs`; none: the first review of a new card.
Card ReviewCard(const std::optional<Card> &card, Grade grade, qint64 nowMs,
                double desiredRetention);
// The probability of recall of a card at `nowMs`.
double CardRetrievability(const Card &card, qint64 nowMs);
// When recall of the card falls to the desired retention: the one meaning of "due" that the
// choice of the next card, the day's counts and the forecast share (a card is due today when
// this moment comes before the day ends). The retention in force now counts, so a changed
// setting moves every card at once; the stored due time is only the interval given then.
qint64 CardDueAt(const Card &card, double desiredRetention);
// The same with Fsrs::IntervalPerStability(desiredRetention) worked out once, for a pass over
// many cards.
qint64 CardDueAtPerStability(const Card &card, double intervalPerStability);
