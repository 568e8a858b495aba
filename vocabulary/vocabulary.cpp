#include "vocabulary.h"

Counters CountersOf(const VocabularyEntry &entry)
{
    return {entry.offers[1], entry.offers[2], entry.errors[1], entry.errors[2]};
}

void SetCounters(VocabularyEntry &entry, const Counters &counters)
{
    entry.offers[1] = counters[0];
    entry.offers[2] = counters[1];
    entry.errors[1] = counters[2];
    entry.errors[2] = counters[3];
}

bool Vocabulary::hasUnsavedAnswers() const
{
    if (savedCounters.size() != entries.size())
        return !entries.isEmpty();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (CountersOf(entries.at(i)) != savedCounters.at(i))
            return true;
    }
    return false;
}

void Vocabulary::markSaved()
{
    savedCounters.resize(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        savedCounters[i] = CountersOf(entries.at(i));
}
