#include "answer_judge.h"

#include "alternatives.h"

#include <algorithm>
#include <array>

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

bool tryEqualLengthCriteria(const QString &a, const QString &v, CriterionScorer &scorer)
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

bool tryDifferentLengthCriteria(const QString &a, const QString &v, CriterionScorer &scorer)
{
    const qsizetype answerLength = a.size();

    // 5: the longest piece of the answer (never all of it, more than half) found in v.
    qsizetype count5 = 0;
    for (qsizetype m = answerLength - 1; m >= answerLength / 2 + 1 && count5 == 0; --m) {
        for (qsizetype s = 0; s + m <= answerLength; ++s) {
            if (v.contains(QStringView(a).mid(s, m))) {
                count5 = m;
                break;
            }
        }
    }
    if (scorer.ScoreCriterion(5, count5))
        return true;

    // 6: up to three characters missing or extra, all in one place.
    qsizetype count6 = 0;
    const qsizetype gap = std::abs(v.size() - answerLength);
    if (gap <= 3) {
        const QString &longer = v.size() > answerLength ? v : a;
        const QString &shorter = v.size() > answerLength ? a : v;
        const QStringView x(longer);
        for (qsizetype s = 0; s <= shorter.size(); ++s) {
            if (x.left(s) == QStringView(shorter).left(s)
                && x.mid(s + gap) == QStringView(shorter).mid(s)) {
                count6 = shorter.size();
                break;
            }
        }
    }
    return scorer.ScoreCriterion(6, count6);
}

} // namespace

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

AssessmentResult JudgeAnswer(const QString &answer, const QString &expected, AssessmentMode mode,
                             int threshold)
{
    const Alternatives alternatives = SplitAlternatives(expected);
    for (const QString &alternative : alternatives.texts) {
        if (answer == alternative)
            return {0, 100.0};
        if (mode == AssessmentMode::ExactMatch || alternative.size() < PercentMinLength)
            continue;
        CriterionScorer scorer(answer.size(), alternative.size(), threshold);
        const bool accepted = answer.size() == alternative.size()
                                  ? tryEqualLengthCriteria(answer, alternative, scorer)
                                  : tryDifferentLengthCriteria(answer, alternative, scorer);
        if (accepted)
            return scorer.result();
    }
    return {};
}

AssessmentResult JudgeTypedAnswer(const QString &typed, const QString &expectedSide,
                                  AssessmentMode mode, int threshold)
{
    return JudgeAnswer(NormalizeAnswer(typed).left(CompareTextCapacity),
                       NormalizeAnswer(expectedSide).left(CompareTextCapacity), mode, threshold);
}
