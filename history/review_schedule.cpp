#include "review_schedule.h"

#include <limits>

namespace {

// The sides whose cards are chosen: the fixed one, or both.
std::pair<int, int> sidesOf(const ScheduleOptions &options)
{
    return options.fixedSide ? std::pair{*options.fixedSide, *options.fixedSide} : std::pair{1, 2};
}

} // namespace

bool ReviewScheduler::isWaiting(int position, int side) const
{
    for (const Waiting &waiting : m_relearn) {
        if (waiting.card.position == position && waiting.card.side == side)
            return true;
    }
    return false;
}

// One pass over the cards, without a pow(): recall falls as the elapsed time grows against
// the stability, so comparing elapsed / stability ranks the cards by their retrievability.
// A card due before the day ends comes before new ones, the longest due first.
ScheduledChoice ReviewScheduler::choose(const QList<PairCards> &cards, qint64 nowMs,
                                        const LocalDay &today, const ScheduleOptions &options,
                                        int previousPosition)
{
    const int count = int(cards.size());
    const auto [firstSide, lastSide] = sidesOf(options);
    const auto allowed = [&](int position) {
        return count <= 1 || position != previousPosition;
    };
    for (const Waiting &waiting : m_relearn) {
        const int side = waiting.card.side;
        if (waiting.offersSince >= RelearnGap && side >= firstSide && side <= lastSide
            && allowed(waiting.card.position))
            return waiting.card;
    }
    const double perStability
        = Fsrs::IntervalPerStability(options.model.weights, options.model.desiredRetention);
    // How far a card has gone towards being forgotten: the larger, the likelier.
    const auto forgetting = [nowMs](const Card &card) {
        return double(nowMs - card.lastReviewMs) / MsPerDay / card.memory.stability;
    };
    int introducedToday = 0;
    std::optional<ScheduledChoice> overdue, fresh, weakest, waiting, previous;
    qint64 earliestDue = 0;
    double weakestRatio = -std::numeric_limits<double>::infinity();
    double previousRatio = -std::numeric_limits<double>::infinity();
    for (int position = 1; position <= count; ++position) {
        for (int side = firstSide; side <= lastSide; ++side) {
            const std::optional<Card> &card = cards.at(position - 1)[std::size_t(side - 1)];
            if (card && card->introducedMs >= today.startMs)
                ++introducedToday;
            if (!allowed(position)) {
                // The pair just offered, should nothing else be allowed: its weaker card.
                if (card && forgetting(*card) > previousRatio) {
                    previous = ScheduledChoice{position, side};
                    previousRatio = forgetting(*card);
                }
                continue;
            }
            const ScheduledChoice here{position, side};
            if (!card) {
                if (!fresh)
                    fresh = here;
                continue;
            }
            if (isWaiting(position, side)) {
                if (!waiting)
                    waiting = here;
                continue;
            }
            const qint64 due = CardDueAtPerStability(*card, perStability);
            if (due < today.endMs && (!overdue || due < earliestDue)) {
                overdue = here;
                earliestDue = due;
            }
            const double ratio = forgetting(*card);
            if (ratio > weakestRatio) {
                weakest = here;
                weakestRatio = ratio;
            }
        }
    }
    if (overdue)
        return *overdue;
    if (fresh && introducedToday < options.newPerDay)
        return *fresh;
    // Nothing due and no new card allowed: practice ahead; then the pair just offered again
    // rather than a new card over the day's limit; a new card only when none was answered.
    for (const auto &candidate : {weakest, waiting, previous, fresh}) {
        if (candidate)
            return *candidate;
    }
    return {previousPosition >= 1 && previousPosition <= count ? previousPosition : 1, firstSide};
}

void ReviewScheduler::offered(const ScheduledChoice &card)
{
    for (qsizetype i = m_relearn.size() - 1; i >= 0; --i) {
        if (m_relearn.at(i).card == card)
            m_relearn.removeAt(i);
        else
            ++m_relearn[i].offersSince;
    }
}

void ReviewScheduler::answered(const ScheduledChoice &card, Grade grade)
{
    if (grade != Grade::Again)
        return;
    m_relearn.removeIf([&](const Waiting &waiting) { return waiting.card == card; });
    m_relearn.append({card, 0});
}

void ReviewScheduler::follow(const QList<int> &newPositions)
{
    QList<Waiting> moved;
    for (Waiting waiting : m_relearn) {
        const int old = waiting.card.position;
        const int now = old >= 1 && old <= newPositions.size() ? newPositions.at(old - 1) : 0;
        if (now == 0)
            continue;
        waiting.card.position = now;
        moved.append(waiting);
    }
    m_relearn = moved;
}

ScheduleCounts ReviewScheduler::counts(const QList<PairCards> &cards, const LocalDay &today,
                                       const ScheduleOptions &options)
{
    const auto [firstSide, lastSide] = sidesOf(options);
    const double perStability
        = Fsrs::IntervalPerStability(options.model.weights, options.model.desiredRetention);
    ScheduleCounts counts;
    int introducedToday = 0;
    int unseen = 0;
    for (const PairCards &pair : cards) {
        for (int side = firstSide; side <= lastSide; ++side) {
            const std::optional<Card> &card = pair[std::size_t(side - 1)];
            if (!card) {
                ++unseen;
                continue;
            }
            if (card->introducedMs >= today.startMs)
                ++introducedToday;
            if (CardDueAtPerStability(*card, perStability) < today.endMs)
                ++counts.due;
        }
    }
    counts.fresh = std::max(0, std::min(unseen, options.newPerDay - introducedToday));
    return counts;
}
