#include "alternatives.h"

#include "core/helpers.h"
#include "vocabulary/vocabulary_file.h"

void AddAlternative(Alternatives &alternatives, const QString &text)
{
    if (text.isEmpty())
        return;
    ++alternatives.counted;
    if (alternatives.counted <= Alternatives::Capacity)
        alternatives.texts.append(text.left(Alternatives::TextCapacity));
}

void ExpandEndings(Alternatives &alternatives, const QString &piece)
{
    const qsizetype open = piece.indexOf(QLatin1Char('['));
    if (open < 0) {
        AddAlternative(alternatives, piece);
        return;
    }
    const QString stem = TrimWhite(piece.left(open));
    // The first ']' ends the group even when it stands before the '['.
    qsizetype close = piece.indexOf(QLatin1Char(']'));
    if (close < 0)
        close = piece.size();

    QString ending;
    for (qsizetype i = open + 1; i < close; ++i) {
        const QChar c = piece.at(i);
        if (c == QLatin1Char('|')) {
            AddAlternative(alternatives, stem + TrimWhite(ending));
            ending.clear();
        } else {
            ending += c;
        }
    }
    AddAlternative(alternatives, stem + TrimWhite(ending));
}

Alternatives SplitAlternatives(const QString &side)
{
    Alternatives alternatives;
    qsizetype start = 0;
    for (;;) {
        const qsizetype comma = side.indexOf(QLatin1Char(','), start);
        if (comma < 0)
            break;
        ExpandEndings(alternatives, TrimWhite(side.mid(start, comma - start)));
        start = comma + 1;
    }
    ExpandEndings(alternatives, TrimWhite(side.mid(start)));
    return alternatives;
}

OfferedText PickOfferedText(const QString &side)
{
    if (!side.contains(QLatin1Char(',')) && !side.contains(QLatin1Char('[')))
        return {side, false};
    const Alternatives alternatives = SplitAlternatives(side);
    // The draw is made even for a side without alternatives, so that the sequence of
    // offers does not depend on such a side.
    const int drawn = RandomBelow(alternatives.count());
    if (alternatives.count() == 0)
        return {side, false};
    return {alternatives.texts.at(drawn), alternatives.tooMany()};
}
