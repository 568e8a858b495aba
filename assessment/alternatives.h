#pragma once

#include <QString>
#include <QStringList>

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

inline const QString TooManyAlternativesMessage
    = QStringLiteral("Maximální počet synonym je 30 - další budou ignorována!");

// Adds a non-empty text; beyond the capacity it is only counted.
void AddAlternative(Alternatives &alternatives, const QString &text);
// Adds the alternatives of one trimmed synonym, expanding its first ending group.
void ExpandEndings(Alternatives &alternatives, const QString &piece);
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
