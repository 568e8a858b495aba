#pragma once

#include "clock.h"
#include "fsrs.h"

#include <QList>

#include <array>
#include <optional>

// The cards of one dictionary by position (index position - 1) and offered side (index
// side - 1); none: the card was never answered.
using PairCards = std::array<std::optional<Card>, 2>;

struct ScheduleOptions
{
    MemoryModel model;
    int newPerDay = 20;
    std::optional<int> fixedSide; // none: cards of both directions are chosen
};

// The card chosen: the pair's position and the side offered.
struct ScheduledChoice
{
    int position = 1;
    int side = 1;

    friend bool operator==(const ScheduledChoice &, const ScheduledChoice &) = default;
};

// What is left for today: cards due before the day ends, and new cards still allowed.
struct ScheduleCounts
{
    int due = 0;
    int fresh = 0;

    friend bool operator==(const ScheduleCounts &, const ScheduleCounts &) = default;
};

// Chooses the next card by the memory model: a card answered wrong in this session once three
// other cards were offered since; then the cards due today (CardDueAt before the local day
// ends), the longest due first; then new cards in file order up to the day's limit; when nothing is
// due, the card most likely forgotten (practice ahead). The pair offered just before is not offered
// again while another card may come; it comes again rather than a new card over the day's limit.
class ReviewScheduler
{
public:
    static constexpr int RelearnGap = 3;

    // `today`: the user's local day, for what is due today and the limit of new cards.
    ScheduledChoice choose(const QList<PairCards> &cards, qint64 nowMs, const LocalDay &today,
                           const ScheduleOptions &options, int previousPosition);
    // The chosen card is on screen: the cards waiting to come back see one more offer.
    void offered(const ScheduledChoice &card);
    // A counted answer on a card; "Again" brings it back later in the session.
    void answered(const ScheduledChoice &card, Grade grade);
    // A new dictionary: nothing waits to come back.
    void clear() { m_relearn.clear(); }
    // A merge moved the pairs: for every old position (index position - 1) the new one, 0 gone.
    void follow(const QList<int> &newPositions);

    // What choose() takes for due today, and the new cards it may still offer.
    static ScheduleCounts counts(const QList<PairCards> &cards, const LocalDay &today,
                                 const ScheduleOptions &options);

private:
    struct Waiting
    {
        ScheduledChoice card;
        int offersSince = 0;
    };
    bool isWaiting(int position, int side) const;

    QList<Waiting> m_relearn; // oldest first
};
