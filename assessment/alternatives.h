#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

// The acceptable texts of one side: synonyms separated by ',' and ending groups
// "stem[e1|e2|...]", taken apart when the side is offered or judged.
struct Alternatives
{
    static constexpr int Capacity = 30;
    static constexpr int TextCapacity = 50;

    QStringList texts; // at most Capacity, each at most TextCapacity characters
    int counted = 0;   // every non-empty alternative found, also those beyond Capacity

    // More than Capacity alternatives were found: the window shows TooManyAlternativesMessage.
    bool tooMany() const { return counted > Capacity; }
    int count() const { return int(texts.size()); }
};

QString TooManyAlternativesMessage();

// Calls `visit` with every non-empty alternative of a side, in order (synonyms left to right,
// endings left to right), each cut to TextCapacity, until it returns false. The text it is
// given lives only for the call.
void ForEachAlternative(QStringView side, const std::function<bool(QStringView)> &visit);
// All alternatives of a side text, in order: synonyms left to right, endings left to right.
Alternatives SplitAlternatives(const QString &side);

struct OfferedText
{
    QString text;
    bool tooMany = false; // the split found more than 30 alternatives
};

// The text shown for an offered side: one of its alternatives drawn at random, or the side
// unchanged when it holds no ',' and no '[' (or yields no alternative at all).
OfferedText PickOfferedText(const QString &side);
