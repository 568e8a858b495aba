// Alternatives, judging and the difference line: any side and any answer are taken apart,
// judged and compared without harm, an answer equal to an alternative is accepted exactly, and the
// percentage stays in range.

#include "assessment/alternatives.h"
#include "assessment/answer_difference.h"
#include "assessment/answer_judge.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The input is a side and an answer, separated by the first NUL byte.
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = text.indexOf(QChar(0));
    const QString side = split < 0 ? text : text.left(split);
    const QString typed = split < 0 ? QString() : text.mid(split + 1);

    const Alternatives alternatives = SplitAlternatives(side);
    if (alternatives.count() > Alternatives::Capacity)
        std::abort();
    for (const AssessmentMode mode : {AssessmentMode::ExactMatch, AssessmentMode::PercentMatch}) {
        for (int threshold : {0, 50, 90, 100}) {
            const AssessmentResult result = JudgeTypedAnswer(typed, side, mode, threshold);
            if (result.correct() && (result.achieved < threshold || result.achieved > 100.0))
                std::abort();
        }
    }
    // Every alternative, typed as it is, is an exact answer, when the side is compared whole
    // (no blanks to take out, no more than the compared characters) and typed as composed.
    const bool comparedWhole
        = !side.contains(QLatin1Char(' ')) && side.size() <= CompareTextCapacity;
    for (const QString &alternative : alternatives.texts) {
        if (!comparedWhole || alternative != alternative.normalized(QString::NormalizationForm_C))
            continue;
        const AssessmentResult exact
            = JudgeTypedAnswer(alternative, side, AssessmentMode::ExactMatch, 100);
        if (!exact.correct())
            std::abort();
    }
    // Where the answer differs: no difference exactly when it is an exact answer, and no
    // percentage of the closest alternative that would have been accepted.
    const std::optional<AnswerDifference> difference
        = DescribeDifference(typed, side, AssessmentMode::PercentMatch);
    if (difference) {
        const bool exact = JudgeTypedAnswer(typed, side, AssessmentMode::ExactMatch, 100).correct();
        if ((difference->edits == 0) != exact)
            std::abort();
        for (int threshold : {50, 90, 100}) {
            if (!JudgeTypedAnswer(typed, side, AssessmentMode::PercentMatch, threshold).correct()
                && difference->achieved && *difference->achieved >= threshold)
                std::abort();
        }
    }
    PickOfferedText(side);
    return 0;
}
