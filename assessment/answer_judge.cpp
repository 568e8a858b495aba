#include "answer_judge.h"

#include "alternatives.h"

#include "core/text_file.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// Scores one criterion for an answer and an alternative and remembers the first acceptance.
class CriterionScorer
{
public:
    CriterionScorer(qsizetype answerLength, qsizetype alternativeLength, int threshold)
        : m_longer(std::max(answerLength, alternativeLength))
        , m_threshold(threshold)
    {}

    // ScoreCriterion: the count of right characters as a percentage of the longer text.
    bool ScoreCriterion(int criterion, qsizetype count)
    {
        m_result.achieved = m_longer > 0 ? double(count) * 100.0 / double(m_longer) : 0.0;
        if (m_threshold <= m_result.achieved) {
            m_result.criterion = criterion;
            return true;
        }
        return false;
    }

    const AssessmentResult &result() const { return m_result; }

private:
    qsizetype m_longer;
    int m_threshold;
    AssessmentResult m_result;
};

bool tryEqualLengthCriteria(QStringView a, QStringView v, CriterionScorer &scorer)
{
    const qsizetype length = a.size();

    // 1: swapped neighbours; nothing else of the texts is compared.
    qsizetype swaps = 0;
    for (qsizetype i = 0; i + 1 < length; ++i) {
        if (a.at(i) == v.at(i + 1) && a.at(i + 1) == v.at(i) && a.at(i) != a.at(i + 1))
            ++swaps;
    }
    if (scorer.ScoreCriterion(1, swaps >= 1 ? length - swaps : 0))
        return true;

    // 2 to 4: blanking one, two or three positions makes the texts equal exactly when they
    // differ in at most that many positions, so counting the differences is enough.
    qsizetype differences = 0;
    for (qsizetype i = 0; i < length; ++i) {
        if (a.at(i) != v.at(i))
            ++differences;
    }
    const bool found2 = differences <= 1;
    const qsizetype count2 = found2 ? length - 1 : 0;
    if (scorer.ScoreCriterion(2, count2))
        return true;

    // A criterion whose search was skipped scores the count of the one that found positions.
    const bool found3 = !found2 && differences <= 2;
    const qsizetype count3 = found2 ? count2 : (found3 ? length - 2 : 0);
    if (scorer.ScoreCriterion(3, count3))
        return true;

    const bool found4 = !found2 && !found3 && differences <= 3;
    const qsizetype count4 = (found2 || found3) ? count3 : (found4 ? length - 3 : 0);
    return scorer.ScoreCriterion(4, count4);
}

bool tryDifferentLengthCriteria(QStringView a, QStringView v, CriterionScorer &scorer)
{
    const qsizetype answerLength = a.size();

    // 5: the longest piece of the answer (never all of it, more than half) found in v. Every
    // shorter piece of a common piece is common too, so this is the longest common substring
    // of the two texts, capped below the answer's length.
    // A text shorter than such a piece holds none: no search.
    const qsizetype longestCommon = v.size() > answerLength / 2 ? LongestCommonSubstring(a, v) : 0;
    const qsizetype piece = std::min(longestCommon, answerLength - 1);
    const qsizetype count5 = piece >= answerLength / 2 + 1 ? piece : 0;
    if (scorer.ScoreCriterion(5, count5))
        return true;

    // 6: up to three characters missing or extra, all in one place.
    qsizetype count6 = 0;
    const qsizetype gap = std::abs(v.size() - answerLength);
    if (gap <= 3) {
        const QStringView longer = v.size() > answerLength ? v : a;
        const QStringView shorter = v.size() > answerLength ? a : v;
        for (qsizetype s = 0; s <= shorter.size(); ++s) {
            if (longer.left(s) == shorter.left(s) && longer.mid(s + gap) == shorter.mid(s)) {
                count6 = shorter.size();
                break;
            }
        }
    }
    return scorer.ScoreCriterion(6, count6);
}

} // namespace

qsizetype LongestCommonSubstring(QStringView a, QStringView b)
{
    // Dynamic programming over one row: run[j] is the length of the common run ending at
    // a[i] and b[j]. The compared texts are short, so the row lives on the stack.
    constexpr qsizetype stackRow = 64;
    std::array<qsizetype, stackRow + 1> shortRow{};
    std::vector<qsizetype> longRow;
    qsizetype *run = shortRow.data();
    if (b.size() > stackRow) {
        longRow.assign(std::size_t(b.size() + 1), 0);
        run = longRow.data();
    }
    qsizetype longest = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        for (qsizetype j = b.size(); j >= 1; --j) {
            run[j] = a.at(i) == b.at(j - 1) ? run[j - 1] + 1 : 0;
            longest = std::max(longest, run[j]);
        }
    }
    return longest;
}

QString CriterionText(int criterion)
{
    static const std::array<QString, 7> texts = {
        QStringLiteral("úplná shoda"),
        QStringLiteral("prohozena dvě sousední písmena"),
        QStringLiteral("jedno písmeno je špatně"),
        QStringLiteral("dvě písmena jsou špatně"),
        QStringLiteral("tři písmena jsou špatně"),
        QStringLiteral("výskyt alespoň nadpolovičního řetězce"),
        QStringLiteral("chybí-li či jsou navíc max. 3 písmena"),
    };
    if (criterion < 0 || criterion >= int(texts.size()))
        return QString();
    return texts.at(std::size_t(criterion));
}

QString NormalizeAnswer(const QString &text)
{
    QString normalized;
    normalized.reserve(text.size());
    for (QChar c : text) {
        if (c == QLatin1Char(' '))
            continue;
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
        normalized += c;
    }
    return normalized;
}

namespace {

// Composition never reaches across a character below U+0900 that combines with nothing before
// it: the normal form of a text cut before one is the normal form of the whole, cut there.
bool startsAComposition(QChar c)
{
    return c.unicode() < 0x0900 && c.combiningClass() == 0;
}

} // namespace

QString ComparedAnswer(const QString &typed)
{
    // Only the first characters are compared: a long pasted text is normalised only as far
    // as it needs to be, beyond a margin for blanks and combining marks.
    constexpr qsizetype margin = 2 * CompareTextCapacity + 8;
    qsizetype cut = typed.size();
    qsizetype counted = 0;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        if (counted >= margin && startsAComposition(typed.at(i))) {
            cut = i;
            break;
        }
        if (typed.at(i) != QLatin1Char(' '))
            ++counted;
    }
    QString compared = NormalizeAnswer(typed.left(cut).normalized(QString::NormalizationForm_C));
    if (CharacterCount(compared) < CompareTextCapacity && cut < typed.size())
        compared = NormalizeAnswer(typed.normalized(QString::NormalizationForm_C));
    compared.truncate(LeftCharacters(compared, CompareTextCapacity).size());
    return compared;
}

AssessmentResult JudgeAnswer(const QString &answer, const QString &expected, AssessmentMode mode,
                             int threshold)
{
    // The first alternative that accepts the answer decides; only the first Capacity count.
    AssessmentResult result;
    int tried = 0;
    ForEachAlternative(expected, [&](QStringView alternative) {
        if (++tried > Alternatives::Capacity)
            return false;
        if (answer == alternative) {
            result = {0, 100.0};
            return false;
        }
        if (mode == AssessmentMode::ExactMatch || alternative.size() < PercentMinLength)
            return true;
        CriterionScorer scorer(answer.size(), alternative.size(), threshold);
        const bool accepted = answer.size() == alternative.size()
                                  ? tryEqualLengthCriteria(answer, alternative, scorer)
                                  : tryDifferentLengthCriteria(answer, alternative, scorer);
        if (accepted)
            result = scorer.result();
        return !accepted;
    });
    return result;
}

AssessmentResult JudgeTypedAnswer(const QString &typed, const QString &expectedSide,
                                  AssessmentMode mode, int threshold)
{
    const QString expected = NormalizeAnswer(expectedSide);
    return JudgeAnswer(ComparedAnswer(typed),
                       LeftCharacters(expected, CompareTextCapacity).toString(), mode, threshold);
}
