#include "answer_difference.h"

#include "alternatives.h"
#include "characters.h"

#include "core/encoding.h"
#include "core/helpers.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QCoreApplication>
#include <QHash>
#include <QTextBoundaryFinder>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(AnswerDifference)
};

using Text = std::u32string_view;
using Step = AlignedStep::Kind;

// The letters of a text as the reader sees them: grapheme clusters, so that an accent typed as
// a combining mark, or an emoji with its skin tone, is one letter. [start, end) in the text.
std::vector<std::pair<qsizetype, qsizetype>> graphemes(QStringView text)
{
    std::vector<std::pair<qsizetype, qsizetype>> found;
    const bool simple
        = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x300; });
    if (simple) {
        // Nothing that joins: every character is a letter of its own.
        found.reserve(std::size_t(text.size()));
        for (qsizetype i = 0; i < text.size(); ++i)
            found.emplace_back(i, i + 1);
        return found;
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), int(text.size()));
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end > 0; end = finder.toNextBoundary()) {
        found.emplace_back(start, end);
        start = end;
    }
    return found;
}

// Gives every grapheme one code to be compared by: a single character its own, a cluster of
// several a number past the last character, the same for the same cluster.
class GraphemeCodes
{
public:
    std::u32string codes(QStringView text)
    {
        std::u32string codes;
        for (const auto &[start, end] : graphemes(text)) {
            const QStringView letter = text.mid(start, end - start);
            const Characters characters(letter);
            if (characters.view().size() == 1) {
                codes.push_back(characters.view().front());
                continue;
            }
            auto known = m_clusters.constFind(letter.toString());
            if (known == m_clusters.constEnd())
                known
                    = m_clusters.insert(letter.toString(), char32_t(0x110000 + m_clusters.size()));
            codes.push_back(*known);
        }
        return codes;
    }

private:
    QHash<QString, char32_t> m_clusters;
};

// Edit distances where a swap of two neighbours costs one edit, like a wrong, missing or
// surplus letter. The table is kept for the alignment of the closest alternative.
class EditTable
{
public:
    int fill(Text typed, Text expected)
    {
        m_typed = typed;
        m_expected = expected;
        const std::size_t rows = typed.size();
        const std::size_t columns = expected.size();
        m_columns = columns + 1;
        m_cells.resize((rows + 1) * m_columns);
        int *cells = m_cells.data();
        for (std::size_t j = 0; j <= columns; ++j)
            cells[j] = int(j);
        for (std::size_t i = 1; i <= rows; ++i) {
            int *row = cells + i * m_columns;
            const int *above = row - m_columns;
            const int *twoAbove = i >= 2 ? above - m_columns : nullptr;
            const char32_t letter = typed[i - 1];
            const char32_t previous = i >= 2 ? typed[i - 2] : 0;
            // Only the step from the left waits for the cell before: everything else of a
            // cell is worked out first, so that the row is not one long chain.
            int left = int(i);
            row[0] = left;
            for (std::size_t j = 1; j <= columns; ++j) {
                const char32_t wanted = expected[j - 1];
                int best = std::min(above[j - 1] + (letter == wanted ? 0 : 1), above[j] + 1);
                if (twoAbove && j >= 2 && letter == expected[j - 2] && previous == wanted
                    && letter != previous)
                    best = std::min(best, twoAbove[j - 2] + 1);
                left = std::min(best, left + 1);
                row[j] = left;
            }
        }
        return cells[rows * m_columns + columns];
    }

    // The steps from the start, read back from the end of the table. Of equal paths the one
    // that matches most letters late is taken, so a gap stands before letters that repeat.
    std::vector<AlignedStep> steps() const
    {
        std::vector<AlignedStep> reversed;
        std::size_t i = m_typed.size();
        std::size_t j = m_expected.size();
        while (i > 0 || j > 0) {
            const int here = at(i, j);
            if (i > 0 && j > 0 && m_typed[i - 1] == m_expected[j - 1] && at(i - 1, j - 1) == here) {
                reversed.push_back({Step::Same, int(i - 1), int(j - 1)});
                --i, --j;
            } else if (swappedAt(i, j) && at(i - 2, j - 2) + 1 == here) {
                reversed.push_back({Step::Swapped, int(i - 1), int(j - 1)});
                reversed.push_back({Step::Swapped, int(i - 2), int(j - 2)});
                i -= 2, j -= 2;
            } else if (i > 0 && j > 0 && at(i - 1, j - 1) + 1 == here) {
                reversed.push_back({Step::Wrong, int(i - 1), int(j - 1)});
                --i, --j;
            } else if (i > 0 && at(i - 1, j) + 1 == here) {
                reversed.push_back({Step::Surplus, int(i - 1), -1});
                --i;
            } else {
                reversed.push_back({Step::Missing, -1, int(j - 1)});
                --j;
            }
        }
        return {reversed.rbegin(), reversed.rend()};
    }

private:
    int at(std::size_t i, std::size_t j) const { return m_cells[i * m_columns + j]; }
    bool swappedAt(std::size_t i, std::size_t j) const
    {
        return i >= 2 && j >= 2 && m_typed[i - 1] == m_expected[j - 2]
               && m_typed[i - 2] == m_expected[j - 1] && m_typed[i - 1] != m_typed[i - 2];
    }

    Text m_typed;
    Text m_expected;
    std::size_t m_columns = 0;
    std::vector<int> m_cells;
};

// The same distance in Hyyrö's bit-vector form, for an answer of at most 64 characters: one
// pass over the alternative, a column of the table held as bits of its steps up and down.
class AnswerBits
{
public:
    static constexpr std::size_t MaximumLength = 64;

    explicit AnswerBits(Text answer)
        : m_length(answer.size())
    {
        for (std::size_t i = 0; i < answer.size() && i < MaximumLength; ++i) {
            const std::uint64_t bit = std::uint64_t(1) << i;
            if (answer[i] < m_latin.size()) {
                m_latin[answer[i]] |= bit;
                continue;
            }
            auto known = std::find_if(m_other.begin(), m_other.end(),
                                      [&](const auto &entry) { return entry.first == answer[i]; });
            if (known == m_other.end())
                m_other.emplace_back(answer[i], bit);
            else
                known->second |= bit;
        }
    }

    int distance(Text alternative) const
    {
        if (m_length == 0)
            return int(alternative.size());
        const std::uint64_t last = std::uint64_t(1) << (m_length - 1);
        std::uint64_t up = m_length == 64 ? ~std::uint64_t(0) : (last << 1) - 1;
        std::uint64_t down = 0;
        std::uint64_t diagonal = 0;
        std::uint64_t previousMatches = 0;
        int distance = int(m_length);
        for (const char32_t letter : alternative) {
            const std::uint64_t matches = positions(letter);
            const std::uint64_t swapped = ((~diagonal & matches) << 1) & previousMatches;
            diagonal = (((matches & up) + up) ^ up) | matches | down | swapped;
            std::uint64_t right = down | ~(diagonal | up);
            const std::uint64_t rightDown = diagonal & up;
            if (right & last)
                ++distance;
            if (rightDown & last)
                --distance;
            right = (right << 1) | 1;
            up = (rightDown << 1) | ~(diagonal | right);
            down = right & diagonal;
            previousMatches = matches;
        }
        return distance;
    }

private:
    std::uint64_t positions(char32_t letter) const
    {
        if (letter < m_latin.size())
            return m_latin[letter];
        for (const auto &[known, bits] : m_other) {
            if (known == letter)
                return bits;
        }
        return 0;
    }

    std::size_t m_length;
    std::array<std::uint64_t, 256> m_latin{};
    std::vector<std::pair<char32_t, std::uint64_t>> m_other;
};

// A text as the user sees it, and where in it each compared character stands: every character
// but the blank is compared, up to the judge's limit.
struct ShownText
{
    QString text;
    std::vector<std::pair<qsizetype, qsizetype>> compared; // [start, end) in text

    QStringView character(int index) const
    {
        const auto [start, end] = compared.at(std::size_t(index));
        return QStringView(text).mid(start, end - start);
    }
};

// The text's letters but its blanks, up to `limit` of them.
ShownText shownText(const QString &text, qsizetype limit)
{
    ShownText shown{text, {}};
    for (const auto &[start, end] : graphemes(text)) {
        if (qsizetype(shown.compared.size()) >= limit)
            break;
        if (end - start != 1 || text.at(start) != QLatin1Char(' '))
            shown.compared.emplace_back(start, end);
    }
    return shown;
}

qsizetype graphemeCount(QStringView text)
{
    return qsizetype(graphemes(text).size());
}

// The text as shown when its characters are those compared, otherwise the compared text
// itself: the marks always fall on the letters they belong to.
ShownText shownAs(const QString &text, const QString &compared)
{
    const qsizetype letters = graphemeCount(compared);
    ShownText shown = shownText(text, letters);
    // The letters shown, each normalised as the judge does, are the compared text.
    qsizetype at = 0;
    bool same = true;
    for (const auto &[start, end] : shown.compared) {
        for (qsizetype i = start; i < end && same; ++i, ++at) {
            QChar letter = text.at(i);
            if (letter >= QLatin1Char('a') && letter <= QLatin1Char('z'))
                letter = QChar(letter.unicode() - 'a' + 'A');
            same = at < compared.size() && compared.at(at) == letter;
        }
    }
    if (!same || at != compared.size() || qsizetype(shown.compared.size()) != letters)
        shown = shownText(compared, letters);
    // What the judge did not compare is shown only in part.
    constexpr qsizetype tailShown = 12;
    const qsizetype end = shown.compared.empty() ? 0 : shown.compared.back().second;
    const QStringView tail = QStringView(shown.text).mid(end);
    if (CharacterCount(tail) > tailShown)
        shown.text
            = shown.text.left(end) + LeftCharacters(tail, tailShown).toString() + QChar(0x2026);
    return shown;
}

// The sentences for a screen reader, each a whole sentence for the translation; translated
// once for a description, which may say many.
class Sentences
{
public:
    // "chybí <what> za '<before>'", or "na začátku" when nothing stands before.
    QString missing(const QString &what, QStringView before) const
    {
        const QStringView place = before.trimmed();
        if (place.isEmpty())
            return m_missingAtStart.arg(what);
        return m_missingAfter.arg(what, quoted(place));
    }
    QString letters(int count) const
    {
        return count == 1 ? m_oneLetter : (count <= 4 ? m_fewLetters : m_manyLetters).arg(count);
    }
    QString insteadOf(QStringView typed, QStringView expected) const
    {
        return m_insteadOf.arg(quoted(typed), quoted(expected));
    }
    QString wrong(QStringView letters, bool one) const
    {
        return (one ? m_oneWrong : m_manyWrong).arg(quoted(letters));
    }
    QString swapped(QStringView letters) const { return m_swapped.arg(quoted(letters)); }
    QString surplus(QStringView letters, bool one) const
    {
        return (one ? m_oneSurplus : m_manySurplus).arg(quoted(letters));
    }
    static QString quoted(QStringView text)
    {
        QString quoted;
        quoted.reserve(text.size() + 2);
        return quoted.append(u'\'').append(text).append(u'\'');
    }

private:
    const QString m_oneLetter = Texts::tr("písmeno");
    const QString m_fewLetters = Texts::tr("%1 písmena");
    const QString m_manyLetters = Texts::tr("%1 písmen");
    const QString m_missingAtStart = Texts::tr("chybí %1 na začátku");
    const QString m_missingAfter = Texts::tr("chybí %1 za %2");
    const QString m_insteadOf = Texts::tr("místo %1 je %2");
    const QString m_oneWrong = Texts::tr("písmeno %1 je špatně");
    const QString m_manyWrong = Texts::tr("písmena %1 jsou špatně");
    const QString m_swapped = Texts::tr("písmena %1 jsou prohozená");
    const QString m_oneSurplus = Texts::tr("písmeno %1 je navíc");
    const QString m_manySurplus = Texts::tr("písmena %1 jsou navíc");
};

// Builds a marked text piece by piece; pieces of one mark in a row become one.
class MarkedTextBuilder
{
public:
    void add(DifferenceMark mark, QStringView text)
    {
        if (text.isEmpty() && mark != DifferenceMark::Gap)
            return;
        if (mark != DifferenceMark::Gap && !m_text.pieces.isEmpty()
            && m_text.pieces.last().mark == mark)
            m_text.pieces.last().text += text;
        else
            m_text.pieces.append({mark, text.toString()});
    }
    // The description, ready for one more sentence.
    QString &sentence()
    {
        if (!m_text.description.isEmpty())
            m_text.description += QStringLiteral(", ");
        return m_text.description;
    }
    MarkedText take() { return std::move(m_text); }

private:
    MarkedText m_text;
};

// A run of steps of one kind, said as one sentence.
struct Run
{
    Step step = Step::Same;
    QString typed;
    QString expected;
    int count = 0;
    qsizetype before = 0; // where the run begins in the view's text
};

// Which text a marked view shows.
enum class View {
    Typed,    // the answer as typed: its letters marked, a gap where letters are missing
    Expected, // the closest alternative: the letters the answer got wrong or left out marked,
              // the answer's surplus letters struck through where they stood
};

// Says a run of steps in words; the typed view never names an expected letter.
void sayRun(QString &out, const Sentences &sentences, const Run &run, View view, QStringView before)
{
    const bool one = graphemeCount(run.typed) == 1;
    switch (run.step) {
    case Step::Wrong:
    case Step::Swapped:
        if (view == View::Expected)
            out += sentences.insteadOf(run.typed, run.expected);
        else if (run.step == Step::Wrong)
            out += sentences.wrong(run.typed, one);
        else
            out += sentences.swapped(run.typed);
        break;
    case Step::Surplus:
        out += sentences.surplus(run.typed, one);
        break;
    case Step::Missing:
        out += sentences.missing(view == View::Typed ? sentences.letters(run.count)
                                                     : Sentences::quoted(run.expected),
                                 before);
        break;
    case Step::Same:
        break;
    }
}

MarkedText markedView(const std::vector<AlignedStep> &steps, const ShownText &typed,
                      const ShownText &expected, View view, const Sentences &sentences)
{
    const ShownText &shown = view == View::Typed ? typed : expected;
    MarkedTextBuilder builder;
    qsizetype shownUpTo = 0;
    Run run;
    const auto endRun = [&] {
        if (run.step != Step::Same)
            sayRun(builder.sentence(), sentences, run, view,
                   QStringView(shown.text).left(run.before));
        run = Run{};
    };
    for (const AlignedStep &step : steps) {
        if (step.kind != run.step)
            endRun();
        if (run.count == 0)
            run = {step.kind, {}, {}, 0, shownUpTo};
        ++run.count;
        if (step.kind != Step::Same && step.typed >= 0)
            run.typed += typed.character(step.typed);
        if (step.kind != Step::Same && step.expected >= 0)
            run.expected += expected.character(step.expected);
        const int index = view == View::Typed ? step.typed : step.expected;
        if (index < 0) {
            // A step without a letter of this view: a gap in the answer, or the answer's
            // surplus letter in the alternative.
            if (view == View::Typed)
                builder.add(DifferenceMark::Gap, QStringView());
            else
                builder.add(DifferenceMark::Surplus, typed.character(step.typed));
            continue;
        }
        const auto [start, end] = shown.compared.at(std::size_t(index));
        builder.add(DifferenceMark::Same,
                    QStringView(shown.text).mid(shownUpTo, start - shownUpTo));
        static constexpr std::array marks{DifferenceMark::Same, DifferenceMark::Wrong,
                                          DifferenceMark::Wrong, DifferenceMark::Surplus,
                                          DifferenceMark::Lacking};
        builder.add(marks.at(std::size_t(step.kind)), shown.character(index));
        shownUpTo = end;
    }
    endRun();
    builder.add(DifferenceMark::Same, QStringView(shown.text).mid(shownUpTo));
    return builder.take();
}

// The side as the user wrote it, cut where the judge cuts its normalised form: after as many
// characters but blanks as it compares.
QString cutAsCompared(const QString &side)
{
    qsizetype counted = 0;
    qsizetype end = 0;
    for (qsizetype i = 0; i < side.size() && counted < CompareTextCapacity; ++i) {
        if (side.at(i).isHighSurrogate() && i + 1 < side.size() && side.at(i + 1).isLowSurrogate())
            ++i;
        if (side.at(i) != QLatin1Char(' ')) {
            ++counted;
            end = i + 1;
        }
    }
    return side.left(end);
}

} // namespace

Alignment AlignWithClosest(QStringView answer, const QStringList &alternatives)
{
    // The distances alone first, the table only for the closest alternative.
    GraphemeCodes letters;
    const std::u32string answerCodes = letters.codes(answer);
    const Text typed = answerCodes;
    const bool fitsInBits = typed.size() <= AnswerBits::MaximumLength;
    const AnswerBits bits(typed);
    EditTable table;
    Alignment alignment;
    for (qsizetype k = 0; k < alternatives.size(); ++k) {
        const std::u32string alternative = letters.codes(alternatives.at(k));
        const int edits = fitsInBits ? bits.distance(alternative) : table.fill(typed, alternative);
        if (alignment.closest < 0 || edits < alignment.edits) {
            alignment.closest = int(k);
            alignment.edits = edits;
        }
    }
    if (alignment.closest < 0)
        return alignment;
    const std::u32string closest = letters.codes(alternatives.at(alignment.closest));
    table.fill(typed, closest);
    alignment.steps = table.steps();
    return alignment;
}

std::optional<AnswerDifference> DescribeDifference(const QString &typed, const QString &side,
                                                   AssessmentMode mode)
{
    // Both as the judge takes them: composed, blanks out, a to z in capitals, cut.
    // A pasted text is composed only as far as it can be shown.
    constexpr qsizetype composedLength = 16 * CompareTextCapacity;
    const QString composedTyped
        = typed.left(composedLength).normalized(QString::NormalizationForm_C);
    const QString answer = ComparedAnswer(typed);
    const QString composedSide = cutAsCompared(side.normalized(QString::NormalizationForm_C));
    const QString comparedSide = NormalizeAnswer(composedSide);

    QStringList alternatives;
    ForEachAlternative(comparedSide, [&alternatives](QStringView alternative) {
        alternatives.append(alternative.toString());
        return alternatives.size() < Alternatives::Capacity;
    });
    if (alternatives.isEmpty())
        return std::nullopt;
    // The same alternatives as written, for showing; one that does not normalise to its
    // compared form (an odd control character) is shown as compared.
    QStringList written;
    ForEachAlternative(composedSide, [&written](QStringView alternative) {
        written.append(alternative.toString());
        return written.size() < Alternatives::Capacity;
    });

    const Alignment alignment = AlignWithClosest(answer, alternatives);
    const QString &alternative = alternatives.at(alignment.closest);
    const ShownText typedShown = shownAs(composedTyped, answer);
    const ShownText expectedShown = shownAs(
        written.size() == alternatives.size() ? written.at(alignment.closest) : alternative,
        alternative);

    AnswerDifference difference;
    difference.edits = alignment.edits;
    const Sentences sentences;
    difference.typed
        = markedView(alignment.steps, typedShown, expectedShown, View::Typed, sentences);
    difference.expected
        = markedView(alignment.steps, typedShown, expectedShown, View::Expected, sentences);
    if (mode == AssessmentMode::PercentMatch)
        difference.achieved = BestCriterionPercentage(answer, alternative);
    return difference;
}

QString ClosenessText(const AnswerDifference &difference, int threshold)
{
    if (!difference.achieved)
        return Texts::tr("kratší než %1 písmen: potřeba úplná shoda").arg(PercentMinLength);
    return Texts::tr("shoda %1 % — potřeba %2 %")
        .arg(FormatFixed(*difference.achieved).trimmed())
        .arg(threshold);
}
