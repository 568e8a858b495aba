#include "alternatives.h"

#include "core/helpers.h"
#include "core/text_file.h"

#include <QCoreApplication>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Alternatives)
};

// Removes every character with a code from 0 to 32 from both ends.
QStringView trimmedWhite(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

// Walks the alternatives of a side without building a list: each non-empty one, cut to its
// capacity, goes to `visit` in a buffer that is reused; `visit` returns false to stop.
class AlternativeWalker
{
public:
    explicit AlternativeWalker(const std::function<bool(QStringView)> &visit)
        : m_visit(visit)
    {}

    // A synonym, its first ending group expanded.
    bool walkPiece(QStringView piece)
    {
        const qsizetype open = piece.indexOf(QLatin1Char('['));
        if (open < 0)
            return offer(piece, {});
        const QStringView stem = trimmedWhite(piece.left(open));
        // The first ']' ends the group even when it stands before the '['.
        qsizetype close = piece.indexOf(QLatin1Char(']'));
        if (close < 0)
            close = piece.size();
        qsizetype start = open + 1;
        for (qsizetype i = start; i < close; ++i) {
            if (piece.at(i) == QLatin1Char('|')) {
                if (!offer(stem, trimmedWhite(piece.mid(start, i - start))))
                    return false;
                start = i + 1;
            }
        }
        return offer(stem, trimmedWhite(piece.mid(start, std::max<qsizetype>(close - start, 0))));
    }

    // Synonyms separated by ',', each trimmed.
    void walkSide(QStringView side)
    {
        qsizetype start = 0;
        for (;;) {
            const qsizetype comma = side.indexOf(QLatin1Char(','), start);
            if (comma < 0)
                break;
            if (!walkPiece(trimmedWhite(side.mid(start, comma - start))))
                return;
            start = comma + 1;
        }
        walkPiece(trimmedWhite(side.mid(start)));
    }

private:
    bool offer(QStringView stem, QStringView ending)
    {
        if (stem.isEmpty() && ending.isEmpty())
            return true;
        m_buffer.clear();
        m_buffer.append(stem);
        m_buffer.append(ending);
        m_buffer.truncate(LeftCharacters(m_buffer, Alternatives::TextCapacity).size());
        return m_visit(m_buffer);
    }

    const std::function<bool(QStringView)> &m_visit;
    QString m_buffer;
};

} // namespace

void ForEachAlternative(QStringView side, const std::function<bool(QStringView)> &visit)
{
    AlternativeWalker(visit).walkSide(side);
}

Alternatives SplitAlternatives(const QString &side)
{
    Alternatives alternatives;
    ForEachAlternative(side, [&alternatives](QStringView text) {
        ++alternatives.counted;
        if (alternatives.counted <= Alternatives::Capacity)
            alternatives.texts.append(text.toString());
        return true;
    });
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

QString TooManyAlternativesMessage()
{
    return Texts::tr("Maximální počet synonym je 30 - další budou ignorována!");
}
