#pragma once

#include "settings/settings.h"
#include "vocabulary/vocabulary.h"

#include <array>

// The side of a new pair: drawn when the side is chosen at random, otherwise the current one.
int ChooseOfferedSide(int currentSide, const Settings &settings);

// Chooses the next pair by offer counts, by error counts or at random, never the pair
// offered just before while another one exists. Its one piece of state, the previous
// position, runs on across dictionary loads.
class PairChooser
{
public:
    // A chooser of a new run starts with no previous pair (-1).
    explicit PairChooser(int previousPosition = -1)
        : m_previousPosition(previousPosition)
    {}

    // The position (1..Count) of the next pair; requires Count >= 1.
    int ChooseNextPair(const Vocabulary &vocabulary, const Settings &settings);

    int previousPosition() const { return m_previousPosition; }
    // Another way of choosing offered this pair.
    void setPreviousPosition(int position) { m_previousPosition = position; }

    // The key of a pair in the weighted modes: its offers or errors for the offered side(s).
    static qint64 PairKey(const VocabularyEntry &entry, const Settings &settings);

    // Draws that may hit the previous pair before the others are drawn among themselves: the
    // loop of an ordinary dictionary ends long before (it takes 2 draws on average for two
    // pairs of equal weight), so its sequence of choices stays as it always was.
    static constexpr int MaxRedraws = 4096;

private:
    int chooseUniformly(int count) const;
    int drawWeighted(int count, qint64 total, qint64 previousWeight) const;
    // The position whose stretch of the cumulative weights holds the drawn number.
    int positionOf(int count, qint64 drawn) const;

    int m_previousPosition;
    std::array<qint64, Vocabulary::Capacity> m_sums{}; // reused, so a choice allocates nothing
};
