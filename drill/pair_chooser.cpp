#include "pair_chooser.h"

#include "core/helpers.h"

#include <algorithm>
#include <limits>

int ChooseOfferedSide(int currentSide, const Settings &settings)
{
    if (settings.sideChoice == SideChoice::AtRandom)
        return RandomBelow(2) + 1;
    return currentSide;
}

qint64 PairChooser::PairKey(const VocabularyEntry &entry, const Settings &settings)
{
    const qint32 *counters
        = settings.pairChoice == PairChoice::ByErrors ? entry.errors : entry.offers;
    switch (settings.sideChoice) {
    case SideChoice::First:
        return counters[1];
    case SideChoice::Second:
        return counters[2];
    case SideChoice::AtRandom:
        break;
    }
    return qint64(counters[1]) + counters[2];
}

int PairChooser::chooseUniformly(int count) const
{
    for (int draw = 0; draw < MaxRedraws; ++draw) {
        const int position = RandomBelow(count) + 1;
        if (position != m_previousPosition)
            return position;
    }
    // Not reached in practice (1 in 2^64 at worst), but the choice must end.
    const int position = RandomBelow(count - 1) + 1;
    return position >= m_previousPosition ? position + 1 : position;
}

int PairChooser::positionOf(int count, qint64 drawn) const
{
    return int(std::lower_bound(m_sums.begin(), m_sums.begin() + count, drawn) - m_sums.begin())
           + 1;
}

// Draws by the weights until the draw misses the previous pair. A previous pair that holds
// nearly all the weight (a hand-edited counter) would keep the loop going for seconds: after
// MaxRedraws draws that all hit it, one draw is made over the other pairs' stretches alone,
// which keeps their proportions. A draw that hits the previous pair is told by its stretch,
// without a search, so the bound costs microseconds.
int PairChooser::drawWeighted(int count, qint64 total, qint64 previousWeight) const
{
    const bool previousHere = m_previousPosition >= 1 && m_previousPosition <= count;
    const qint64 previousEnd = previousHere ? m_sums[std::size_t(m_previousPosition - 1)] : 0;
    const qint64 previousStart = previousEnd - previousWeight;
    for (int draw = 0; draw < MaxRedraws; ++draw) {
        const qint64 drawn = qint64(RandomBelow(int(total))) + 1;
        if (drawn <= previousStart || drawn > previousEnd)
            return positionOf(count, drawn);
    }
    qint64 drawn = qint64(RandomBelow(int(total - previousWeight))) + 1;
    if (drawn > previousStart)
        drawn += previousWeight; // step over the previous pair's stretch
    return positionOf(count, drawn);
}

int PairChooser::ChooseNextPair(const Vocabulary &vocabulary, const Settings &settings)
{
    const int count = vocabulary.count();
    int position = 1;
    if (count == 1) {
        // The previous pair cannot be avoided: take the only one at once.
        position = 1;
    } else if (settings.pairChoice == PairChoice::AtRandom) {
        position = chooseUniformly(count);
    } else {
        // Without its history the review schedule chooses by offer counts.
        const bool byOffers = settings.pairChoice != PairChoice::ByErrors;
        qint64 largest = 0;
        if (byOffers) {
            largest = std::numeric_limits<qint64>::min();
            for (const VocabularyEntry &entry : vocabulary.entries)
                largest = std::max(largest, PairKey(entry, settings));
            largest = std::max<qint64>(largest, 0);
        }
        // Hand-edited negative counters can make a weight negative: it counts as 0.
        qint64 total = 0;
        qint64 previousWeight = 0;
        for (int i = 0; i < count; ++i) {
            const qint64 key = PairKey(vocabulary.entries.at(i), settings);
            const qint64 weight = std::max<qint64>(byOffers ? largest - key + 1 : key + 1, 0);
            total += weight;
            m_sums[std::size_t(i)] = total;
            if (i + 1 == m_previousPosition)
                previousWeight = weight;
        }
        if (total - previousWeight < 1 || total > std::numeric_limits<int>::max()) {
            // No weight left outside the previous pair (or sums beyond any real counter):
            // every other pair is equally likely.
            position = chooseUniformly(count);
        } else {
            position = drawWeighted(count, total, previousWeight);
        }
    }
    m_previousPosition = position;
    return position;
}
