#include "answer_judge.h"

#include "alternatives.h"
#include "characters.h"

#include "core/text_file.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include <QCoreApplication>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(AnswerJudge)
};

using Text = std::u32string_view;

qsizetype longestCommonSubstring(Text a, Text b)
{
    // Dynamic programming over one row: run[j] is the length of the common run ending at
    // a[i] and b[j]. The compared texts are short, so the row lives on the stack.
    constexpr std::size_t stackRow = 64;
    std::array<qsizetype, stackRow + 1> shortRow{};
    std::vector<qsizetype> longRow;
    qsizetype *run = shortRow.data();
    if (b.size() > stackRow) {
        longRow.assign(b.size() + 1, 0);
        run = longRow.data();
    }
    qsizetype longest = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (std::size_t j = b.size(); j >= 1; --j) {
            run[j] = a[i] == b[j - 1] ? run[j - 1] + 1 : 0;
            longest = std::max(longest, run[j]);
        }
    }
    return longest;
}

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
        m_best = std::max(m_best, m_result.achieved);
        if (m_threshold <= m_result.achieved) {
            m_result.criterion = criterion;
            return true;
        }
        return false;
    }

    const AssessmentResult &result() const { return m_result; }
    // The highest percentage of the criteria scored so far.
    double best() const { return m_best; }

private:
    qsizetype m_longer;
    int m_threshold;
    AssessmentResult m_result;
    double m_best = 0;
};

bool tryEqualLengthCriteria(Text a, Text v, CriterionScorer &scorer)
{
    const qsizetype length = qsizetype(a.size());

    // 1: swapped neighbours; nothing else of the texts is compared.
    qsizetype swaps = 0;
    for (qsizetype i = 0; i + 1 < length; ++i) {
        if (a[i] == v[i + 1] && a[i + 1] == v[i] && a[i] != a[i + 1])
            ++swaps;
    }
    if (scorer.ScoreCriterion(1, swaps >= 1 ? length - swaps : 0))
        return true;

    // 2 to 4: blanking one, two or three positions makes the texts equal exactly when they
    // differ in at most that many positions, so counting the differences is enough.
    qsizetype differences = 0;
    for (qsizetype i = 0; i < length; ++i) {
        if (a[i] != v[i])
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

bool tryDifferentLengthCriteria(Text a, Text v, CriterionScorer &scorer)
{
    const qsizetype answerLength = qsizetype(a.size());
    const qsizetype alternativeLength = qsizetype(v.size());

    // 5: the longest piece of the answer (never all of it, more than half) found in v. Every
    // shorter piece of a common piece is common too, so this is the longest common substring
    // of the two texts, capped below the answer's length.
    // A text shorter than such a piece holds none: no search.
    const qsizetype longestCommon
        = alternativeLength > answerLength / 2 ? longestCommonSubstring(a, v) : 0;
    const qsizetype piece = std::min(longestCommon, answerLength - 1);
    const qsizetype count5 = piece >= answerLength / 2 + 1 ? piece : 0;
    if (scorer.ScoreCriterion(5, count5))
        return true;

    // 6: up to three characters missing or extra, all in one place.
    qsizetype count6 = 0;
    const std::size_t gap = std::size_t(std::abs(alternativeLength - answerLength));
    if (gap <= 3) {
        const Text longer = v.size() > a.size() ? v : a;
        const Text shorter = v.size() > a.size() ? a : v;
        for (std::size_t s = 0; s <= shorter.size(); ++s) {
            if (longer.substr(0, s) == shorter.substr(0, s)
                && longer.substr(s + gap) == shorter.substr(s)) {
                count6 = qsizetype(shorter.size());
                break;
            }
        }
    }
    return scorer.ScoreCriterion(6, count6);
}

// Tries the criteria for an answer and an alternative of at least PercentMinLength
// characters, those of equal or of different lengths, up to the first that accepts.
CriterionScorer scoreCriteria(Text a, Text v, int threshold)
{
    CriterionScorer scorer(qsizetype(a.size()), qsizetype(v.size()), threshold);
    if (a.size() == v.size())
        tryEqualLengthCriteria(a, v, scorer);
    else
        tryDifferentLengthCriteria(a, v, scorer);
    return scorer;
}

} // namespace

qsizetype LongestCommonSubstring(QStringView a, QStringView b)
{
    const Characters first(a);
    const Characters second(b);
    return longestCommonSubstring(first.view(), second.view());
}

QString CriterionText(int criterion)
{
    static const std::array<QString, 7> texts = {
        Texts::tr("úplná shoda"),
        Texts::tr("prohozena dvě sousední písmena"),
        Texts::tr("jedno písmeno je špatně"),
        Texts::tr("dvě písmena jsou špatně"),
        Texts::tr("tři písmena jsou špatně"),
        Texts::tr("výskyt alespoň nadpolovičního řetězce"),
        Texts::tr("chybí-li či jsou navíc max. 3 písmena"),
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
    // Lengths and positions are those of characters, not of UTF-16 units.
    AssessmentResult result;
    const Characters answerCharacters(answer);
    const Text a = answerCharacters.view();
    int tried = 0;
    ForEachAlternative(expected, [&](QStringView alternative) {
        if (++tried > Alternatives::Capacity)
            return false;
        if (answer == alternative) {
            result = {0, 100.0};
            return false;
        }
        if (mode == AssessmentMode::ExactMatch)
            return true;
        const Characters alternativeCharacters(alternative);
        const Text v = alternativeCharacters.view();
        if (v.size() < std::size_t(PercentMinLength))
            return true;
        const CriterionScorer scorer = scoreCriteria(a, v, threshold);
        const bool accepted = scorer.result().correct();
        if (accepted)
            result = scorer.result();
        return !accepted;
    });
    return result;
}

std::optional<double> BestCriterionPercentage(const QString &answer, const QString &alternative)
{
    if (answer == alternative)
        return 100.0;
    const Characters answerCharacters(answer);
    const Characters alternativeCharacters(alternative);
    const Text a = answerCharacters.view();
    const Text v = alternativeCharacters.view();
    if (v.size() < std::size_t(PercentMinLength))
        return std::nullopt;
    // A threshold no percentage reaches: every criterion is tried and scored.
    return scoreCriteria(a, v, 101).best();
}

AssessmentResult JudgeTypedAnswer(const QString &typed, const QString &expectedSide,
                                  AssessmentMode mode, int threshold)
{
    // The side is composed as the typed answer is, so that a character typed exactly as stored
    // (a compatibility ideograph, a decomposed accent) is the same on both.
    const QString expected = NormalizeAnswer(expectedSide.normalized(QString::NormalizationForm_C));
    return JudgeAnswer(ComparedAnswer(typed),
                       LeftCharacters(expected, CompareTextCapacity).toString(), mode, threshold);
}
