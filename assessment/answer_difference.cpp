#include "answer_difference.h"

#include "alternatives.h"
#include "characters.h"

#include "core/encoding.h"
#include "core/helpers.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace {

using Text = std::u32string_view;

enum class Step { Same, Wrong, Swapped, Surplus, Missing };

// One step of an alignment: the typed character it takes (-1: none, a letter is missing) and
// the expected one (-1: none, the typed letter is surplus). A swapped pair is two steps.
struct AlignedStep
{
    Step step;
    int typed;
    int expected;
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
        m_columns = expected.size() + 1;
        m_cells.resize((typed.size() + 1) * m_columns);
        for (std::size_t j = 0; j <= expected.size(); ++j)
            at(0, j) = int(j);
        for (std::size_t i = 1; i <= typed.size(); ++i) {
            at(i, 0) = int(i);
            for (std::size_t j = 1; j <= expected.size(); ++j) {
                const int substitution
                    = at(i - 1, j - 1) + (typed[i - 1] == expected[j - 1] ? 0 : 1);
                int best = std::min({substitution, at(i - 1, j) + 1, at(i, j - 1) + 1});
                if (swappedAt(i, j))
                    best = std::min(best, at(i - 2, j - 2) + 1);
                at(i, j) = best;
            }
        }
        return at(typed.size(), expected.size());
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
    int &at(std::size_t i, std::size_t j) { return m_cells[i * m_columns + j]; }
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

// A text as the user sees it, and where in it each compared character stands: every character
// but the blank is compared, up to the judge's limit.
struct ShownText
{
    QString text;
    std::vector<std::pair<qsizetype, qsizetype>> compared; // [start, end) in text

    QString character(int index) const
    {
        const auto [start, end] = compared.at(std::size_t(index));
        return text.mid(start, end - start);
    }
};

ShownText shownText(const QString &text, qsizetype limit)
{
    ShownText shown{text, {}};
    for (qsizetype i = 0; i < text.size() && qsizetype(shown.compared.size()) < limit; ++i) {
        const qsizetype start = i;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        if (text.at(start) != QLatin1Char(' '))
            shown.compared.emplace_back(start, i + 1);
    }
    return shown;
}

// The text as shown when its characters are those compared, otherwise the compared text
// itself: the marks always fall on the letters they belong to.
ShownText shownAs(const QString &text, const QString &compared)
{
    ShownText shown = shownText(text, CharacterCount(compared));
    QString letters;
    for (qsizetype k = 0; k < qsizetype(shown.compared.size()); ++k)
        letters += shown.character(int(k));
    if (NormalizeAnswer(letters) != compared)
        shown = shownText(compared, CharacterCount(compared));
    // What the judge did not compare is shown only in part.
    constexpr qsizetype tailShown = 12;
    const qsizetype end = shown.compared.empty() ? 0 : shown.compared.back().second;
    const QStringView tail = QStringView(shown.text).mid(end);
    if (CharacterCount(tail) > tailShown)
        shown.text
            = shown.text.left(end) + LeftCharacters(tail, tailShown).toString() + QChar(0x2026);
    return shown;
}

QString letters(int count)
{
    if (count == 1)
        return QStringLiteral("písmeno");
    if (count <= 4)
        return QStringLiteral("%1 písmena").arg(count);
    return QStringLiteral("%1 písmen").arg(count);
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

QString missingSentence(const QString &what, const QString &before)
{
    const QString place = before.trimmed();
    return QStringLiteral("chybí ") + what
           + (place.isEmpty() ? QStringLiteral(" na začátku")
                              : QStringLiteral(" za ") + quoted(place));
}

QString letterSentence(const QString &letters, const QString &state)
{
    return CharacterCount(letters) == 1
               ? QStringLiteral("písmeno %1 je %2").arg(quoted(letters), state)
               : QStringLiteral("písmena %1 jsou %2").arg(quoted(letters), state);
}

// Builds a marked text piece by piece; pieces of one mark in a row become one.
class MarkedTextBuilder
{
public:
    void add(DifferenceMark mark, const QString &text)
    {
        if (text.isEmpty() && mark != DifferenceMark::Gap)
            return;
        if (mark != DifferenceMark::Gap && !m_text.pieces.isEmpty()
            && m_text.pieces.last().mark == mark)
            m_text.pieces.last().text += text;
        else
            m_text.pieces.append({mark, text});
    }
    void say(const QString &sentence)
    {
        if (!m_text.description.isEmpty())
            m_text.description += QStringLiteral(", ");
        m_text.description += sentence;
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
    QString before; // the view's text before the run
};

// The answer as typed: its letters marked, a gap where letters are missing.
MarkedText typedView(const std::vector<AlignedStep> &steps, const ShownText &typed)
{
    MarkedTextBuilder builder;
    QString shownSoFar;
    qsizetype shownUpTo = 0;
    Run run;
    const auto endRun = [&] {
        switch (run.step) {
        case Step::Wrong:
            builder.say(letterSentence(run.typed, QStringLiteral("špatně")));
            break;
        case Step::Swapped:
            builder.say(QStringLiteral("písmena %1 jsou prohozená").arg(quoted(run.typed)));
            break;
        case Step::Surplus:
            builder.say(letterSentence(run.typed, QStringLiteral("navíc")));
            break;
        case Step::Missing:
            builder.say(missingSentence(letters(run.count), run.before));
            break;
        case Step::Same:
            break;
        }
        run = Run{};
    };
    for (const AlignedStep &step : steps) {
        if (step.step != run.step)
            endRun();
        if (run.count == 0)
            run = {step.step, {}, {}, 0, shownSoFar};
        ++run.count;
        if (step.typed < 0) {
            builder.add(DifferenceMark::Gap, QString());
            continue;
        }
        const auto [start, end] = typed.compared.at(std::size_t(step.typed));
        const QString between = typed.text.mid(shownUpTo, start - shownUpTo);
        const QString letter = typed.text.mid(start, end - start);
        builder.add(DifferenceMark::Same, between);
        static constexpr std::array marks{DifferenceMark::Same, DifferenceMark::Wrong,
                                          DifferenceMark::Wrong, DifferenceMark::Surplus};
        builder.add(marks.at(std::size_t(step.step)), letter);
        run.typed += letter;
        shownSoFar += between + letter;
        shownUpTo = end;
    }
    endRun();
    builder.add(DifferenceMark::Same, typed.text.mid(shownUpTo));
    return builder.take();
}

// The expected alternative: the letters the answer got wrong or left out marked, the answer's
// surplus letters struck through where they stood.
MarkedText expectedView(const std::vector<AlignedStep> &steps, const ShownText &typed,
                        const ShownText &expected)
{
    MarkedTextBuilder builder;
    QString shownSoFar; // of the expected text alone
    qsizetype shownUpTo = 0;
    Run run;
    const auto endRun = [&] {
        switch (run.step) {
        case Step::Wrong:
        case Step::Swapped:
            builder.say(
                QStringLiteral("místo %1 je %2").arg(quoted(run.typed), quoted(run.expected)));
            break;
        case Step::Surplus:
            builder.say(letterSentence(run.typed, QStringLiteral("navíc")));
            break;
        case Step::Missing:
            builder.say(missingSentence(quoted(run.expected), run.before));
            break;
        case Step::Same:
            break;
        }
        run = Run{};
    };
    for (const AlignedStep &step : steps) {
        if (step.step != run.step)
            endRun();
        if (run.count == 0)
            run = {step.step, {}, {}, 0, shownSoFar};
        ++run.count;
        if (step.typed >= 0)
            run.typed += typed.character(step.typed);
        if (step.expected < 0) {
            builder.add(DifferenceMark::Surplus, typed.character(step.typed));
            continue;
        }
        const auto [start, end] = expected.compared.at(std::size_t(step.expected));
        const QString between = expected.text.mid(shownUpTo, start - shownUpTo);
        const QString letter = expected.text.mid(start, end - start);
        builder.add(DifferenceMark::Same, between);
        static constexpr std::array marks{DifferenceMark::Same, DifferenceMark::Wrong,
                                          DifferenceMark::Wrong, DifferenceMark::Surplus,
                                          DifferenceMark::Lacking};
        builder.add(marks.at(std::size_t(step.step)), letter);
        run.expected += letter;
        shownSoFar += between + letter;
        shownUpTo = end;
    }
    endRun();
    builder.add(DifferenceMark::Same, expected.text.mid(shownUpTo));
    return builder.take();
}

// The side as the user wrote it, cut where the judge cuts its normalised form.
QString cutAsCompared(const QString &side)
{
    const ShownText shown = shownText(side, CompareTextCapacity);
    return side.left(shown.compared.empty() ? 0 : shown.compared.back().second);
}

} // namespace

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

    const Characters answerCharacters(answer);
    EditTable table;
    int closest = 0;
    int fewest = -1;
    for (qsizetype k = 0; k < alternatives.size(); ++k) {
        const Characters alternative(alternatives.at(k));
        const int edits = table.fill(answerCharacters.view(), alternative.view());
        if (fewest < 0 || edits < fewest) {
            fewest = edits;
            closest = int(k);
        }
    }
    const QString &alternative = alternatives.at(closest);
    const Characters alternativeCharacters(alternative);
    table.fill(answerCharacters.view(), alternativeCharacters.view());
    const std::vector<AlignedStep> steps = table.steps();

    const ShownText typedShown = shownAs(composedTyped, answer);
    const ShownText expectedShown = shownAs(
        written.size() == alternatives.size() ? written.at(closest) : alternative, alternative);

    AnswerDifference difference;
    difference.edits = fewest;
    difference.typed = typedView(steps, typedShown);
    difference.expected = expectedView(steps, typedShown, expectedShown);
    if (mode == AssessmentMode::PercentMatch)
        difference.achieved = BestCriterionPercentage(answer, alternative);
    return difference;
}

QString ClosenessText(const AnswerDifference &difference, int threshold)
{
    if (!difference.achieved)
        return QStringLiteral("kratší než %1 písmen: potřeba úplná shoda").arg(PercentMinLength);
    return QStringLiteral("shoda %1 % — potřeba %2 %")
        .arg(FormatFixed(*difference.achieved).trimmed())
        .arg(threshold);
}
